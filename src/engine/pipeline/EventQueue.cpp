#include "engine/pipeline/EventQueue.h"

bool EventQueue::push(std::span<const SpeechEvent> events, quint64 generation)
{
    std::unique_lock lock(m_mutex);
    m_space.wait(lock, [&] { return m_closed || generation != m_generation || m_events.size() < capacity; });
    if (m_closed || generation != m_generation)
        return false;
    m_events.insert(m_events.end(), events.begin(), events.end());
    return true;
}

std::optional<SpeechEvent> EventQueue::takeNext(qint64 playedBytes)
{
    std::lock_guard lock(m_mutex);
    if (m_events.empty() || m_events.front().due > playedBytes)
        return std::nullopt;
    SpeechEvent event = std::move(m_events.front());
    m_events.pop_front();
    if (m_events.size() == capacity - 1)
        m_space.notify_all();
    return event;
}

void EventQueue::setGeneration(quint64 generation)
{
    std::lock_guard lock(m_mutex);
    m_generation = generation;
    m_space.notify_all();
}

bool EventQueue::empty() const
{
    std::lock_guard lock(m_mutex);
    return m_events.empty();
}

void EventQueue::close()
{
    std::lock_guard lock(m_mutex);
    m_closed = true;
    m_space.notify_all();
}
