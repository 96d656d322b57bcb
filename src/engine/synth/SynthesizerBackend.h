#pragma once

#include "platform/PlatformError.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

struct SynthVoice {
    QString id; // the synthesiser's own voice identifier
    QString name;
    QString language; // BCP 47, e.g. "en-US"
    QString gender; // "Male", "Female" or empty
    int age = 0;
    QString vendor {}; // the synthesiser that speaks it, e.g. "eSpeak NG"
};

// What the synthesiser reports while it speaks a text: text positions are 0-based code-point
// offsets into the UTF-8 text it was given, sample positions count from the start of that text.
struct SynthEvent {
    enum class Type { Word, Sentence, Mark, Phoneme };
    Type type = Type::Word;
    qint64 sample = 0;
    int textPosition = 0;
    int length = 0;
    QByteArray name; // mark name, or the phoneme in IPA (empty for a pause)

    bool operator==(const SynthEvent&) const = default;
};

// The synthesiser itself was lost while speaking (its process died, stopped answering or could
// not be started), not the text refused: a new one may speak the same text.
class SynthesizerLost : public PlatformError {
public:
    using PlatformError::PlatformError;
};

// The speech synthesiser behind the engine: speaks SSML into 16-bit mono samples at
// sampleRate(), on the calling thread. Tests stand in a scripted back end.
class SynthesizerBackend {
public:
    // Receives each block of samples with the events inside it; returns false to stop.
    using Sink = std::function<bool(std::span<const int16_t> samples, std::span<const SynthEvent> events)>;

    struct Settings {
        QString voiceId;
        int wordsPerMinute = 175;
        int pitch = 50; // 0..100
        bool speakPunctuation = false;
        // Someone waits for the first samples (speech due now), so they go out in a small batch;
        // a text synthesised ahead of its turn goes out in large batches, which cost less.
        bool awaited = true;
    };

    virtual ~SynthesizerBackend() = default;
    virtual int sampleRate() const = 0;
    virtual std::vector<SynthVoice> voices() const = 0;
    // Speaks ssml (UTF-8) with settings; returns false when the sink stopped it. Throws
    // PlatformError when the synthesiser refuses the text or the voice, SynthesizerLost when the
    // synthesiser itself is gone.
    virtual bool synthesize(const QByteArray& ssml, const Settings& settings, const Sink& sink) = 0;
};
