#include "engine/pipeline/PendingSynthesis.h"

PendingSynthesis::PendingSynthesis(QByteArray ssml, SynthesizerBackend::Settings settings, size_t capacity)
    : m_ssml(std::move(ssml))
    , m_settings(std::move(settings))
    , m_capacity(capacity)
{
}

bool PendingSynthesis::put(std::span<const int16_t> samples, std::span<const SynthEvent> events)
{
    std::unique_lock lock(m_mutex);
    // One block is always taken, however large, so that a block bigger than the queue gets through.
    m_changed.wait(lock, [&] { return m_cancelled || m_queued == 0 || m_queued + samples.size() <= m_capacity; });
    if (m_cancelled)
        return false;
    m_entries.push_back({ { samples.begin(), samples.end() }, { events.begin(), events.end() }, false, {} });
    m_queued += samples.size();
    m_changed.notify_all();
    return true;
}

void PendingSynthesis::restarted(const QString& description)
{
    std::lock_guard lock(m_mutex);
    m_entries.push_back({ {}, {}, true, description });
    m_changed.notify_all();
}

void PendingSynthesis::finish(bool completed)
{
    std::lock_guard lock(m_mutex);
    m_completed = completed;
    m_changed.notify_all();
}

void PendingSynthesis::fail(std::exception_ptr failure)
{
    std::lock_guard lock(m_mutex);
    m_failure = std::move(failure);
    m_changed.notify_all();
}

bool PendingSynthesis::cancelled() const
{
    std::lock_guard lock(m_mutex);
    return m_cancelled;
}

void PendingSynthesis::cancel()
{
    std::lock_guard lock(m_mutex);
    m_cancelled = true;
    m_changed.notify_all();
}

// The next entry; nullopt when the synthesis has ended with nothing left, or current() says stop.
std::optional<PendingSynthesis::Entry> PendingSynthesis::next(const Current& current)
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (!m_entries.empty()) {
            Entry entry = std::move(m_entries.front());
            m_entries.pop_front();
            m_queued -= entry.samples.size();
            m_changed.notify_all();
            return entry;
        }
        if (m_failure || m_completed)
            return std::nullopt;
        // A purge or skip is seen here too, while the synthesiser is still on its way.
        if (m_changed.wait_for(lock, pollInterval) == std::cv_status::timeout) {
            lock.unlock();
            if (!current())
                return std::nullopt;
            lock.lock();
        }
    }
}

bool PendingSynthesis::play(const SynthesizerBackend::Sink& sink, const Current& current)
{
    while (std::optional<Entry> entry = next(current)) {
        if (entry->restart)
            throw SynthesizerLost(entry->lost);
        if (!sink(entry->samples, entry->events)) {
            cancel();
            return false;
        }
    }
    std::lock_guard lock(m_mutex);
    if (m_failure)
        std::rethrow_exception(m_failure);
    if (!m_completed) { // superseded while waiting
        m_cancelled = true;
        m_changed.notify_all();
        return false;
    }
    return *m_completed;
}
