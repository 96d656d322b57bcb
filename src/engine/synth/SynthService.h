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

    // The synthesiser's small blocks are sent in batches: the first of a text small, so the
    // first audio is not delayed, the next ones twice as large each time up to the largest,
    // which keeps the messages (and both sides' system calls) few.
    static constexpr size_t firstBatchSamples = 4096;
    static constexpr size_t largestBatchSamples = 65536;
    size_t m_batchSamples = firstBatchSamples;
    std::vector<int16_t> m_samples;
    std::vector<SynthEvent> m_events;

    SynthesizerBackend& m_backend;
    MessageChannel& m_channel;
};
