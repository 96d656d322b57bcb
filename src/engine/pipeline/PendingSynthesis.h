#pragma once

#include "engine/synth/SynthesizerBackend.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>

// One chunk handed to a synthesiser ahead of its turn. A pool thread synthesises it into this
// queue of blocks while the speech thread plays out earlier chunks; the speech thread then plays
// the blocks into its sink in order, as if the synthesiser were speaking them there and then.
// The queue holds at most `capacity` samples: a full queue holds the synthesiser back.
class PendingSynthesis {
public:
    using Current = std::function<bool()>; // false once the speech it belongs to is superseded

    PendingSynthesis(QByteArray ssml, SynthesizerBackend::Settings settings, size_t capacity);
    PendingSynthesis(const PendingSynthesis&) = delete;
    PendingSynthesis& operator=(const PendingSynthesis&) = delete;

    const QByteArray& ssml() const { return m_ssml; }
    const SynthesizerBackend::Settings& settings() const { return m_settings; }

    // The synthesiser's side. put() blocks while the queue is full; false once cancelled.
    bool put(std::span<const int16_t> samples, std::span<const SynthEvent> events);
    void restarted(const QString& description); // a lost synthesiser, replaced: it starts again
    void finish(bool completed);
    void fail(std::exception_ptr failure);
    bool cancelled() const;

    // The speech thread's side. Plays blocks into sink until the synthesis ends, as
    // SynthesizerBackend::synthesize does: false when the sink or current() stopped it. Throws
    // SynthesizerLost at a restart (a second play() goes on after it) and the synthesiser's failure.
    bool play(const SynthesizerBackend::Sink& sink, const Current& current);
    void cancel(); // stops the synthesiser at its next block

private:
    struct Entry {
        std::vector<int16_t> samples;
        std::vector<SynthEvent> events;
        bool restart = false; // the synthesiser was replaced here: lost says why
        QString lost;
    };
    std::optional<Entry> next(const Current& current);

    static constexpr std::chrono::milliseconds pollInterval { 10 };

    const QByteArray m_ssml;
    const SynthesizerBackend::Settings m_settings;
    const size_t m_capacity;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Entry> m_entries;
    size_t m_queued = 0; // samples in m_entries
    std::optional<bool> m_completed;
    std::exception_ptr m_failure;
    bool m_cancelled = false;
};
