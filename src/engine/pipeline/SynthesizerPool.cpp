#include "engine/pipeline/SynthesizerPool.h"

#include <algorithm>

SynthesizerPool::SynthesizerPool(std::unique_ptr<SynthesizerBackend> first, Factory more, size_t size)
    : m_more(std::move(more))
    , m_sampleRate(first->sampleRate())
{
    const size_t count = m_more ? std::max<size_t>(1, size) : 1;
    m_backends.resize(count);
    m_backends[0] = std::move(first);
    m_idle.assign(count, false);
    m_threads.reserve(count);
    for (size_t i = 0; i < count; ++i)
        m_threads.emplace_back([this, i] { run(i); });
}

SynthesizerPool::~SynthesizerPool()
{
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
        for (const auto& pending : m_queue)
            pending->cancel();
        m_queue.clear();
    }
    m_wake.notify_all();
    for (std::thread& thread : m_threads)
        thread.join();
}

std::shared_ptr<PendingSynthesis> SynthesizerPool::submit(
    const QByteArray& ssml, const SynthesizerBackend::Settings& settings)
{
    auto pending = std::make_shared<PendingSynthesis>(ssml, settings, queueSamples);
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back(pending);
    }
    m_wake.notify_all();
    return pending;
}

// The next pending synthesis nobody has cancelled; null at shutdown. The idle synthesiser
// first in line takes it, so a text spoken sentence by sentence keeps to one synthesiser and
// the others are made only when sentences are rendered side by side.
std::shared_ptr<PendingSynthesis> SynthesizerPool::take(size_t index)
{
    std::unique_lock lock(m_mutex);
    m_idle[index] = true;
    m_wake.notify_all();
    for (;;) {
        m_wake.wait(lock, [&] { return m_quit || (!m_queue.empty() && firstIdle() == index); });
        if (m_quit)
            return nullptr;
        std::shared_ptr<PendingSynthesis> pending = std::move(m_queue.front());
        m_queue.pop_front();
        if (pending->cancelled())
            continue;
        m_idle[index] = false;
        m_wake.notify_all(); // the next in line may take what is left
        return pending;
    }
}

size_t SynthesizerPool::firstIdle() const
{
    return static_cast<size_t>(std::find(m_idle.begin(), m_idle.end(), true) - m_idle.begin());
}

void SynthesizerPool::run(size_t index)
{
    while (const std::shared_ptr<PendingSynthesis> pending = take(index))
        synthesize(index, *pending);
}

void SynthesizerPool::synthesize(size_t index, PendingSynthesis& pending)
{
    try {
        try {
            pending.finish(synthesizeOnce(index, pending));
            return;
        } catch (const SynthesizerLost& lost) {
            if (pending.cancelled()) {
                pending.finish(false);
                return;
            }
            pending.restarted(lost.description());
        }
        pending.finish(synthesizeOnce(index, pending));
    } catch (...) {
        pending.fail(std::current_exception());
    }
}

bool SynthesizerPool::synthesizeOnce(size_t index, PendingSynthesis& pending)
{
    SynthesizerBackend* backend = m_backends[index].get();
    if (!backend) {
        std::unique_ptr<SynthesizerBackend> made = m_more();
        if (made->sampleRate() != m_sampleRate)
            throw PlatformError(QStringLiteral("The speech synthesisers disagree on their sample rate."));
        m_backends[index] = std::move(made);
        backend = m_backends[index].get();
    }
    return backend->synthesize(
        pending.ssml(), pending.settings(), [&](std::span<const int16_t> samples, std::span<const SynthEvent> events) {
            return pending.put(samples, events);
        });
}
