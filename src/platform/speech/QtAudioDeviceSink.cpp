#include "QtAudioDeviceSink.h"

#include "PlatformError.h"

#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>
#include <algorithm>

namespace {

// Requested device latency. PulseAudio (adjust-latency mode) splits it between the stream's buffer
// (three quarters, what Qt reports as bufferSize()) and the sink. With a 5 ms refill tick, 50 ms
// did not underrun with two busy loops on two cores; 60 or 80 ms did no better under heavier load.
constexpr qint64 kRequestedLatencyMs = 50;
constexpr int kTickMs = 5;
// A queue that holds source bytes, has room and does not move is waiting for PulseAudio's
// prebuffer threshold, which a short tail after an underrun never reaches on its own.
constexpr qint64 kMinStuckMs = 40;
// Qt 6.4 updates audioOutputs() but never emits audioOutputsChanged, so the device is polled.
constexpr qint64 kDevicePollMs = 250;

} // namespace

QtAudioDeviceSink::QtAudioDeviceSink(
    const QAudioDevice& device, const QAudioFormat& format, PcmSource& source, RetiredAudioSinks& retired)
    : m_device(device)
    , m_format(format)
    , m_source(source)
    , m_retired(retired)
    , m_frameBytes(std::max(1, format.bytesPerFrame()))
    , m_bytesPerSecond(qint64(format.sampleRate()) * m_frameBytes)
    , m_requestedBuffer(m_bytesPerSecond * kRequestedLatencyMs / 1000 / m_frameBytes * m_frameBytes)
{
    m_devicePoll.start();
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(kTickMs);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { pump(); });
    startStream();
    if (m_failed)
        throw PlatformError(m_errorString);
    pump();
}

QtAudioDeviceSink::~QtAudioDeviceSink()
{
    m_timer.stop();
    retire(std::move(m_sink));
}

void QtAudioDeviceSink::retire(std::unique_ptr<QAudioSink> sink)
{
    if (!sink)
        return;
    QObject::disconnect(sink.get(), nullptr, &m_timer, nullptr);
    // reset() drops what the stream holds, so that stop() does not play it out.
    sink->reset();
    sink->stop();
    m_retired.retire(std::move(sink));
}

void QtAudioDeviceSink::startStream()
{
    auto sink = std::make_unique<QAudioSink>(m_device, m_format);
    sink->setBufferSize(m_requestedBuffer);
    QAudioSink* raw = sink.get();
    QObject::connect(raw, &QAudioSink::stateChanged, &m_timer, [this, raw] {
        if (raw == m_sink.get())
            checkError();
    });
    QIODevice* io = sink->start();
    // The new stream starts before the old one goes, so the device never idles: an idle
    // PulseAudio null sink renders seconds ahead and a stream joining it then waits that long.
    std::unique_ptr<QAudioSink> old = std::exchange(m_sink, std::move(sink));
    m_io = io;
    retire(std::move(old));
    m_retired.collect();
    m_segments.clear();
    m_segmentBytes = 0;
    m_lastQueued = -1;
    m_sourcePlayed = false;
    if (!m_io || m_sink->error() != QAudio::NoError || m_sink->state() == QAudio::StoppedState) {
        fail(QStringLiteral("The audio output device “%1” could not be started.").arg(m_device.description()));
        return;
    }
    m_deviceBuffer = m_sink->bufferSize();
    m_sinkLatencyBytes = std::max<qint64>(0, m_requestedBuffer - m_deviceBuffer) / m_frameBytes * m_frameBytes;
    m_queueUnchanged.start();
    if (m_suspended) {
        m_sink->suspend();
        return;
    }
    m_timer.start();
}

void QtAudioDeviceSink::checkError()
{
    if (m_failed)
        return;
    switch (m_sink->error()) {
    case QAudio::NoError:
    case QAudio::UnderrunError:
        break;
    case QAudio::OpenError:
        fail(QStringLiteral("The audio output device “%1” could not be opened.").arg(m_device.description()));
        break;
    case QAudio::IOError:
    case QAudio::FatalError:
        fail(QStringLiteral("The audio output device “%1” stopped working.").arg(m_device.description()));
        break;
    }
}

qint64 QtAudioDeviceSink::queuedInDevice() const
{
    if (!m_sink || m_failed)
        return 0;
    return std::clamp<qint64>(m_sink->bufferSize() - m_sink->bytesFree(), 0, m_segmentBytes);
}

qint64 QtAudioDeviceSink::sourceBytesQueued(qint64 queued) const
{
    // The last `queued` bytes written are the ones still in the device.
    qint64 source = 0;
    for (auto it = m_segments.rbegin(); it != m_segments.rend() && queued > 0; ++it) {
        const qint64 part = std::min(queued, it->bytes);
        if (!it->padding)
            source += part;
        queued -= part;
    }
    return source;
}

qint64 QtAudioDeviceSink::sinkAllowance(qint64 sourceQueued) const
{
    // Qt only sees the stream's buffer; the sink holds about half its own latency of what was
    // taken from it, and plays that out within its latency once the stream buffer is empty.
    if (!m_sourcePlayed)
        return 0;
    qint64 allowance = m_sinkLatencyBytes / 2;
    if (sourceQueued == 0)
        allowance -= m_lastSourceQueued.elapsed() * m_bytesPerSecond / 1000;
    return std::max<qint64>(0, allowance) / m_frameBytes * m_frameBytes;
}

