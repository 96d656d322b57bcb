#include "engine/audio/SoundFileWriter.h"

#include "engine/audio/FrameResampler.h"
#include "platform/PlatformError.h"

#include <sndfile.h>

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

} // namespace

SoundFileWriter::SoundFileWriter(int fd, AudioFileKind kind, const PcmFormat& format, const QString& title)
    : m_channels(format.channels)
    , m_fileRate(AudioFileKinds::fileRate(kind, format.sampleRate))
{
    if (m_fileRate != format.sampleRate)
        m_resampler = std::make_unique<FrameResampler>(format.sampleRate, m_fileRate, format.channels);
    SF_INFO info {};
    info.samplerate = m_fileRate;
    info.channels = format.channels;
    info.format = sndfileFormat(kind, format.bitsPerSample);
    m_file = sf_open_fd(fd, SFM_WRITE, &info, SF_TRUE);
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
    return {};
}

QString SoundFileWriter::writeConverted(std::span<const float> frames)
{
    const auto count = static_cast<sf_count_t>(frames.size() / static_cast<size_t>(m_channels));
    if (count > 0 && sf_writef_float(m_file, frames.data(), count) != count)
        return reason();
    return {};
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
    return problem;
}

QString SoundFileWriter::reason() const
{
    return QString::fromLocal8Bit(sf_strerror(m_file));
}
