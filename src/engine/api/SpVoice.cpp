#include "engine/api/SpVoice.h"

#include "engine/api/SpFileStream.h"
#include "engine/api/SpokenText.h"
#include "engine/api/VoiceCatalog.h"
#include "engine/audio/DeviceOutput.h"
#include "engine/audio/PulseOutputProvider.h"
#include "engine/markup/MarkupReader.h"
#include "engine/pipeline/EventQueue.h"
#include "engine/pipeline/SpeechWorker.h"
#include "engine/pipeline/SynthesizerPool.h"
#include "engine/synth/SynthesizerProcess.h"
#include "platform/PlatformError.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <thread>
#include <utility>

namespace {
constexpr int dispatchIntervalMs = 4;
const QString outputPrefix = QStringLiteral("Parlora/AudioOutputs/");
} // namespace

SpVoice::SpVoice(QObject* parent)
    : SpVoice([] { return std::make_unique<SynthesizerProcess>(); }, defaultSynthesizerCount(),
        std::make_unique<PulseOutputProvider>(), parent)
{
}

SpVoice::SpVoice(
    std::unique_ptr<SynthesizerBackend> backend, std::unique_ptr<AudioOutputProvider> outputs, QObject* parent)
    : SpVoice(std::make_unique<SynthesizerPool>(std::move(backend), nullptr, 1), std::move(outputs), parent)
{
}

SpVoice::SpVoice(
    const SynthesizerFactory& synthesizers, size_t count, std::unique_ptr<AudioOutputProvider> outputs, QObject* parent)
    : SpVoice(std::make_unique<SynthesizerPool>(synthesizers(), synthesizers, count), std::move(outputs), parent)
{
}

size_t SpVoice::defaultSynthesizerCount()
{
    return std::max(2U, std::thread::hardware_concurrency());
}

SpVoice::SpVoice(
    std::unique_ptr<SynthesizerPool> synthesizers, std::unique_ptr<AudioOutputProvider> outputs, QObject* parent)
    : QObject(parent)
    , m_synthesizers(std::move(synthesizers))
    , m_outputs(std::move(outputs))
    , m_catalog(std::make_unique<VoiceCatalog>(m_synthesizers->first().voices(), QLocale::system()))
    , m_device(std::make_unique<DeviceOutput>(*m_outputs))
    , m_events(std::make_unique<EventQueue>())
    , m_deviceStream(std::make_shared<SpStream>())
{
    const SpObjectTokens voices = m_catalog->tokens();
    if (voices.Count() == 0)
        throw PlatformError(QStringLiteral("The speech synthesiser has no voices installed."));
    m_voice = voices.Item(0);
    m_stream = m_deviceStream;
    m_deviceFormat = m_deviceStream->Format().pcm();
    const SpObjectTokens outputTokens = GetAudioOutputs();
    if (outputTokens.Count() > 0)
        m_output = outputTokens.Item(0);
    m_events->setGeneration(m_schedule.generation);
    m_device->clear(m_schedule.generation);
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(dispatchIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &SpVoice::dispatch);
    m_worker = std::make_unique<SpeechWorker>(m_schedule, *m_synthesizers, *m_catalog, *m_device, *m_events, [this] {
        if (!m_dispatchPosted.exchange(true))
            QMetaObject::invokeMethod(this, &SpVoice::dispatch, Qt::QueuedConnection);
    });
}

SpVoice::~SpVoice()
{
    m_worker.reset();
    m_timer.stop();
    // Calls the worker queued must not reach members that are going.
    QCoreApplication::removePostedEvents(this);
    // The device's sink plays on a connection of the outputs, so the device goes first.
    m_device.reset();
    m_outputs.reset();
}

SpObjectTokens SpVoice::GetVoices(const QString& requiredAttributes, const QString& optionalAttributes) const
{
    return m_catalog->select(requiredAttributes, optionalAttributes);
}

