#pragma once

#include "engine/api/AudioFileKind.h"
#include "engine/audio/PcmFormat.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <span>

struct sf_private_tag;
class FrameResampler;

// One audio file of a kind written through libsndfile from a stream's interleaved 16-bit frames.
// A wave file holds the stream's PCM as it is (8-bit streams narrowed); the compressed kinds use
// a speech-grade variable bit rate and carry a title tag; Opus, which takes only some rates, is
// converted to the nearest one above the stream's.
class SoundFileWriter {
public:
    // Writes to fd, which it then owns once constructed. Throws PlatformError with the library's
    // reason when the file cannot be started (fd is then left to the caller).
    SoundFileWriter(int fd, AudioFileKind kind, const PcmFormat& format, const QString& title);
    ~SoundFileWriter();
    SoundFileWriter(const SoundFileWriter&) = delete;
    SoundFileWriter& operator=(const SoundFileWriter&) = delete;

    // Each returns the library's reason for a failure, empty when all went well.
    QString write(std::span<const int16_t> frames);
    QString close(); // finishes the file and closes fd; the writer takes no more frames

    // The descriptor behind a compressed file: its encoders report a failed write nowhere else
    // (not even when the file is closed), so every write goes through here and is checked.
    struct Descriptor {
        int fd = -1;
        int error = 0; // errno of the first failed call
    };

private:
    void applyQuality(AudioFileKind kind);
    QString ioFailure() const;
    QString writeConverted(std::span<const float> frames);
    QString reason() const;

    sf_private_tag* m_file = nullptr;
    std::unique_ptr<FrameResampler> m_resampler;
    std::unique_ptr<Descriptor> m_io; // null for a wave file, which libsndfile writes to fd itself
    int m_channels;
};
