#include "engine/audio/SoundFileWriter.h"

#include "engine/audio/FileDescriptorOutput.h"
#include "platform/PlatformError.h"

#include <sndfile.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

int sndfileFormat(AudioFileKind kind, int bitsPerSample)
{
    switch (kind) {
    case AudioFileKind::OggVorbis:
        return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    case AudioFileKind::Flac:
        return SF_FORMAT_FLAC | (bitsPerSample == 8 ? SF_FORMAT_PCM_S8 : SF_FORMAT_PCM_16);
    case AudioFileKind::Wave:
    case AudioFileKind::Mp3:
    case AudioFileKind::Opus:
        break;
    }
    return SF_FORMAT_WAV | (bitsPerSample == 8 ? SF_FORMAT_PCM_U8 : SF_FORMAT_PCM_16);
}

FileDescriptorOutput& output(void* user)
{
    return *static_cast<FileDescriptorOutput*>(user);
}

sf_count_t failed(void* user)
{
    output(user).noteFailure();
    return -1;
}

SF_VIRTUAL_IO descriptorIo()
{
    SF_VIRTUAL_IO io {};
    io.get_filelen = [](void* user) -> sf_count_t {
        struct stat info { };
        return ::fstat(output(user).fd(), &info) == 0 ? info.st_size : failed(user);
    };
    io.seek = [](sf_count_t offset, int whence, void* user) -> sf_count_t {
        const off_t at = ::lseek(output(user).fd(), offset, whence);
        return at >= 0 ? at : failed(user);
    };
    io.read = [](void* data, sf_count_t count, void* user) -> sf_count_t {
        const ssize_t got = ::read(output(user).fd(), data, static_cast<size_t>(count));
        return got >= 0 ? got : failed(user);
    };
    io.write = [](const void* data, sf_count_t count, void* user) -> sf_count_t {
        return output(user).write(data, static_cast<size_t>(count)) ? count : 0;
    };
    io.tell = [](void* user) -> sf_count_t { return ::lseek(output(user).fd(), 0, SEEK_CUR); };
    return io;
}

} // namespace

SoundFileWriter::SoundFileWriter(
    int fd, AudioFileKind kind, const PcmFormat& format, const QString& title, qint64 waveBytes)
    : m_channels(format.channels)
    , m_bytesPerFrame(format.bytesPerFrame())
    , m_waveLimit(waveBytes)
{
    SF_INFO info {};
    info.samplerate = format.sampleRate;
    info.channels = format.channels;
    info.format = sndfileFormat(kind, format.bitsPerSample);
    const bool wave = (info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_WAV;
    if (wave) {
        m_file = sf_open_fd(fd, SFM_WRITE, &info, SF_TRUE);
    } else {
        m_io = std::make_unique<FileDescriptorOutput>(fd);
        SF_VIRTUAL_IO io = descriptorIo();
        m_file = sf_open_virtual(&io, SFM_WRITE, &info, m_io.get());
    }
    if (!m_file) {
        if (m_io)
            m_io->release();
        throw PlatformError(QString::fromLocal8Bit(sf_strerror(nullptr)));
    }
    // A wave file stays bare PCM, as it always was: no tags, no settings. Its header is written.
    if (wave) {
        m_waveBytes = std::max<qint64>(0, ::lseek(fd, 0, SEEK_CUR));
        return;
    }
    if (kind == AudioFileKind::OggVorbis)
        setSpeechQuality();
    // Tags go into the headers, which the first frames write.
    if (!title.isEmpty())
        sf_set_string(m_file, SF_STR_TITLE, title.toUtf8().constData());
}

// Vorbis at a variable bit rate of quality 4, about 54 kbit/s for 22 kHz mono speech.
void SoundFileWriter::setSpeechQuality()
{
    int mode = SF_BITRATE_MODE_VARIABLE;
    sf_command(m_file, SFC_SET_BITRATE_MODE, &mode, sizeof mode);
    double level = 0.6;
    sf_command(m_file, SFC_SET_COMPRESSION_LEVEL, &level, sizeof level);
}

SoundFileWriter::~SoundFileWriter()
{
    if (m_file)
        sf_close(m_file);
}

QString SoundFileWriter::write(std::span<const int16_t> frames)
{
    if (!m_file)
        return QStringLiteral("The file is closed.");
    const auto count = static_cast<sf_count_t>(frames.size() / static_cast<size_t>(m_channels));
    if (!m_io) {
        if (QString full = waveRoomFor(count); !full.isEmpty())
            return full;
    }
    if (sf_writef_short(m_file, frames.data(), count) != count)
        return m_io && !m_io->failure().isEmpty() ? m_io->failure() : reason();
    return m_io ? m_io->failure() : QString();
}

// Past its limit a wave header would count a wrong length, so the frames that would cross it
// are refused and the recording fails, rather than ending in a file whose header lies.
QString SoundFileWriter::waveRoomFor(qint64 frames)
{
    const qint64 bytes = m_waveBytes + frames * m_bytesPerFrame;
    if (bytes + (bytes % 2) > m_waveLimit) // an odd length is padded to an even one
        return QStringLiteral("The file would exceed the 4 GB a wave file can hold.");
    m_waveBytes = bytes;
    return {};
}

QString SoundFileWriter::close()
{
    if (!m_file)
        return {};
    const int error = sf_close(m_file);
    m_file = nullptr;
    // The encoders' last frames are written by sf_close, and only the descriptor saw how that went.
    QString problem = m_io ? m_io->close() : QString();
    if (problem.isEmpty() && error != 0)
        problem = QString::fromLocal8Bit(sf_error_number(error));
    return problem;
}

QString SoundFileWriter::reason() const
{
    return QString::fromLocal8Bit(sf_strerror(m_file));
}
