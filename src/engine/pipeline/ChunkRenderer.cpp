#include "engine/pipeline/ChunkRenderer.h"

#include "engine/pipeline/StreamWriter.h"

#include <algorithm>

ChunkRenderer::ChunkRenderer(const Chunk& chunk, int stream, int sampleRate, double speed, StreamWriter& out,
    const std::atomic<int>& volume, Current current, Push push)
    : m_chunk(chunk)
    , m_out(out)
    , m_volume(volume)
    , m_current(std::move(current))
    , m_push(std::move(push))
    , m_pipeline(sampleRate, out.format(), speed)
    , m_chunkBase(out.frames())
    , m_mapper(chunk, stream, sampleRate, [this](qint64 sample) { return streamPosition(sample); })
    , m_meter(sampleRate / 20)
{
}

// Events are placed at the audio written so far at most: the pipeline may hold some back.
qint64 ChunkRenderer::streamPosition(qint64 sample) const
{
    return std::min(m_chunkBase + m_pipeline.outputFrame(sample), m_out.frames()) * m_out.format().bytesPerFrame();
}

bool ChunkRenderer::render(const Synthesize& synthesize)
{
    synthesize(
        [this](std::span<const int16_t> samples, std::span<const SynthEvent> events) { return take(samples, events); });
    if (m_failure)
        throw *m_failure;
    if (!m_ok || !m_out.write(m_pipeline.flush()))
        return false;
    if (const std::optional<AudioLevelMeter::Level> last = m_meter.finish(m_volume.load()))
        m_mapper.addLevel(last->sample, last->level);
    return m_push(m_mapper.finish(m_meter.samples()));
}

// The synthesiser's sink: one block of samples with the events inside it; false stops it.
bool ChunkRenderer::take(std::span<const int16_t> samples, std::span<const SynthEvent> events)
{
    if (!m_current())
        return m_ok = false;
    m_mapper.add(events);
    const int volume = m_volume.load();
    for (const AudioLevelMeter::Level& level : m_meter.add(samples, volume))
        m_mapper.addLevel(level.sample, level.level);
    // Nothing may be thrown through the synthesiser's C code: keep the failure for later.
    try {
        if (!m_out.write(m_pipeline.process(samples, volume / 100.0)))
            return m_ok = false;
    } catch (const PlatformError& error) {
        m_failure = error;
        return m_ok = false;
    }
    return m_ok = m_push(m_mapper.release(m_meter.samples()));
}
