#include "engine/api/SpFileStream.h"

#include "engine/audio/AudioFileWriter.h"
#include "engine/audio/BackgroundEncoder.h"
#include "platform/PlatformError.h"

#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

QString systemError(int error)
{
    return qt_error_string(error);
}

PlatformError cannotCreate(const QString& fileName, int error)
{
    return PlatformError(QStringLiteral("Cannot create \"%1\": %2").arg(fileName, systemError(error)));
}

// A symbolic link is followed, so that the finished file replaces the file it names, not the link.
QByteArray targetOf(const QByteArray& path)
{
    struct stat link { };
    char resolved[PATH_MAX];
    if (::lstat(path.constData(), &link) == 0 && S_ISLNK(link.st_mode) && ::realpath(path.constData(), resolved))
        return QByteArray(resolved);
    return path;
}

struct PartFile {
    int fd = -1;
    QByteArray path;
    int error = 0;
};

// A new hidden file in the target's folder, so that the rename that finishes it stays within one
// file system and the name appears only with the whole file behind it.
PartFile createPartBeside(const QByteArray& target)
{
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = target.left(slash + 1);
    const QByteArray name = target.mid(slash + 1).left(200); // room for the suffix within NAME_MAX
    PartFile part;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray tag = QByteArray::number(QRandomGenerator::global()->generate(), 36);
        part.path = folder + '.' + name + '.' + tag + ".part";
        part.fd = ::open(part.path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (part.fd >= 0 || errno != EEXIST)
            break;
    }
    if (part.fd < 0)
        part.error = errno;
    return part;
}

} // namespace

SpFileStream::SpFileStream() = default;

SpFileStream::~SpFileStream()
{
    std::lock_guard lock(m_mutex);
    m_encoder.reset();
    m_file.reset();
    discardPart();
}

void SpFileStream::Open(const QString& fileName, int mode, bool /*doEvents: events are never stored with the audio*/)
{
    if (mode != SSFMCreateForWrite)
        throw PlatformError(QStringLiteral("File streams can only be opened to create a file for writing."));
    const PcmFormat format = Format().pcm();
    std::lock_guard lock(m_mutex);
    if (hasFile())
        throw PlatformError(QStringLiteral("The file stream is already open."));
    const QByteArray target = targetOf(fileName.toLocal8Bit());
    struct stat existing { };
    const bool exists = ::stat(target.constData(), &existing) == 0;
    int fd = -1;
    QByteArray part;
    if (exists && !S_ISREG(existing.st_mode)) {
        // A device or a pipe cannot be replaced by a rename; it is written as it stands.
        fd = ::open(target.constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        if (fd < 0)
            throw cannotCreate(fileName, errno);
    } else {
        // A file that may not be written is refused now, as opening it for writing would be.
        if (exists && ::access(target.constData(), W_OK) != 0)
            throw cannotCreate(fileName, errno);
        const PartFile created = createPartBeside(target);
        if (created.fd < 0)
            throw cannotCreate(fileName, created.error);
        if (exists)
            ::fchmod(created.fd, existing.st_mode & 07777); // the replacement keeps the file's mode
        fd = created.fd;
        part = created.path;
    }
    try {
        auto writer = AudioFileWriter::create(fd, m_kind, format, m_title);
        if (m_kind == AudioFileKind::Wave)
            m_file = std::move(writer);
        else
            m_encoder = std::make_unique<BackgroundEncoder>(std::move(writer));
    } catch (const PlatformError& failure) {
        ::close(fd);
        if (!part.isEmpty())
            ::unlink(part.constData());
        const QString kind = m_kind == AudioFileKind::Wave ? QStringLiteral("wave") : AudioFileKinds::extension(m_kind);
        throw PlatformError(
            QStringLiteral("Cannot write a %1 file to \"%2\": %3").arg(kind, fileName, failure.description()));
    }
    m_openFormat = format;
    m_fileName = fileName;
    m_target = target;
    m_part = part;
    m_framesWritten = 0;
    m_writeError.clear();
    m_cutShort.clear();
}

void SpFileStream::Close()
{
    std::lock_guard lock(m_mutex);
    if (!hasFile())
        return;
    const QString problem = m_encoder ? m_encoder->close() : m_file->close();
    m_encoder.reset();
    m_file.reset();
    QString failure;
    if (!problem.isEmpty())
        failure = QStringLiteral("Closing \"%1\" failed: %2").arg(m_fileName, problem);
    else if (!m_writeError.isEmpty())
        // The voice writes from its worker, which can only end the stream early; the file's owner
        // learns here that the file is incomplete.
        failure = std::exchange(m_writeError, {});
    if (!failure.isEmpty()) {
        discardPart();
        throw PlatformError(failure);
    }
    keepPart();
}

// Called with the mutex held.
void SpFileStream::discardPart()
{
    if (!m_part.isEmpty())
        ::unlink(m_part.constData());
    m_part.clear();
}

// Called with the mutex held: the finished file takes its name in one step.
void SpFileStream::keepPart()
{
    if (m_part.isEmpty())
        return;
    if (::rename(m_part.constData(), m_target.constData()) != 0) {
        const int error = errno;
        discardPart();
        throw PlatformError(QStringLiteral("Cannot save \"%1\": %2").arg(m_fileName, systemError(error)));
    }
    m_part.clear();
}

bool SpFileStream::isOpen() const
{
    std::lock_guard lock(m_mutex);
    return hasFile();
}

void SpFileStream::write(std::span<const int16_t> frames)
{
    std::lock_guard lock(m_mutex);
    if (!hasFile())
        throw PlatformError(QStringLiteral("The file stream is not open."));
    if (const QString problem = m_encoder ? m_encoder->write(frames) : m_file->write(frames); !problem.isEmpty()) {
        const QString failure = QStringLiteral("Writing \"%1\" failed: %2").arg(m_fileName, problem);
        if (m_writeError.isEmpty())
            m_writeError = failure;
        throw PlatformError(failure);
    }
    m_framesWritten += static_cast<qint64>(frames.size()) / m_openFormat.channels;
}

qint64 SpFileStream::bytesWritten() const
{
    std::lock_guard lock(m_mutex);
    return m_framesWritten * m_openFormat.bytesPerFrame();
}

void SpFileStream::noteCutShort(const QString& description)
{
    std::lock_guard lock(m_mutex);
    if (m_cutShort.isEmpty())
        m_cutShort = description;
}

QString SpFileStream::cutShort() const
{
    std::lock_guard lock(m_mutex);
    return m_cutShort;
}