SpObjectTokens SpVoice::GetAudioOutputs(const QString& requiredAttributes, const QString& optionalAttributes) const
{
    std::vector<SpObjectToken> tokens;
    for (const AudioDeviceInfo& device : m_outputs->outputs())
        tokens.emplace_back(outputPrefix + QString::fromUtf8(device.id), device.description,
            QMap<QString, QString> { { QStringLiteral("Name"), device.description },
                { QStringLiteral("DeviceId"), QString::fromUtf8(device.id) },
                { QStringLiteral("Default"), device.isDefault ? QStringLiteral("1") : QStringLiteral("0") } });
    if (requiredAttributes.isEmpty() && optionalAttributes.isEmpty())
        return SpObjectTokens(std::move(tokens));
    // Outputs have few attributes; matching is by exact, case-insensitive value.
    std::vector<SpObjectToken> chosen;
    for (const SpObjectToken& token : tokens) {
        bool all = true;
        for (const QString& pair : requiredAttributes.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString key = pair.section(QLatin1Char('='), 0, 0).trimmed();
            const QString value = pair.section(QLatin1Char('='), 1).trimmed();
            all = all && token.attribute(key).compare(value, Qt::CaseInsensitive) == 0;
        }
        if (all)
            chosen.push_back(token);
    }
    return SpObjectTokens(std::move(chosen));
}

void SpVoice::setVoice(const SpObjectToken& token)
{
    const SpObjectToken* found = m_catalog->find(token.Id());
    if (!found)
        throw PlatformError(QStringLiteral("\"%1\" is not a voice of this speech engine.").arg(token.GetDescription()));
    m_voice = *found;
}

void SpVoice::setAudioOutput(const SpObjectToken& token)
{
    const SpObjectTokens outputs = GetAudioOutputs();
    if (outputs.Count() == 0)
        throw PlatformError(QStringLiteral("No audio output device is available."));
    SpObjectToken chosen = outputs.Item(0);
    if (!token.isNull()) {
        const auto it = std::find(outputs.begin(), outputs.end(), token);
        if (it == outputs.end())
            throw PlatformError(
                QStringLiteral("The audio output \"%1\" is not available.").arg(token.GetDescription()));
        chosen = *it;
    }
    m_output = chosen;
    m_device->setDevice(token.isNull() ? QByteArray() : chosen.attribute(QStringLiteral("DeviceId")).toUtf8());
    m_stream = m_deviceStream;
}

void SpVoice::setAudioOutputStream(const std::shared_ptr<SpStream>& stream)
{
    if (!stream || !stream->isFile()) {
        SpStream& device = stream ? *stream : *m_deviceStream;
        if (m_allowFormatChanges)
            device.Format().setType(SAFT22kHz16BitMono); // the synthesiser's own format
        m_deviceFormat = device.Format().pcm();
        m_stream = stream ? stream : m_deviceStream;
        m_deviceStream = m_stream;
        return;
    }
    auto* file = static_cast<SpFileStream*>(stream.get());
    if (!file->isOpen())
        throw PlatformError(QStringLiteral("The file stream must be opened before the voice can speak into it."));
    m_stream = stream;
}

void SpVoice::setRate(int rate)
{
    if (rate < -10 || rate > 10)
        throw PlatformError(QStringLiteral("The rate %1 is out of range; it runs from -10 to 10.").arg(rate));
    m_schedule.rate = rate;
}

void SpVoice::setVolume(int volume)
{
    if (volume < 0 || volume > 100)
        throw PlatformError(QStringLiteral("The volume %1 is out of range; it runs from 0 to 100.").arg(volume));
    m_schedule.volume = volume;
}

int SpVoice::Speak(const QString& text, int flags)
{
    if (flags & SVSFPurgeBeforeSpeak)
        purge();
    if (text.isNull()) {
        if (flags & SVSFPurgeBeforeSpeak)
            return 0;
        throw PlatformError(QStringLiteral("There is no text to speak."));
    }
    if ((flags & SVSFIsXML) && (flags & SVSFIsNotXML))
        throw PlatformError(QStringLiteral("A text cannot be both markup and plain text."));
    const QString given = (flags & SVSFIsFilename) ? SpokenText::readFile(text) : text;
    const bool xml = (flags & SVSFIsXML) || (!(flags & SVSFIsNotXML) && given.startsWith(QLatin1Char('<')));
    PronunciationRules::Rewritten rewritten = m_pronunciation.apply(given, xml);
    QString spoken = std::move(rewritten.text);
    MarkupReading reading = MarkupReader::readForgiving(spoken, xml, m_persisted);
    MarkupDocument& document = reading.document;
    m_markupError = std::move(reading.problem);
    if (flags & SVSFPersistXML) {
        m_persisted.rate = document.finalState.rate;
        m_persisted.rateAbsolute = document.finalState.rateAbsolute;
        m_persisted.pitch = document.finalState.pitch;
        m_persisted.pitchAbsolute = document.finalState.pitchAbsolute;
        m_persisted.volume = document.finalState.volume;
    }
    const bool toFile = m_stream && m_stream->isFile();
    if (!toFile && m_outputs->outputs().empty())
        throw PlatformError(QStringLiteral("No audio output device is available."));

    const int stream = m_nextStream++;
    if (!rewritten.map.isIdentity())
        m_positionMaps[stream] = std::move(rewritten.map);
    auto request = std::make_shared<SpeechRequest>(stream, std::move(spoken), std::move(document),
        (flags & SVSFNLPSpeakPunc) != 0, m_voice.attribute(QStringLiteral("Language")));
    request->voiceTokenId = m_voice.Id();
    if (toFile) {
        request->target = m_stream;
        request->format = static_cast<SpFileStream*>(m_stream.get())->openFormat();
    } else {
        request->format = m_deviceFormat;
    }
    {
        std::lock_guard lock(m_schedule.mutex);
        m_schedule.requests.push_back(std::move(request));
    }
    m_schedule.wake.notify_all();
    startTimer();
    if (!(flags & SVSFlagsAsync))
        waitFor(stream, -1);
    return stream;
}