// Qt 6.4's processedUSecs() follows what was written, not what was played: while PulseAudio holds
// a new stream back it reports everything as played. bufferSize() - bytesFree() follows the
// server's own requests; plus the sink allowance it matched PulseAudio's reported stream latency
// within 3-4 ms on average.
qint64 QtAudioDeviceSink::pendingBytes() const
{
    if (m_failed)
        return 0;
    if (m_suspended)
        return m_frozenPending;
    const qint64 source = sourceBytesQueued(queuedInDevice());
    return m_carry.size() + source + sinkAllowance(source);
}

void QtAudioDeviceSink::settle()
{
    const qint64 queued = queuedInDevice();
    qint64 consumed = m_segmentBytes - queued;
    while (consumed > 0 && !m_segments.empty()) {
        Segment& front = m_segments.front();
        const qint64 part = std::min(consumed, front.bytes);
        front.bytes -= part;
        m_segmentBytes -= part;
        m_sourcePlayed = m_sourcePlayed || !front.padding;
        consumed -= part;
        if (front.bytes == 0)
            m_segments.pop_front();
    }
    if (queued != m_lastQueued) {
        m_lastQueued = queued;
        m_queueUnchanged.restart();
    }
    if (sourceBytesQueued(m_segmentBytes) > 0)
        m_lastSourceQueued.start();
}

qint64 QtAudioDeviceSink::writeToDevice(const char* data, qint64 bytes, bool padding)
{
    bytes = bytes / m_frameBytes * m_frameBytes;
    if (bytes <= 0 || !m_io)
        return 0;
    const qint64 written = std::max<qint64>(0, m_io->write(data, bytes)) / m_frameBytes * m_frameBytes;
    if (written > 0) {
        if (!m_segments.empty() && m_segments.back().padding == padding)
            m_segments.back().bytes += written;
        else
            m_segments.push_back({ written, padding });
        m_segmentBytes += written;
        if (!padding)
            m_lastSourceQueued.start();
    }
    return written;
}

void QtAudioDeviceSink::pump()
{
    if (m_failed || m_suspended || !m_sink)
        return;
    if (m_devicePoll.elapsed() >= kDevicePollMs) {
        m_devicePoll.restart();
        checkDevice();
        if (m_failed)
            return;
    }
    settle();
    if (!m_carry.isEmpty()) {
        m_carry.remove(0, writeToDevice(m_carry.constData(), m_carry.size(), false));
        if (m_carry.size() >= m_frameBytes)
            return;
    }
    bool gotSource = false;
    for (;;) {
        const qint64 room = m_sink->bytesFree() / m_frameBytes * m_frameBytes - m_carry.size();
        if (room < m_frameBytes)
            break;
        if (m_scratch.size() < room)
            m_scratch.resize(room);
        const qint64 got = std::clamp<qint64>(m_source.readPcm(m_scratch.data(), room), 0, room);
        if (got == 0)
            break;
        gotSource = true;
        // A partial frame waits in m_carry for the rest of it.
        m_carry.append(m_scratch.constData(), got);
        m_carry.remove(0, writeToDevice(m_carry.constData(), m_carry.size(), false));
        if (m_carry.size() >= m_frameBytes)
            break;
    }
    if (!gotSource)
        padStuckTail();
}

void QtAudioDeviceSink::padStuckTail()
{
    if (m_segmentBytes == 0 || sourceBytesQueued(m_segmentBytes) == 0)
        return;
    const qint64 sinkMs = m_sinkLatencyBytes * 1000 / m_bytesPerSecond;
    if (m_queueUnchanged.elapsed() < std::max(kMinStuckMs, 3 * sinkMs))
        return;
    const qint64 room = m_sink->bytesFree() / m_frameBytes * m_frameBytes;
    if (room <= 0)
        return;
    // Silence is zero for signed samples and mid-scale for unsigned 8-bit ones.
    const char zero = m_format.sampleFormat() == QAudioFormat::UInt8 ? char(0x80) : char(0);
    const QByteArray silence(room, zero);
    writeToDevice(silence.constData(), silence.size(), true);
    m_queueUnchanged.restart();
}

void QtAudioDeviceSink::suspend()
{
    if (m_failed || m_suspended)
        return;
    m_frozenPending = pendingBytes();
    m_suspended = true;
    m_timer.stop();
    m_sink->suspend();
}

void QtAudioDeviceSink::resume()
{
    if (m_failed || !m_suspended)
        return;
    m_suspended = false;
    m_sink->resume();
    m_queueUnchanged.restart();
    m_lastSourceQueued.start();
    m_timer.start();
    pump();
}

void QtAudioDeviceSink::discard()
{
    m_carry.clear();
    m_frozenPending = 0;
    if (m_failed)
        return;
    m_timer.stop();
    // Qt's reset() leaves a push stream that must be restarted, and a restarted QAudioSink asks
    // for a smaller buffer each time; a fresh stream has neither problem. It pulls on the next
    // tick, so that nothing is pending when this returns.
    startStream();
}

void QtAudioDeviceSink::checkDevice()
{
    if (m_failed)
        return;
    const QList<QAudioDevice> outputs = QMediaDevices::audioOutputs();
    const bool present = std::any_of(
        outputs.begin(), outputs.end(), [this](const QAudioDevice& d) { return d.id() == m_device.id(); });
    if (!present)
        fail(QStringLiteral("The audio output device “%1” was removed.").arg(m_device.description()));
}

void QtAudioDeviceSink::fail(const QString& reason)
{
    if (m_failed)
        return;
    m_failed = true;
    m_errorString = reason;
    m_timer.stop();
    m_carry.clear();
    m_segments.clear();
    m_segmentBytes = 0;
}
