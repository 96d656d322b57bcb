#pragma once

#include "engine/api/SpObjectTokens.h"
#include "engine/api/SpStream.h"
#include "engine/api/SpeechVoiceSpeakFlags.h"
#include "engine/audio/AudioOutputProvider.h"
#include "engine/pipeline/SpeechEvent.h"
#include "engine/pipeline/SpeechSchedule.h"
#include "engine/pronunciation/PronunciationRules.h"
#include "engine/pronunciation/TextPositionMap.h"
#include "engine/synth/SynthesizerBackend.h"

#include <QObject>
#include <QTimer>
#include <QVariant>
#include <functional>
#include <map>
#include <memory>

class DeviceOutput;
class EventQueue;
class SpeechWorker;
class SynthesizerPool;
class VoiceCatalog;

// The voice object: speaks text through the synthesiser into the audio device or a file
// stream and raises the voice's events on the UI thread, in order, each stream opening with
// StartStream and closing with EndStream. Stream positions are byte offsets in the stream's
// format. Every failing operation throws PlatformError with a description.
class SpVoice : public QObject {
    Q_OBJECT
public:
    // Throws PlatformError when the synthesiser cannot start.
    explicit SpVoice(QObject* parent = nullptr);
    // With stand-ins for the synthesiser and the audio devices: one synthesiser only.
    SpVoice(std::unique_ptr<SynthesizerBackend> backend, std::unique_ptr<AudioOutputProvider> outputs,
        QObject* parent = nullptr);
    // With up to `count` synthesisers made by `synthesizers`, which render files side by side.
    using SynthesizerFactory = std::function<std::unique_ptr<SynthesizerBackend>()>;
    SpVoice(const SynthesizerFactory& synthesizers, size_t count, std::unique_ptr<AudioOutputProvider> outputs,
        QObject* parent = nullptr);
    ~SpVoice() override;

    // As many synthesisers as the machine has cores, and at least two.
    static size_t defaultSynthesizerCount();

    SpObjectTokens GetVoices(const QString& requiredAttributes = {}, const QString& optionalAttributes = {}) const;
    SpObjectTokens GetAudioOutputs(
        const QString& requiredAttributes = {}, const QString& optionalAttributes = {}) const;

    SpObjectToken Voice() const { return m_voice; }
    void setVoice(const SpObjectToken& token);
    SpObjectToken AudioOutput() const { return m_output; }
    void setAudioOutput(const SpObjectToken& token); // a null token selects the default output
    std::shared_ptr<SpStream> AudioOutputStream() const { return m_stream; }
    void setAudioOutputStream(const std::shared_ptr<SpStream>& stream);
    bool AllowAudioOutputFormatChangesOnNextSet() const { return m_allowFormatChanges; }
    void setAllowAudioOutputFormatChangesOnNextSet(bool allow) { m_allowFormatChanges = allow; }
    int Rate() const { return m_schedule.rate; }
    void setRate(int rate); // −10..10
    int Volume() const { return m_schedule.volume; }
    void setVolume(int volume); // 0..100

    // Queues text (a null text with SVSFPurgeBeforeSpeak only purges); returns its stream number.
    int Speak(const QString& text, int flags = SVSFDefault);
    void Pause();
    void Resume();
    int Skip(const QString& type, int count);
    bool WaitUntilDone(int milliseconds); // −1 waits without limit; true when all speech has ended
    // The last failure of the audio output (the device or the audio server went away, a format was
    // refused), once; empty when there was none. Speech then goes on silently at the real rate, so
    // every stream still ends; choosing the output again retries the device.
    QString TakeAudioOutputError();
    // What the markup of the last text given to Speak could not be read, once; empty when it was
    // read whole. Speak does not refuse such a text: the part (or, when the markup as a whole is
    // unreadable, all of the text) is spoken as plain text.
    QString TakeMarkupError();
    // How words are said: every text given to Speak later (a file's text too) is rewritten by
    // these rules before it is read; its Word and Sentence events still give positions in the
    // text as it was given.
    void setPronunciationRules(PronunciationRules rules) { m_pronunciation = std::move(rules); }
    const PronunciationRules& pronunciationRules() const { return m_pronunciation; }

signals:
    void StartStream(int StreamNumber, QVariant StreamPosition);
    void EndStream(int StreamNumber, QVariant StreamPosition);
    void VoiceChange(int StreamNumber, QVariant StreamPosition, SpObjectToken VoiceObjectToken);
    void Bookmark(int StreamNumber, QVariant StreamPosition, QString Bookmark, int BookmarkId);
    void Word(int StreamNumber, QVariant StreamPosition, int CharacterPosition, int Length);
    void Sentence(int StreamNumber, QVariant StreamPosition, int CharacterPosition, int Length);
    void Phoneme(
        int StreamNumber, QVariant StreamPosition, int Duration, short NextPhoneId, int Feature, short CurrentPhoneId);
    void Viseme(
        int StreamNumber, QVariant StreamPosition, int Duration, int NextVisemeId, int Feature, int CurrentVisemeId);
    void AudioLevel(int StreamNumber, QVariant StreamPosition, int AudioLevel);
    // Data a synthesiser passes to its host. eSpeak NG has none to pass, so it is never raised
    // today; it is declared so that hosts handle every event of the voice.
    void EnginePrivate(int StreamNumber, int StreamPosition, QVariant lParam);
    // Raised where the listener hears it: the synthesiser was lost while speaking the stream. When
    // restarted, a new synthesiser speaks on from the start of the sentence; otherwise what was
    // left of the stream is not spoken (it still ends).
    void synthesizerTrouble(int StreamNumber, QString Description, bool Restarted);

private:
    SpVoice(
        std::unique_ptr<SynthesizerPool> synthesizers, std::unique_ptr<AudioOutputProvider> outputs, QObject* parent);
    void dispatch();
    void raise(const SpeechEvent& event);
    void raiseTextEvent(const SpeechEvent& event);
    void purge();
    bool finished(int stream) const;
    bool waitFor(int stream, int milliseconds);
    void startTimer();

    std::unique_ptr<SynthesizerPool> m_synthesizers;
    std::unique_ptr<AudioOutputProvider> m_outputs;
    std::unique_ptr<VoiceCatalog> m_catalog;
    std::unique_ptr<DeviceOutput> m_device;
    std::unique_ptr<EventQueue> m_events;
    SpeechSchedule m_schedule;
    std::unique_ptr<SpeechWorker> m_worker;
    QTimer m_timer;

    SpObjectToken m_voice;
    SpObjectToken m_output;
    std::shared_ptr<SpStream> m_deviceStream;
    std::shared_ptr<SpStream> m_stream;
    PcmFormat m_deviceFormat;
    bool m_allowFormatChanges = true;
    MarkupState m_persisted;
    PronunciationRules m_pronunciation;
    // For each stream still to end whose text a rule rewrote: where its positions lie as given.
    std::map<int, TextPositionMap> m_positionMaps;
    QString m_markupError;
    int m_nextStream = 1;
    int m_currentChunk = -1; // the sentence being played in the front stream
    qint64 m_frontStart = 0; // device offset where the front stream's StartStream was due
    qint64 m_frontPosition = 0; // the position of the event raised last
    int m_lastEnded = 0; // streams end in order, so every number up to this one is done
    bool m_paused = false;
    std::atomic<bool> m_dispatchPosted { false };
};
