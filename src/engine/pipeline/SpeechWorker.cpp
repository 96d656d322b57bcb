#include "engine/pipeline/SpeechWorker.h"

#include "engine/api/SpFileStream.h"
#include "engine/pipeline/ChunkRenderer.h"
#include "engine/pipeline/StreamWriter.h"
#include "platform/PlatformError.h"

#include <QDebug>

#include <cmath>

SpeechWorker::SpeechWorker(SpeechSchedule& schedule, SynthesizerPool& synthesizers, const VoiceCatalog& voices,
    DeviceOutput& device, EventQueue& events, std::function<void()> notify)
    : m_schedule(schedule)
    , m_synthesizers(synthesizers)
    , m_voices(voices)
    , m_device(device)
    , m_events(events)
    , m_notify(std::move(notify))
    , m_thread([this] { run(); })
{
}

SpeechWorker::~SpeechWorker()
{
    {
        std::lock_guard lock(m_schedule.mutex);
        m_schedule.quit = true;
        ++m_schedule.generation;
    }
    m_schedule.wake.notify_all();
    m_device.close();
    m_events.close();
    m_thread.join();
}

namespace {
constexpr int normalWpm = 175;
constexpr int slowestWpm = 80; // eSpeak NG's floor
constexpr int fastestWpm = 525;

double targetWpm(int rate)
{
    return normalWpm * std::pow(3.0, std::clamp(rate, -10, 10) / 10.0);
}

SpeechEvent streamEvent(SpeechEvent::Kind kind, int stream, qint64 position)
{
    SpeechEvent event;
    event.kind = kind;
    event.stream = stream;
    event.position = position;
    return event;
}

SpeechEvent troubleEvent(int stream, qint64 position, const QString& description, bool restarted)
{
    SpeechEvent event = streamEvent(SpeechEvent::Kind::Trouble, stream, position);
    event.text = description;
    event.a = restarted ? 1 : 0;
    return event;
}

// The events that open chunk index at position: a change of voice, and its sentence.
std::vector<SpeechEvent> openingEvents(
    const Chunk& chunk, size_t index, const std::optional<QString>& newVoice, int stream, qint64 position)
{
    std::vector<SpeechEvent> events;
    if (newVoice) {
        SpeechEvent change = streamEvent(SpeechEvent::Kind::VoiceChange, stream, position);
        change.text = *newVoice;
        events.push_back(change);
    }
    if (chunk.sentence.end > chunk.sentence.begin) {
        SpeechEvent sentence = streamEvent(SpeechEvent::Kind::Sentence, stream, position);
        sentence.a = static_cast<int>(chunk.sentence.begin);
        sentence.b = static_cast<int>(chunk.sentence.end - chunk.sentence.begin);
        sentence.chunk = static_cast<int>(index);
        events.push_back(sentence);
    }
    return events;
}
} // namespace

int SpeechWorker::wordsPerMinute(int rate)
{
    return std::clamp(static_cast<int>(std::lround(targetWpm(rate))), slowestWpm, fastestWpm);
}

double SpeechWorker::slowdown(int rate)
{
    return std::min(1.0, targetWpm(rate) / slowestWpm);
}

bool SpeechWorker::current(quint64 generation)
{
    return m_schedule.generation.load() == generation;
}

std::optional<SpeechWorker::Job> SpeechWorker::nextJob()
{
    std::unique_lock lock(m_schedule.mutex);
    m_schedule.wake.wait(lock, [&] { return m_schedule.quit || m_schedule.renderIndex < m_schedule.requests.size(); });
    if (m_schedule.quit)
        return std::nullopt;
    Job job { m_schedule.requests[m_schedule.renderIndex], 0, 0, m_schedule.generation.load() };
    if (m_schedule.renderIndex == 0 && m_schedule.rewind) {
        job.chunk = m_schedule.rewind->chunk;
        job.streamBytes = m_schedule.rewind->streamBytes;
        job.resumed = true;
        m_schedule.rewind.reset();
    }
    return job;
}

void SpeechWorker::run()
{
    while (const auto job = nextJob()) {
        const bool done = render(*job);
        std::lock_guard lock(m_schedule.mutex);
        if (done && current(job->generation) && m_schedule.renderIndex < m_schedule.requests.size()
            && m_schedule.requests[m_schedule.renderIndex] == job->request)
            ++m_schedule.renderIndex;
    }
}

bool SpeechWorker::push(std::vector<SpeechEvent> events, const Job& job, qint64 deviceBase)
{
    if (events.empty())
        return true;
    for (SpeechEvent& e : events)
        e.due = job.request->target ? -1 : deviceBase + e.position;
    const bool pushed = m_events.push(events, job.generation);
    // The UI thread polls while a stream is under way; only its start and end need a prompt wake.
    const auto kind = events.front().kind;
    if (kind == SpeechEvent::Kind::StartStream || events.back().kind == SpeechEvent::Kind::EndStream)
        m_notify();
    return pushed;
}

bool SpeechWorker::waitWhilePaused(const Job& job)
{
    // The device holds paused audio by itself; a file is held here, between chunks.
    if (!job.request->target)
        return true;
    std::unique_lock lock(m_schedule.mutex);
    m_schedule.wake.wait(lock, [&] { return m_schedule.quit || !m_schedule.paused || !current(job.generation); });
    return !m_schedule.quit && current(job.generation);
}

std::optional<qint64> SpeechWorker::deviceBase(const Job& job)
{
    if (job.request->target)
        return 0;
    const std::optional<qint64> offset = m_device.writeOffset(job.generation);
    if (!offset)
        return std::nullopt;
    return *offset - job.streamBytes;
}

