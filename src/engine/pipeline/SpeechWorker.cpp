#include "engine/pipeline/SpeechWorker.h"

#include "engine/pipeline/AudioPipeline.h"
#include "engine/pipeline/ChunkEventMapper.h"
#include "platform/PlatformError.h"
#include "engine/api/SpFileStream.h"

#include <QDebug>

#include <cmath>

SpeechWorker::SpeechWorker(SpeechSchedule& schedule, SynthesizerBackend& backend, const VoiceCatalog& voices,
    DeviceOutput& device, EventQueue& events, std::function<void()> notify)
    : m_schedule(schedule)
    , m_backend(backend)
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

double targetWpm(int rate) { return normalWpm * std::pow(3.0, std::clamp(rate, -10, 10) / 10.0); }

// The loudness of a stretch of audio, 0..100, from its peak sample and the voice's volume.
int level(int peak, int volume) { return std::min(100, peak * volume / 32768); }
}

int SpeechWorker::wordsPerMinute(int rate)
{
    return std::clamp(static_cast<int>(std::lround(targetWpm(rate))), slowestWpm, fastestWpm);
}

double SpeechWorker::slowdown(int rate) { return std::min(1.0, targetWpm(rate) / slowestWpm); }

bool SpeechWorker::current(quint64 generation) { return m_schedule.generation.load() == generation; }

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

bool SpeechWorker::render(const Job& job)
{
    const SpeechRequest& request = *job.request;
    const int frameBytes = request.format.bytesPerFrame();
    qint64 deviceBase = 0;
    if (!request.target) {
        const auto offset = m_device.writeOffset(job.generation);
        if (!offset)
            return false;
        deviceBase = *offset - job.streamBytes;
    }
    if (!job.resumed) {
        SpeechEvent start;
        start.kind = SpeechEvent::Kind::StartStream;
        start.stream = request.stream;
        if (!push({ start }, job, deviceBase))
            return false;
    }
    qint64 streamFrames = job.streamBytes / frameBytes;
    QString voiceId = request.voiceTokenId;
    try {
        for (size_t index = job.chunk;; ++index) {
            ChunkCursor cursor;
            {
                std::lock_guard lock(m_schedule.mutex);
                auto& starts = job.request->chunkStarts;
                if (starts.empty())
                    starts.push_back(request.chunker.begin());
                if (index >= starts.size())
                    break;
                cursor = starts[index];
            }
            if (request.chunker.atEnd(cursor))
                break;
            if (!waitWhilePaused(job) || !renderChunk(job, index, cursor, streamFrames, voiceId, deviceBase))
                return false;
        }
    } catch (const PlatformError& error) {
        // The stream still ends properly; what was spoken so far stays.
        qWarning() << "Speech stopped:" << error.description();
        if (request.target)
            static_cast<SpFileStream*>(request.target.get())->noteCutShort(error.description());
    }
    SpeechEvent end;
    end.kind = SpeechEvent::Kind::EndStream;
    end.stream = request.stream;
    end.position = streamFrames * frameBytes;
    return push({ end }, job, deviceBase) && current(job.generation);
}

bool SpeechWorker::renderChunk(
    const Job& job, size_t index, ChunkCursor cursor, qint64& streamFrames, QString& voiceId, qint64 deviceBase)
{
    const SpeechRequest& request = *job.request;
    const PcmFormat& format = request.format;
    const int frameBytes = format.bytesPerFrame();
    const int rate = m_schedule.rate.load();
    const Chunk chunk = request.chunker.chunkAt(cursor, rate);
    {
        std::lock_guard lock(m_schedule.mutex);
        auto& starts = job.request->chunkStarts;
        if (starts.size() == index + 1)
            starts.push_back(chunk.next);
    }

    std::vector<SpeechEvent> opening;
    const QString chunkVoice = m_voices.resolve(
        chunk.state.voiceRequired, chunk.state.voiceOptional, chunk.state.language, request.voiceTokenId);
    if (chunkVoice != voiceId) {
        voiceId = chunkVoice;
        SpeechEvent change;
        change.kind = SpeechEvent::Kind::VoiceChange;
        change.text = voiceId;
        opening.push_back(change);
    }
    if (chunk.sentence.end > chunk.sentence.begin) {
        SpeechEvent sentence;
        sentence.kind = SpeechEvent::Kind::Sentence;
        sentence.a = static_cast<int>(chunk.sentence.begin);
        sentence.b = static_cast<int>(chunk.sentence.end - chunk.sentence.begin);
        sentence.chunk = static_cast<int>(index);
        opening.push_back(sentence);
    }
    for (SpeechEvent& e : opening) {
        e.stream = request.stream;
        e.position = streamFrames * frameBytes;
    }
    if (!push(std::move(opening), job, deviceBase))
        return false;

    const SpObjectToken* token = m_voices.find(voiceId);
    SynthesizerBackend::Settings settings;
    settings.voiceId = token ? m_voices.synthId(*token) : QString();
    settings.wordsPerMinute = wordsPerMinute(rate);
    settings.speakPunctuation = request.speakPunctuation;

    AudioPipeline pipeline(m_backend.sampleRate(), format, slowdown(rate));
    const qint64 chunkBase = streamFrames;
    ChunkEventMapper mapper(chunk, request.stream, m_backend.sampleRate(), [&](qint64 sample) {
        return std::min(chunkBase + pipeline.outputFrame(sample), streamFrames) * frameBytes;
    });
    auto* file = static_cast<SpFileStream*>(request.target.get());
    const auto write = [&](const std::vector<int16_t>& frames) {
        if (frames.empty())
            return true;
        if (file)
            file->write(frames);
        else if (!m_device.write(format, frames, job.generation))
            return false;
        streamFrames += static_cast<qint64>(frames.size()) / format.channels;
        return true;
    };

    const qint64 levelWindow = m_backend.sampleRate() / 20; // an audio level every 50 ms
    qint64 delivered = 0;
    int peak = 0;
    bool ok = true;
    std::optional<PlatformError> failure;
    const SynthesizerBackend::Sink sink = [&](std::span<const int16_t> samples, std::span<const SynthEvent> events) {
        if (!current(job.generation))
            return ok = false;
        mapper.add(events);
        const int volume = m_schedule.volume.load();
        for (size_t i = 0; i < samples.size(); ++i) {
            const qint64 at = delivered + static_cast<qint64>(i);
            if (at % levelWindow == 0 && at > 0) {
                mapper.addLevel(at, level(peak, volume));
                peak = 0;
            }
            peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
        }
        const double gain = volume / 100.0;
        // Nothing may be thrown through the synthesiser's C code: keep the failure for later.
        try {
            if (!write(pipeline.process(samples, gain)))
                return ok = false;
        } catch (const PlatformError& error) {
            failure = error;
            return ok = false;
        }
        delivered += static_cast<qint64>(samples.size());
        return ok = push(mapper.release(delivered), job, deviceBase);
    };
    m_backend.synthesize(chunk.ssml, settings, sink);
    if (failure)
        throw *failure;
    if (!ok || !write(pipeline.flush()))
        return false;
    if (delivered % levelWindow != 0)
        mapper.addLevel(delivered, level(peak, m_schedule.volume.load()));
    return push(mapper.finish(delivered), job, deviceBase);
}
