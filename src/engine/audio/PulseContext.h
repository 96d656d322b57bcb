#pragma once

#include "engine/audio/AudioOutputProvider.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <pulse/pulseaudio.h>
#include <vector>

// One connection to the sound server (PulseAudio, or PipeWire through pipewire-pulse), served by
// libpulse's own thread. It keeps the server's sinks, the default first, current from the
// server's events, and when the server goes away it connects again every little while, so a
// server that comes back on the same address is used without restarting the program.
//
// lock()/unlock() take libpulse's lock (recursive), which every call on context() and on its
// streams needs; std::lock_guard works with it. The waiting calls take no lock of their own
// while they wait and are bounded, so a server that stops answering cannot hang the caller.
class PulseContext {
public:
    explicit PulseContext(const char* applicationName);
    ~PulseContext();

    PulseContext(const PulseContext&) = delete;
    PulseContext& operator=(const PulseContext&) = delete;

    void lock();
    void unlock();
    // The current connection, or nullptr when there is none that is ready. Needs the lock.
    pa_context* readyContext();

    // Waits until the connection is ready, trying again at once if it was lost; false on timeout.
    bool waitUntilReady(std::chrono::milliseconds timeout);
    // Asks the server for its sinks and waits for the answer; the list as last known on timeout
    // (empty without a connection). Descriptions are the server's.
    std::vector<AudioDeviceInfo> sinks(std::chrono::milliseconds timeout);

    // How many times a connection became ready; a reconnection makes it grow.
    int connections() const;

private:
    static void onState(pa_context* context, void* self);
    static void onEvent(pa_context* context, pa_subscription_event_type_t type, uint32_t index, void* self);
    static void onServerInfo(pa_context* context, const pa_server_info* info, void* self);
    static void onSinkInfo(pa_context* context, const pa_sink_info* info, int eol, void* self);
    static void onRetry(pa_mainloop_api* api, pa_time_event* event, const timeval* when, void* self);

    // These run on libpulse's thread, or with its lock held.
    void connect();
    void dropContext();
    void forgetConnection();
    void reconnectNow();
    void scheduleRetry();
    void stateChanged();
    void sinksEnded(bool complete);
    int requestSinks();

    pa_threaded_mainloop* m_loop = nullptr;
    pa_context* m_context = nullptr;
    pa_time_event* m_retry = nullptr;
    const QByteArray m_name;

    // Shared with waiting callers; guarded by m_mutex, never held while taking libpulse's lock.
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_ready = false;
    bool m_connecting = false;
    int m_connections = 0;
    int m_requested = 0; // sink list requests sent on this connection
    int m_answered = 0; // of those, answered in full
    QByteArray m_defaultSink;
    std::vector<AudioDeviceInfo> m_sinks; // complete lists only
    std::vector<AudioDeviceInfo> m_incoming; // the list being received
};