void SpVoice::purge()
{
    std::shared_ptr<SpeechRequest> front;
    {
        std::lock_guard lock(m_schedule.mutex);
        if (!m_schedule.requests.empty() && m_schedule.requests.front()->started)
            front = m_schedule.requests.front();
        m_schedule.requests.clear();
        m_schedule.renderIndex = 0;
        m_schedule.rewind.reset();
        const quint64 generation = ++m_schedule.generation;
        // The worker must not see the new generation before the device and the queue do.
        m_device->clear(generation);
        m_events->discard(generation, [](const SpeechEvent&) { return false; });
    }
    m_schedule.wake.notify_all();
    m_device->silence();
    // Streams that never started end unseen; the one playing ends where it was cut.
    m_lastEnded = m_nextStream - 1;
    m_positionMaps.clear();
    if (front)
        emit EndStream(front->stream, QVariant(m_frontPosition));
}

void SpVoice::Pause()
{
    {
        std::lock_guard lock(m_schedule.mutex);
        m_schedule.paused = true;
    }
    m_paused = true;
    m_device->setPaused(true);
}

void SpVoice::Resume()
{
    {
        std::lock_guard lock(m_schedule.mutex);
        m_schedule.paused = false;
    }
    m_schedule.wake.notify_all();
    m_paused = false;
    m_device->setPaused(false);
    startTimer();
}

int SpVoice::Skip(const QString& type, int count)
{
    if (type.compare(QLatin1String("Sentence"), Qt::CaseInsensitive) != 0)
        throw PlatformError(QStringLiteral("\"%1\" cannot be skipped; only \"Sentence\" can.").arg(type));
    if (count == 0)
        return 0;
    int skipped = 0;
    {
        std::lock_guard lock(m_schedule.mutex);
        if (m_schedule.requests.empty() || !m_schedule.requests.front()->started)
            return 0;
        SpeechRequest& front = *m_schedule.requests.front();
        auto& starts = front.chunkStarts;
        if (starts.empty())
            starts.push_back(front.chunker.begin());
        const qint64 current = std::max(0, m_currentChunk);
        qint64 target = std::max<qint64>(0, current + count);
        // Find sentence starts ahead of what has been rendered, up to the target or the end.
        while (static_cast<qint64>(starts.size()) <= target && !front.chunker.atEnd(starts.back()))
            starts.push_back(front.chunker.nextStart(starts.back()));
        target = std::min<qint64>(target, static_cast<qint64>(starts.size()) - 1);
        skipped = static_cast<int>(std::abs(target - current));
        qint64 position = m_frontPosition;
        if (front.target)
            position = static_cast<SpFileStream*>(front.target.get())->bytesWritten();
        else
            position = std::max(position, m_device->playedBytes() - m_frontStart);
        position -= position % front.format.bytesPerFrame();
        m_schedule.rewind = SpeechSchedule::Rewind { static_cast<size_t>(target), position };
        m_schedule.renderIndex = 0;
        const quint64 generation = ++m_schedule.generation;
        m_device->clear(generation);
        m_events->discard(generation, [](const SpeechEvent&) { return false; });
    }
    m_schedule.wake.notify_all();
    m_device->silence();
    startTimer();
    return skipped;
}

bool SpVoice::finished(int stream) const
{
    return stream <= m_lastEnded;
}

