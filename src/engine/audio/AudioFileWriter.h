#pragma once

#include "engine/api/AudioFileKind.h"
#include "engine/audio/PcmFormat.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <span>

// One audio file of a kind written from a stream's interleaved 16-bit frames. A wave file holds
// the stream's PCM as it is (8-bit streams narrowed); the compressed kinds use a speech-grade
// variable bit rate and carry a title tag.
class AudioFileWriter {
public:
    virtual ~AudioFileWriter() = default;

    // The writer for a kind of file, writing to fd, which it owns once made. Throws
    // PlatformError with the library's reason when the file cannot be started (fd is then left
    // to the caller).
    static std::unique_ptr<AudioFileWriter> create(
        int fd, AudioFileKind kind, const PcmFormat& format, const QString& title);

    // Each returns the reason for a failure, empty when all went well.
    virtual QString write(std::span<const int16_t> frames) = 0;
    // Finishes the file and closes fd; the writer takes no more frames.
    virtual QString close() = 0;

protected:
    AudioFileWriter() = default;
    AudioFileWriter(const AudioFileWriter&) = default;
    AudioFileWriter& operator=(const AudioFileWriter&) = default;
};
