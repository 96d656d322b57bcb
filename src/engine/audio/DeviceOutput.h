#pragma once

#include "engine/audio/AudioOutputProvider.h"

#include <QElapsedTimer>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <span>

// The audio between the worker and the loudspeakers: a bounded buffer of PCM (in runs that
// each keep one format), the device sink that plays it and the count of bytes played, which
// paces the events. Bytes are counted on one device clock across formats and streams.
// Without a working sink the buffer drains at the real rate, so streams still end.
class DeviceOutput final : public PcmSource {
public:
    explicit DeviceOutput(AudioOutputProvider& provider);
    ~DeviceOutput() override;

    // Worker side. Appends frames (interleaved 16-bit) in format; blocks while the buffer holds
    // more than aheadMs of audio. Returns the device offset of the first byte written, nullopt
    // when generation was superseded meanwhile.
    std::optional<qint64> write(const PcmFormat& format, std::span<const int16_t> frames, quint64 generation);
    std::optional<qint64> writeOffset(quint64 generation) const;

    // UI side.
    void setDevice(const QByteArray& deviceId); // empty: the default device
    QByteArray device() const { return m_deviceId; }
    qint64 playedBytes() const;
    bool idle() const; // nothing buffered and nothing left to play
    // Drops every buffered byte and starts a new generation; cheap, safe under other locks.
    void clear(quint64 generation);
    void silence(); // drops what the sink holds
    void setPaused(bool paused);
    void service(); // opens or reopens the sink as the buffered format needs, drains without one
    void close(); // refuses every waiting write, for shutdown
    QString takeError(); // the first device failure since the last call, once

    qint64 readPcm(char* data, qint64 maxBytes) override;

    static constexpr int aheadMs = 300;

private:
    struct Run {
        PcmFormat format;
        std::deque<char> bytes;
    };
    qint64 bufferedMs() const;
    void openSink(const PcmFormat& format);
    void dropSink();
    qint64 readLocked(char* data, qint64 maxBytes);

    AudioOutputProvider& m_provider;
    QByteArray m_deviceId;
    std::unique_ptr<AudioDeviceSink> m_sink;
    PcmFormat m_sinkFormat;
    mutable std::mutex m_mutex;
    std::condition_variable m_space;
    std::deque<Run> m_runs;
    qint64 m_written = 0; // device offset after the last buffered byte
    qint64 m_handed = 0; // device offset after the last byte given to the sink
    quint64 m_generation = 0;
    bool m_paused = false;
    bool m_closed = false;
    QElapsedTimer m_clock; // drains the buffer when there is no sink
    QString m_error;
    std::optional<PcmFormat> m_failedFormat; // not retried until the device changes or it drained
};
