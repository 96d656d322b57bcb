#include "SpFileStream.h"

#include "PlatformError.h"

#include <sndfile.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

SpFileStream::~SpFileStream()
{
    std::lock_guard lock(m_mutex);
    if (m_file)
        sf_close(m_file);
}

void SpFileStream::Open(const QString& fileName, int mode, bool /*doEvents: events are never stored with the audio*/)
{
    if (mode != SSFMCreateForWrite)
        throw PlatformError(QStringLiteral("File streams can only be opened to create a file for writing."));
    const PcmFormat format = Format().pcm();
    std::lock_guard lock(m_mutex);
    if (m_file)
        throw PlatformError(QStringLiteral("The file stream is already open."));
    const QByteArray path = fileName.toLocal8Bit();
    // Opened here so that a failure carries the system's own description.
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        throw PlatformError(
            QStringLiteral("Cannot create \"%1\": %2").arg(fileName, QString::fromLocal8Bit(std::strerror(errno))));
    SF_INFO info {};
    info.samplerate = format.sampleRate;
    info.channels = format.channels;
    info.format = SF_FORMAT_WAV | (format.bitsPerSample == 8 ? SF_FORMAT_PCM_U8 : SF_FORMAT_PCM_16);
    m_file = sf_open_fd(fd, SFM_WRITE, &info, SF_TRUE);
    if (!m_file) {
        const QString reason = QString::fromLocal8Bit(sf_strerror(nullptr));
        ::close(fd);
        throw PlatformError(QStringLiteral("Cannot write a wave file to \"%1\": %2").arg(fileName, reason));
    }
    m_openFormat = format;
    m_fileName = fileName;
    m_framesWritten = 0;
    m_writeError.clear();
}

void SpFileStream::Close()
{
    std::lock_guard lock(m_mutex);
    if (!m_file)
        return;
    const int error = sf_close(m_file);
    m_file = nullptr;
    if (error != 0)
        throw PlatformError(QStringLiteral("Closing \"%1\" failed: %2")
                                .arg(m_fileName, QString::fromLocal8Bit(sf_error_number(error))));
    // The voice writes from its worker, which can only end the stream early; the file's owner
    // learns here that the file is incomplete.
    if (!m_writeError.isEmpty())
        throw PlatformError(std::exchange(m_writeError, {}));
}

bool SpFileStream::isOpen() const
{
    std::lock_guard lock(m_mutex);
    return m_file != nullptr;
}

void SpFileStream::write(std::span<const int16_t> frames)
{
    std::lock_guard lock(m_mutex);
    if (!m_file)
        throw PlatformError(QStringLiteral("The file stream is not open."));
    const auto count = static_cast<sf_count_t>(frames.size() / static_cast<size_t>(m_openFormat.channels));
    if (sf_writef_short(m_file, frames.data(), count) != count) {
        const QString failure
            = QStringLiteral("Writing \"%1\" failed: %2").arg(m_fileName, QString::fromLocal8Bit(sf_strerror(m_file)));
        if (m_writeError.isEmpty())
            m_writeError = failure;
        throw PlatformError(failure);
    }
    m_framesWritten += count;
}

qint64 SpFileStream::bytesWritten() const
{
    std::lock_guard lock(m_mutex);
    return m_framesWritten * m_openFormat.bytesPerFrame();
}
