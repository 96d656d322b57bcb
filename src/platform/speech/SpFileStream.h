#pragma once

#include "SpStream.h"
#include "SpeechVoiceSpeakFlags.h"

#include <QString>
#include <cstdint>
#include <mutex>
#include <span>

struct sf_private_tag;

// A RIFF/WAVE PCM file written through libsndfile in the stream's Format. The voice writes to it
// from its worker thread, so writing and closing are serialised.
class SpFileStream final : public SpStream {
public:
    SpFileStream() = default;
    ~SpFileStream() override;
    SpFileStream(const SpFileStream&) = delete;
    SpFileStream& operator=(const SpFileStream&) = delete;

    // Creates or truncates the file. Only SSFMCreateForWrite is supported. Throws PlatformError
    // with the system's description when the file cannot be created.
    void Open(const QString& fileName, int mode = SSFMCreateForWrite, bool doEvents = false);
    // Throws PlatformError when closing fails or when an earlier write failed (the file is
    // incomplete); the file is closed either way.
    void Close();
    bool isOpen() const;
    bool isFile() const override { return true; }
    PcmFormat openFormat() const { return m_openFormat; }
    QString fileName() const { return m_fileName; }

    // Appends interleaved 16-bit frames; 8-bit files narrow them. Throws PlatformError.
    void write(std::span<const int16_t> frames);
    qint64 bytesWritten() const;

private:
    mutable std::mutex m_mutex;
    sf_private_tag* m_file = nullptr;
    PcmFormat m_openFormat;
    QString m_fileName;
    qint64 m_framesWritten = 0;
    QString m_writeError; // the first failed write since Open
};
