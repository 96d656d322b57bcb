#pragma once

#include <chrono>
#include <deque>
#include <memory>

class QAudioSink;

// Keeps stopped Qt audio sinks a while before deleting them. Qt Multimedia 6.4's PulseAudio sink
// answers an underrun by draining its stream with itself as the callback's data, and stopping the
// stream cancels that drain only when the server confirms the stop: a drain reply already on its
// way then reaches a deleted sink on libpulse's thread, which has every signal blocked, and the
// program dies without a word. A stopped sink that lives a little longer takes the reply harmlessly.
class RetiredAudioSinks {
public:
    using Clock = std::chrono::steady_clock;
    // Far longer than a round trip to the sound server, even on a loaded machine.
    static constexpr std::chrono::milliseconds defaultGrace { 250 };

    explicit RetiredAudioSinks(std::chrono::milliseconds grace = defaultGrace);
    // Waits out the grace of the last sink retired, then deletes them all.
    ~RetiredAudioSinks();

    RetiredAudioSinks(const RetiredAudioSinks&) = delete;
    RetiredAudioSinks& operator=(const RetiredAudioSinks&) = delete;

    // Takes a sink that has been stopped.
    void retire(std::unique_ptr<QAudioSink> stopped);
    // Deletes the sinks whose grace is over. Deleting a sink runs Qt's event loop.
    void collect();
    size_t size() const { return m_sinks.size(); }

private:
    void deleteOldest();

    struct Retired {
        std::unique_ptr<QAudioSink> sink;
        Clock::time_point since;
    };

    std::chrono::milliseconds m_grace;
    std::deque<Retired> m_sinks; // oldest first
};
