#pragma once

#include "AudioOutputProvider.h"
#include "RetiredAudioSinks.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QByteArray>
#include <QElapsedTimer>
#include <QTimer>
#include <deque>
#include <memory>

class QAudioSink;
class QIODevice;

// Plays a PcmSource on one Qt Multimedia output device. Push mode, because Qt 6.4's pull mode on
// PulseAudio stops reading after the first buffer: a timer on the owning thread tops the device
// buffer up from the source, so nothing is read while suspended or failed.
class QtAudioDeviceSink final : public AudioDeviceSink {
public:
    // Starts at once; throws PlatformError when the device refuses the stream. Stopped streams
    // go to retired, which must outlive this sink.
    QtAudioDeviceSink(
        const QAudioDevice& device, const QAudioFormat& format, PcmSource& source, RetiredAudioSinks& retired);
    ~QtAudioDeviceSink() override;

    QtAudioDeviceSink(const QtAudioDeviceSink&) = delete;
    QtAudioDeviceSink& operator=(const QtAudioDeviceSink&) = delete;

    void suspend() override;
    void resume() override;
    void discard() override;
    qint64 pendingBytes() const override;
    bool failed() const override { return m_failed; }
    QString errorString() const override { return m_errorString; }

    // The buffer the device granted, in bytes (Qt's bufferSize() after start).
    qint64 deviceBufferBytes() const { return m_deviceBuffer; }

private:
    // A run of bytes handed to Qt, in play order; padding is silence the source never gave.
    struct Segment {
        qint64 bytes;
        bool padding;
    };

    void startStream();
    void retire(std::unique_ptr<QAudioSink> sink);
    void pump();
    void settle();
    void padStuckTail();
    qint64 queuedInDevice() const;
    qint64 sourceBytesQueued(qint64 queued) const;
    qint64 sinkAllowance(qint64 sourceQueued) const;
    void checkError();
    void checkDevice();
    void fail(const QString& reason);
    qint64 writeToDevice(const char* data, qint64 bytes, bool padding);

    QAudioDevice m_device;
    QAudioFormat m_format;
    PcmSource& m_source;
    RetiredAudioSinks& m_retired;
    const qint64 m_frameBytes;
    const qint64 m_bytesPerSecond;
    const qint64 m_requestedBuffer;

    std::unique_ptr<QAudioSink> m_sink;
    QIODevice* m_io = nullptr;
    QTimer m_timer;
    QByteArray m_scratch;
    QByteArray m_carry; // source bytes Qt did not accept yet

    std::deque<Segment> m_segments;
    qint64 m_segmentBytes = 0;
    qint64 m_deviceBuffer = 0;
    qint64 m_sinkLatencyBytes = 0;
    qint64 m_lastQueued = -1;
    QElapsedTimer m_queueUnchanged; // since the device queue last moved
    QElapsedTimer m_lastSourceQueued; // since the device queue last held source bytes
    QElapsedTimer m_devicePoll;
    bool m_sourcePlayed = false; // some source bytes have left the stream's buffer

    bool m_suspended = false;
    qint64 m_frozenPending = 0;
    bool m_failed = false;
    QString m_errorString;
};
