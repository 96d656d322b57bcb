#pragma once

#include "engine/synth/MessageChannel.h"
#include "engine/synth/SynthesizerBackend.h"

#include <vector>

// The helper process's side: serves one synthesiser over a channel until the channel closes.
class SynthService {
public:
    SynthService(SynthesizerBackend& backend, MessageChannel& channel);

    // Returns when the engine has gone.
    void run();

private:
    bool serve(const QByteArray& request);
    bool flush();

    // The synthesiser's small blocks are sent in batches of about this many samples, which
    // keeps the messages (and the engine's wake-ups) few without delaying the first audio.
    static constexpr size_t batchSamples = 4096;
    std::vector<int16_t> m_samples;
    std::vector<SynthEvent> m_events;

    SynthesizerBackend& m_backend;
    MessageChannel& m_channel;
};