bool SpeechWorker::render(const Job& job)
{
    const SpeechRequest& request = *job.request;
    const std::optional<qint64> base = deviceBase(job);
    if (!base)
        return false;
    if (!job.resumed && !push({ streamEvent(SpeechEvent::Kind::StartStream, request.stream, 0) }, job, *base))
        return false;
    auto* file = static_cast<SpFileStream*>(request.target.get());
    StreamWriter out(file, m_device, request.format, job.generation, job.streamBytes / request.format.bytesPerFrame());
    try {
        if (!renderChunks(job, out, *base))
            return false;
    } catch (const PlatformError& error) {
        // The stream still ends properly; what was spoken so far stays. A recording reports the
        // failure itself; speech on the device tells its listener when the sound stops.
        qWarning() << "Speech stopped:" << error.description();
        if (file)
            file->noteCutShort(error.description());
        else if (!push({ troubleEvent(request.stream, out.bytes(), error.description(), false) }, job, *base))
            return false;
    }
    return push({ streamEvent(SpeechEvent::Kind::EndStream, request.stream, out.bytes()) }, job, *base)
        && current(job.generation);
}

// False when superseded. The device needs only the next chunk ready when one ends; a file
// keeps every synthesiser busy.
bool SpeechWorker::renderChunks(const Job& job, StreamWriter& out, qint64 deviceBase)
{
    SpeechRequest& request = *job.request;
    const size_t depth = request.target ? m_synthesizers.size() + 1 : 2;
    ChunkLookahead ahead(
        depth, [&](size_t index, int rate, bool awaited) { return handOut(request, index, rate, awaited); });
    QString voiceId = request.voiceTokenId;
    for (size_t index = job.chunk;; ++index) {
        if (!waitWhilePaused(job))
            return false;
        const HandedOutChunk* chunk = ahead.at(index, m_schedule.rate.load());
        if (!chunk)
            return true;
        const std::optional<QString> newVoice
            = chunk->voiceId != voiceId ? std::optional<QString>(chunk->voiceId) : std::nullopt;
        if (!push(openingEvents(chunk->chunk, index, newVoice, request.stream, out.bytes()), job, deviceBase))
            return false;
        voiceId = chunk->voiceId;
        if (!speak(job, *chunk, out, deviceBase))
            return false;
    }
}

// Chunk index with its voice, given to the synthesisers at rate; nullopt past the text's end.
std::optional<HandedOutChunk> SpeechWorker::handOut(SpeechRequest& request, size_t index, int rate, bool awaited)
{
    const std::optional<ChunkCursor> cursor = chunkStart(request, index);
    if (!cursor)
        return std::nullopt;
    HandedOutChunk out { index, chunkAt(request, index, *cursor, rate), rate, {}, nullptr };
    const MarkupState& state = out.chunk.state;
    out.voiceId = m_voices.resolve(state.voiceRequired, state.voiceOptional, state.language, request.voiceTokenId);
    out.pending = m_synthesizers.submit(out.chunk.ssml, settings(out.voiceId, rate, request.speakPunctuation, awaited));
    return out;
}

// Where chunk index starts, as far as the chunks have been found; nullopt past the text's end.
std::optional<ChunkCursor> SpeechWorker::chunkStart(SpeechRequest& request, size_t index)
{
    ChunkCursor cursor;
    {
        std::lock_guard lock(m_schedule.mutex);
        auto& starts = request.chunkStarts;
        if (starts.empty())
            starts.push_back(request.chunker.begin());
        if (index >= starts.size())
            return std::nullopt;
        cursor = starts[index];
    }
    if (request.chunker.atEnd(cursor))
        return std::nullopt;
    return cursor;
}

// The chunk, noting where the next one starts.
Chunk SpeechWorker::chunkAt(SpeechRequest& request, size_t index, ChunkCursor cursor, int rate)
{
    Chunk chunk = request.chunker.chunkAt(cursor, rate);
    std::lock_guard lock(m_schedule.mutex);
    auto& starts = request.chunkStarts;
    if (starts.size() == index + 1)
        starts.push_back(chunk.next);
    return chunk;
}

// A synthesiser lost in the middle of the chunk is replaced once: the new one speaks the chunk (a
// sentence) again from its start, after what was already heard.
bool SpeechWorker::speak(const Job& job, const HandedOutChunk& chunk, StreamWriter& out, qint64 deviceBase)
{
    try {
        return speakOnce(job, chunk, out, deviceBase);
    } catch (const SynthesizerLost& lost) {
        qWarning() << "Speech synthesiser restarted:" << lost.description();
        if (!push({ troubleEvent(job.request->stream, out.bytes(), lost.description(), true) }, job, deviceBase))
            return false;
    }
    return speakOnce(job, chunk, out, deviceBase);
}

bool SpeechWorker::speakOnce(const Job& job, const HandedOutChunk& chunk, StreamWriter& out, qint64 deviceBase)
{
    const auto current = [&] { return this->current(job.generation); };
    ChunkRenderer renderer(chunk.chunk, job.request->stream, m_synthesizers.sampleRate(), slowdown(chunk.rate), out,
        m_schedule.volume, current,
        [&](std::vector<SpeechEvent> events) { return push(std::move(events), job, deviceBase); });
    return renderer.render([&](const SynthesizerBackend::Sink& sink) { return chunk.pending->play(sink, current); });
}

SynthesizerBackend::Settings SpeechWorker::settings(
    const QString& voiceId, int rate, bool speakPunctuation, bool awaited) const
{
    const SpObjectToken* token = m_voices.find(voiceId);
    SynthesizerBackend::Settings settings;
    settings.voiceId = token ? m_voices.synthId(*token) : QString();
    settings.wordsPerMinute = wordsPerMinute(rate);
    settings.speakPunctuation = speakPunctuation;
    settings.awaited = awaited;
    return settings;
}
