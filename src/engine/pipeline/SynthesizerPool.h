#pragma once

#include "engine/pipeline/PendingSynthesis.h"
#include "engine/synth/SynthesizerBackend.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// Several synthesisers, each on a thread of its own, taking handed-out chunks in the order they
// were handed out. The first synthesiser is the one the voice was made with; the others are made
// on first need, so a voice that never renders sentences side by side starts one.
class SynthesizerPool {
public:
    using Factory = std::function<std::unique_ptr<SynthesizerBackend>()>;

    // size synthesisers at most; more is null for a pool of the first alone.
    SynthesizerPool(std::unique_ptr<SynthesizerBackend> first, Factory more, size_t size);
    ~SynthesizerPool(); // cancels what is handed out and joins
    SynthesizerPool(const SynthesizerPool&) = delete;
    SynthesizerPool& operator=(const SynthesizerPool&) = delete;

    size_t size() const { return m_threads.size(); }
    const SynthesizerBackend& first() const { return *m_backends.front(); }
    int sampleRate() const { return m_sampleRate; }

    // Queues ssml for the next free synthesiser. A synthesiser lost in the middle of it is
    // replaced once, and the pending synthesis is told so before it starts again.
    std::shared_ptr<PendingSynthesis> submit(const QByteArray& ssml, const SynthesizerBackend::Settings& settings);

    // Samples a pending synthesis holds at most before its synthesiser waits: about 45 s of speech.
    static constexpr size_t queueSamples = 1 << 20;

private:
    void run(size_t index);
    std::shared_ptr<PendingSynthesis> take(size_t index);
    size_t firstIdle() const;
    void synthesize(size_t index, PendingSynthesis& pending);
    bool synthesizeOnce(size_t index, PendingSynthesis& pending);

    Factory m_more;
    int m_sampleRate;
    std::vector<std::unique_ptr<SynthesizerBackend>> m_backends; // [0] the voice's own; the others made on first need
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::shared_ptr<PendingSynthesis>> m_queue;
    std::vector<bool> m_idle; // per synthesiser: waiting for work
    bool m_quit = false;
    std::vector<std::thread> m_threads;
};
