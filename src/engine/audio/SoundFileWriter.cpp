#include "engine/audio/SoundFileWriter.h"

#include "engine/audio/FrameResampler.h"
#include "platform/PlatformError.h"

#include <sndfile.h>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int sndfileFormat(AudioFileKind kind, int bitsPerSample)
{
    switch (kind) {
    case AudioFileKind::Mp3:
        return SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
    case AudioFileKind::OggVorbis:
        return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    case AudioFileKind::Opus:
        return SF_FORMAT_OGG | SF_FORMAT_OPUS;
    case AudioFileKind::Flac:
        return SF_FORMAT_FLAC | (bitsPerSample == 8 ? SF_FORMAT_PCM_S8 : SF_FORMAT_PCM_16);
    case AudioFileKind::Wave:
        break;
    }
    return SF_FORMAT_WAV | (bitsPerSample == 8 ? SF_FORMAT_PCM_U8 : SF_FORMAT_PCM_16);
}

// libsndfile's compression level, 0 (best sound) to 1 (smallest file), for speech: MP3 as LAME's
// V6, Vorbis at quality 4, Opus near 32 kbit/s a channel; all of them at a variable bit rate.
double speechCompression(AudioFileKind kind)
{
    return kind == AudioFileKind::Opus ? 0.9 : 0.6;
}

SoundFileWriter::Descriptor& descriptor(void* user)
{
    return *static_cast<SoundFileWriter::Descriptor*>(user);
}

sf_count_t noteFailure(SoundFileWriter::Descriptor& io)
{
    if (io.error == 0)
        io.error = errno;
    return -1;
}

SF_VIRTUAL_IO descriptorIo()
{
    SF_VIRTUAL_IO io {};
    io.get_filelen = [](void* user) -> sf_count_t {
        struct stat info { };
        return ::fstat(descriptor(user).fd, &info) == 0 ? info.st_size : noteFailure(descriptor(user));
    };
    io.seek = [](sf_count_t offset, int whence, void* user) -> sf_count_t {
        const off_t at = ::lseek(descriptor(user).fd, offset, whence);
        return at >= 0 ? at : noteFailure(descriptor(user));
    };
    io.read = [](void* data, sf_count_t count, void* user) -> sf_count_t {
        const ssize_t got = ::read(descriptor(user).fd, data, static_cast<size_t>(count));
        return got >= 0 ? got : noteFailure(descriptor(user));
    };
    io.write = [](const void* data, sf_count_t count, void* user) -> sf_count_t {
        const auto* bytes = static_cast<const char*>(data);
        sf_count_t done = 0;
        while (done < count) {
            const ssize_t put = ::write(descriptor(user).fd, bytes + done, static_cast<size_t>(count - done));
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0) {
                noteFailure(descriptor(user));
                break;
            }
            done += put;
        }
        return done;
    };
    io.tell = [](void* user) -> sf_count_t { return ::lseek(descriptor(user).fd, 0, SEEK_CUR); };
    return io;
}

} // namespace

SoundFileWriter::SoundFileWriter(int fd, AudioFileKind kind, const PcmFormat& format, const QString& title)
    : m_channels(format.channels)
{
    const int fileRate = AudioFileKinds::fileRate(kind, format.sampleRate);
    if (fileRate != format.sampleRate)
        m_resampler = std::make_unique<FrameResampler>(format.sampleRate, fileRate, format.channels);
    SF_INFO info {};
    info.samplerate = fileRate;
    info.channels = format.channels;
    info.format = sndfileFormat(kind, format.bitsPerSample);
    if (kind == AudioFileKind::Wave) {
        m_file = sf_open_fd(fd, SFM_WRITE, &info, SF_TRUE);
    } else {
        m_io = std::make_unique<Descriptor>(Descriptor { fd });
        SF_VIRTUAL_IO io = descriptorIo();
        m_file = sf_open_virtual(&io, SFM_WRITE, &info, m_io.get());
    }
    if (!m_file)
        throw PlatformError(QString::fromLocal8Bit(sf_strerror(nullptr)));
    // A wave file stays bare PCM, as it always was: no tags, no settings.
    if (kind == AudioFileKind::Wave)
        return;
    applyQuality(kind);
    // Tags go into the headers, which the first frames write.
    if (!title.isEmpty())
        sf_set_string(m_file, SF_STR_TITLE, title.toUtf8().constData());
}

SoundFileWriter::~SoundFileWriter()
{
    if (m_file)
        sf_close(m_file);
    if (m_io)
        ::close(m_io->fd);
}

void SoundFileWriter::applyQuality(AudioFileKind kind)
{
    if (kind != AudioFileKind::Flac) {
        int mode = SF_BITRATE_MODE_VARIABLE;
        sf_command(m_file, SFC_SET_BITRATE_MODE, &mode, sizeof mode);
        double level = speechCompression(kind);
        sf_command(m_file, SFC_SET_COMPRESSION_LEVEL, &level, sizeof level);
    }
}

QString SoundFileWriter::write(std::span<const int16_t> frames)
{
    if (!m_file)
        return QStringLiteral("The file is closed.");
    if (m_resampler)
        return writeConverted(m_resampler->process(frames));
    const auto count = static_cast<sf_count_t>(frames.size() / static_cast<size_t>(m_channels));
    if (sf_writef_short(m_file, frames.data(), count) != count)
        return reason();
    return ioFailure();
}

QString SoundFileWriter::writeConverted(std::span<const float> frames)
{
    const auto count = static_cast<sf_count_t>(frames.size() / static_cast<size_t>(m_channels));
    if (count > 0 && sf_writef_float(m_file, frames.data(), count) != count)
        return reason();
    return ioFailure();
}

QString SoundFileWriter::close()
{
    if (!m_file)
        return {};
    QString problem;
    if (m_resampler)
        problem = writeConverted(m_resampler->finish());
    const int error = sf_close(m_file);
    m_file = nullptr;
    if (problem.isEmpty() && error != 0)
        problem = QString::fromLocal8Bit(sf_error_number(error));
    if (m_io) {
        // The encoders' last frames are written by sf_close, and only the descriptor saw how that went.
        if (problem.isEmpty())
            problem = ioFailure();
        if (::close(m_io->fd) != 0 && problem.isEmpty())
            problem = qt_error_string(errno);
        m_io.reset();
    }
    return problem;
}

QString SoundFileWriter::ioFailure() const
{
    return m_io && m_io->error != 0 ? qt_error_string(m_io->error) : QString();
}

QString SoundFileWriter::reason() const
{
    return QString::fromLocal8Bit(sf_strerror(m_file));
}
