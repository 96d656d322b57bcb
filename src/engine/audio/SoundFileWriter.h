#pragma once

#include "engine/audio/AudioFileWriter.h"

#include <QtGlobal>

struct sf_private_tag;
class FileDescriptorOutput;

// A wave, Ogg Vorbis or FLAC file written through libsndfile. A wave file holds the stream's PCM
// as it always did and stops at the most its header can count; Vorbis is written at quality 4,
// FLAC without loss, 8-bit streams as 8-bit FLAC.
class SoundFileWriter final : public AudioFileWriter {
public:
    // A RIFF header counts the bytes after its first eight in 32 bits.
    static constexpr qint64 waveFileLimit = qint64(0xFFFFFFFF) + 8;

    // Writes to fd, which it then owns once constructed. Throws PlatformError with the library's
    // reason when the file cannot be started (fd is then left to the caller). A wave file is
    // refused beyond waveBytes bytes, header included.
    SoundFileWriter(
        int fd, AudioFileKind kind, const PcmFormat& format, const QString& title, qint64 waveBytes = waveFileLimit);
    ~SoundFileWriter() override;
    SoundFileWriter(const SoundFileWriter&) = delete;
    SoundFileWriter& operator=(const SoundFileWriter&) = delete;

    QString write(std::span<const int16_t> frames) override;
    QString close() override;

private:
    void setSpeechQuality();
    QString waveRoomFor(qint64 frames);
    QString reason() const;

    sf_private_tag* m_file = nullptr;
    std::unique_ptr<FileDescriptorOutput> m_io; // null for a wave file, which libsndfile writes to fd itself
    int m_channels;
    int m_bytesPerFrame;
    qint64 m_waveBytes = 0; // a wave file's length so far, header included
    qint64 m_waveLimit;
};
