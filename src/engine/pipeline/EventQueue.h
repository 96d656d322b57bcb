#pragma once

#include "engine/pipeline/SpeechEvent.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

// Events in raising order. The worker pushes, the UI thread takes those that are due. Pushes
// made for a superseded generation (after a purge or skip) are dropped, and a full queue holds
// the worker back so memory stays bounded whatever the length of the text.
class EventQueue {
public:
    static constexpr size_t capacity = 20000;

    // Blocks while the queue is full; returns false when generation is no longer current.
    bool push(std::span<const SpeechEvent> events, quint64 generation);
    std::optional<SpeechEvent> takeNext(qint64 playedBytes); // the first event, when it is due
    // Drops the events that match keep() == false and starts a new generation.
    template <typename Keep> void discard(quint64 generation, Keep keep)
    {
        std::lock_guard lock(m_mutex);
        std::erase_if(m_events, [&](const SpeechEvent& e) { return !keep(e); });
        m_generation = generation;
        m_space.notify_all();
    }
    void setGeneration(quint64 generation);
    bool empty() const;
    void close(); // wakes and refuses every waiting push, for shutdown

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_space;
    std::deque<SpeechEvent> m_events;
    quint64 m_generation = 0;
    bool m_closed = false;
};
