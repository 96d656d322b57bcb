#pragma once

#include "engine/audio/AudioOutputProvider.h"

#include <QByteArray>
#include <QTimer>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <pulse/pulseaudio.h>

class PulseContext;

// One playback stream on a sound server sink. A timer on the owning thread tops the stream's
// buffer up from the source, so the source is only ever read on that thread and nothing is read
// while suspended or failed. The play position comes from the server's timing information.
// libpulse's thread only sets atomics and wakes waiters here.
class PulseDeviceSink final : public AudioDeviceSink {
public:
    // The total latency asked of the server: low enough for events to follow the sound, high
    // enough not to wake the sound system for every few samples.
    static constexpr int latencyMs = 50;

    // Starts the stream on the sink named device.id and pulls at once. Throws PlatformError when
    // the server refuses the stream or does not answer.
    PulseDeviceSink(std::shared_ptr<PulseContext> context, const AudioDeviceInfo& device, const PcmFormat& format,
        PcmSource& source);
    ~PulseDeviceSink() override;

    PulseDeviceSink(const PulseDeviceSink&) = delete;
    PulseDeviceSink& operator=(const PulseDeviceSink&) = delete;

    // The server's layout of format, when the stream can carry it (8/16-bit mono or stereo).
    static std::optional<pa_sample_spec> sampleSpec(const PcmFormat& format);

    void suspend() override;
    void resume() override;
    void discard() override;
    qint64 pendingBytes() const override;
    bool failed() const override { return m_failed.load(); }
    QString errorString() const override;

    // The server's name of the sink the stream plays on; it changes when the server moves it.
    QByteArray deviceName() const;

private:
    static void onState(pa_stream* stream, void* self);
    static void onMoved(pa_stream* stream, void* self);

    void connectStream(const AudioDeviceInfo& device);
    void waitUntilStarted();
    void closeStream();
    void pump();
    qint64 writableBytes();
    void write(qint64 bytes);
    void trigger();
    void reportMove();
    qint64 serverPending() const;
    void recordFailure(const QString& reason);
    void fail(const QString& reason);
    QString serverError() const;

    std::shared_ptr<PulseContext> m_context;
    PcmSource& m_source;
    const pa_sample_spec m_sampleFormat;
    const qint64 m_frameBytes;
    const QString m_description;
    pa_stream* m_stream = nullptr;

    QTimer m_timer;
    QByteArray m_scratch;
    QByteArray m_device; // where the stream plays, as last reported
    qint64 m_sinceFlush = 0; // bytes written since the stream was last flushed
    bool m_triggerDue = false; // written bytes may be waiting for the server's prebuffer
    bool m_suspended = false;
    qint64 m_frozenPending = 0;
    // Where the stream stood when the server first reported it stopped, not corked.
    struct Stop {
        int64_t writeIndex;
        timeval measured;
        pa_usec_t sinkUsec;
    };
    mutable std::optional<Stop> m_stop;

    // Set from libpulse's thread.
    std::atomic<bool> m_failed = false;
    std::atomic<bool> m_moved = false;
    std::atomic<bool> m_settled = false; // the stream is ready or has failed
    mutable std::mutex m_mutex;
    std::condition_variable m_stateChanged;
    QString m_errorString;
};