bool SpVoice::waitFor(int stream, int milliseconds)
{
    if (finished(stream))
        return true;
    QEventLoop loop;
    connect(this, &SpVoice::EndStream, &loop, [&] {
        if (finished(stream))
            loop.quit();
    });
    if (milliseconds >= 0)
        QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    // The voice's own events keep arriving while the caller waits; the user's input does not.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    return finished(stream);
}

bool SpVoice::WaitUntilDone(int milliseconds)
{
    return waitFor(m_nextStream - 1, milliseconds);
}

QString SpVoice::TakeAudioOutputError()
{
    return m_device->takeError();
}

QString SpVoice::TakeMarkupError()
{
    return std::exchange(m_markupError, QString());
}

void SpVoice::startTimer()
{
    if (!m_timer.isActive())
        m_timer.start();
}

void SpVoice::dispatch()
{
    if (!m_worker)
        return; // closing
    m_dispatchPosted = false;
    m_device->service();
    // One at a time: a handler (or the audio device) may run the event loop, which dispatches
    // again, and may purge, skip or pause; what comes next is always taken from the queue.
    while (!m_paused) {
        const auto event = m_events->takeNext(m_device->playedBytes());
        if (!event)
            break;
        raise(*event);
    }
    bool busy = false;
    {
        std::lock_guard lock(m_schedule.mutex);
        busy = !m_schedule.requests.empty();
    }
    if (busy || !m_events->empty() || !m_device->idle())
        startTimer();
    else
        m_timer.stop();
}

void SpVoice::raise(const SpeechEvent& e)
{
    const QVariant position(e.position);
    m_frontPosition = e.position;
    switch (e.kind) {
    case SpeechEvent::Kind::StartStream: {
        std::lock_guard lock(m_schedule.mutex);
        if (!m_schedule.requests.empty() && m_schedule.requests.front()->stream == e.stream)
            m_schedule.requests.front()->started = true;
        m_frontStart = e.due;
        m_currentChunk = -1;
    }
        emit StartStream(e.stream, position);
        break;
    case SpeechEvent::Kind::EndStream: {
        std::lock_guard lock(m_schedule.mutex);
        if (!m_schedule.requests.empty() && m_schedule.requests.front()->stream == e.stream) {
            m_schedule.requests.pop_front();
            if (m_schedule.renderIndex > 0)
                --m_schedule.renderIndex;
        }
        m_lastEnded = std::max(m_lastEnded, e.stream);
        m_frontPosition = 0;
        m_positionMaps.erase(e.stream);
    }
        emit EndStream(e.stream, position);
        break;
    case SpeechEvent::Kind::VoiceChange: {
        const SpObjectToken* token = m_catalog->find(e.text);
        emit VoiceChange(e.stream, position, token ? *token : SpObjectToken());
        break;
    }
    case SpeechEvent::Kind::Bookmark:
        emit Bookmark(e.stream, position, e.text, e.a);
        break;
    case SpeechEvent::Kind::Word:
    case SpeechEvent::Kind::Sentence:
        raiseTextEvent(e);
        break;
    case SpeechEvent::Kind::Phoneme:
        emit Phoneme(e.stream, position, e.a, static_cast<short>(e.b), e.c, static_cast<short>(e.d));
        break;
    case SpeechEvent::Kind::Viseme:
        emit Viseme(e.stream, position, e.a, e.b, e.c, e.d);
        break;
    case SpeechEvent::Kind::AudioLevel:
        emit AudioLevel(e.stream, position, e.a);
        break;
    case SpeechEvent::Kind::EnginePrivate:
        emit EnginePrivate(e.stream, static_cast<int>(e.position), QVariant(e.a));
        break;
    case SpeechEvent::Kind::Trouble:
        emit synthesizerTrouble(e.stream, e.text, e.a != 0);
        break;
    }
}

// Word and sentence positions are found in the text the engine read; the listener wants them in
// the text it gave.
void SpVoice::raiseTextEvent(const SpeechEvent& e)
{
    int start = e.a;
    int length = e.b;
    const auto map = m_positionMaps.find(e.stream);
    if (map != m_positionMaps.end()) {
        const TextPositionMap::Span span = map->second.toOriginal(start, length);
        start = static_cast<int>(span.start);
        length = static_cast<int>(span.length);
    }
    const QVariant position(e.position);
    if (e.kind == SpeechEvent::Kind::Word) {
        emit Word(e.stream, position, start, length);
        return;
    }
    m_currentChunk = e.chunk;
    emit Sentence(e.stream, position, start, length);
}
