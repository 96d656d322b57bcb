#pragma once

#include "engine/audio/AudioFileWriter.h"

#include <sys/types.h>
#include <vector>

struct lame_global_struct;
class FileDescriptorOutput;

// An MP3 file encoded by LAME at the stream's rate and channels: variable bit rate V6 (about
// 56 kbit/s for 22 kHz mono speech), the title in an ID3v2 tag, and the LAME tag that gives
// players the length and the encoder's delay, filled in when the file is closed.
class Mp3FileWriter final : public AudioFileWriter {
public:
    // Writes to fd, which it then owns once constructed. Throws PlatformError when LAME does not
    // take the format (fd is then left to the caller).
    Mp3FileWriter(int fd, const PcmFormat& format, const QString& title);
    ~Mp3FileWriter() override;
    Mp3FileWriter(const Mp3FileWriter&) = delete;
    Mp3FileWriter& operator=(const Mp3FileWriter&) = delete;

    QString write(std::span<const int16_t> frames) override;
    QString close() override;

    static constexpr float vbrQuality = 6.0F;
    static constexpr int algorithmQuality = 7;

private:
    void configure(const PcmFormat& format, const QString& title);
    void writeTag();
    QString writeEncoded(int bytes);
    QString writeLameTag();

    lame_global_struct* m_lame = nullptr;
    std::unique_ptr<FileDescriptorOutput> m_out;
    std::vector<unsigned char> m_encoded;
    int m_channels;
    off_t m_firstFrame = -1; // where the LAME tag goes; -1 when the file cannot be sought
};
