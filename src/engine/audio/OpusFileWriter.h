#pragma once

#include "engine/audio/AudioFileWriter.h"

struct OggOpusEnc;
class FileDescriptorOutput;

// An Ogg Opus file encoded by libopusenc: variable bit rate of about 32 kbit/s a channel, tuned
// for speech, at complexity 0 in 120 ms packets, the title in the OpusTags. libopusenc takes the stream's own rate and
// channels (Opus codes at 48 kHz inside); the file's header names that rate, and a reader decodes it at the nearest
// rate Opus allows at or above, with the bandwidth limited to what that rate holds.
class OpusFileWriter final : public AudioFileWriter {
public:
    // Writes to fd, which it then owns once constructed. Throws PlatformError when the encoder
    // cannot start (fd is then left to the caller).
    OpusFileWriter(int fd, const PcmFormat& format, const QString& title);
    ~OpusFileWriter() override;
    OpusFileWriter(const OpusFileWriter&) = delete;
    OpusFileWriter& operator=(const OpusFileWriter&) = delete;

    QString write(std::span<const int16_t> frames) override;
    QString close() override;

    static constexpr int bitsPerSecondPerChannel = 32000;
    static constexpr int complexity = 0;

private:
    void tune(int fileRate, int channels);
    QString failure(int error) const;

    OggOpusEnc* m_encoder = nullptr;
    std::unique_ptr<FileDescriptorOutput> m_out;
    int m_channels;
};
