#pragma once

#include "engine/pipeline/AudioLevelMeter.h"
#include "engine/pipeline/AudioPipeline.h"
#include "engine/pipeline/ChunkEventMapper.h"
#include "engine/synth/SynthesizerBackend.h"
#include "platform/PlatformError.h"

#include <atomic>
#include <functional>
#include <optional>

class StreamWriter;

// Speaks one chunk: the synthesiser's samples go through the audio pipeline into the stream,
// its events through the mapper to the event queue, with an audio level every 50 ms.
class ChunkRenderer {
public:
    using Current = std::function<bool()>; // false once the chunk's generation is superseded
    using Push = std::function<bool(std::vector<SpeechEvent> events)>; // false when superseded

    ChunkRenderer(const Chunk& chunk, int stream, int sampleRate, double speed, StreamWriter& out,
        const std::atomic<int>& volume, Current current, Push push);
    ChunkRenderer(const ChunkRenderer&) = delete;
    ChunkRenderer& operator=(const ChunkRenderer&) = delete;

    // Speaks the chunk into a sink, as SynthesizerBackend::synthesize does.
    using Synthesize = std::function<bool(const SynthesizerBackend::Sink& sink)>;

    // False when superseded. Throws PlatformError when the synthesiser or the stream fails.
    bool render(const Synthesize& synthesize);

private:
    bool take(std::span<const int16_t> samples, std::span<const SynthEvent> events);
    qint64 streamPosition(qint64 sample) const;

    const Chunk& m_chunk;
    StreamWriter& m_out;
    const std::atomic<int>& m_volume;
    Current m_current;
    Push m_push;
    AudioPipeline m_pipeline;
    qint64 m_chunkBase; // the stream's frame where the chunk starts
    ChunkEventMapper m_mapper;
    AudioLevelMeter m_meter;
    bool m_ok = true;
    std::optional<PlatformError> m_failure;
};
