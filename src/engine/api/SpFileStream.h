#pragma once

#include "engine/api/AudioFileKind.h"
#include "engine/api/SpStream.h"
#include "engine/api/SpeechVoiceSpeakFlags.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>

class AudioFileWriter;
class BackgroundEncoder;

// An audio file written from the stream's Format: a RIFF/WAVE PCM file, or one of the
// compressed kinds (setKind). Positions are counted in the PCM of the Format whatever
// the kind, so the voice's events mean the same in every file. The voice writes to it
// from its worker thread, so writing and closing are serialised. The samples go into a temporary
// file beside the named one, which takes the name only when Close succeeds: a recording that
// fails, or a stream released without Close, creates no file and leaves an existing one as it was.
class SpFileStream final : public SpStream {
public:
    SpFileStream();
    ~SpFileStream() override;
    SpFileStream(const SpFileStream&) = delete;
    SpFileStream& operator=(const SpFileStream&) = delete;

    // The kind of file Open starts, a wave file unless set, and the title tag of a compressed one.
    void setKind(AudioFileKind kind) { m_kind = kind; }
    AudioFileKind kind() const { return m_kind; }
    void setTitle(const QString& title) { m_title = title; }

    // Starts the file that Close creates or replaces. Only SSFMCreateForWrite is supported.
    // Throws PlatformError with the system's description when the file could not be created (its
    // folder is missing or not writable, an existing file is read-only). A symbolic link keeps
    // pointing at the file it names; a name that is no regular file (a device) is written in place.
    void Open(const QString& fileName, int mode = SSFMCreateForWrite, bool doEvents = false);
    // Finishes the file under its name. Throws PlatformError when closing fails or when an
    // earlier write failed (the file is incomplete); the file is then not created or replaced.
    void Close();
    bool isOpen() const;
    bool isFile() const override { return true; }
    PcmFormat openFormat() const { return m_openFormat; }
    QString fileName() const { return m_fileName; }

    // Appends interleaved 16-bit frames; 8-bit files narrow them. Throws PlatformError.
    void write(std::span<const int16_t> frames);
    qint64 bytesWritten() const;
    // A text spoken into this stream ended early because the synthesiser or a write failed. The
    // file stays well formed and Close still keeps it (the next text may be whole): whether a cut
    // text spoils the file is its owner's call. The first such failure since Open, else empty.
    void noteCutShort(const QString& description);
    QString cutShort() const;

private:
    mutable std::mutex m_mutex;
    bool hasFile() const { return m_file || m_encoder; }
    void discardPart();
    void keepPart();

    AudioFileKind m_kind = AudioFileKind::Wave;
    QString m_title;
    std::unique_ptr<AudioFileWriter> m_file; // a wave file, written in place
    std::unique_ptr<BackgroundEncoder> m_encoder; // or a compressed one, encoded beside the voice
    PcmFormat m_openFormat;
    QString m_fileName;
    QByteArray m_target; // where the file goes: the name, or the file a symbolic link names
    QByteArray m_part; // the temporary file beside it, empty when writing in place
    qint64 m_framesWritten = 0;
    QString m_writeError; // the first failed write since Open
    QString m_cutShort;
};
