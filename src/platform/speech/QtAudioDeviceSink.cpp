#include "QtAudioDeviceSink.h"

#include "PlatformError.h"

#include <QAudioSink>
#include <QIODevice>
#include <algorithm>

namespace {

// Requested device latency. PulseAudio (adjust-latency mode) splits it between the stream's buffer
// (about three quarters, what Qt reports as bufferSize()) and the sink; 50 ms survives a loaded
// two-core machine with a 5 ms refill tick, and keeps position error and stop latency small.
constexpr qint64 kRequestedLatencyMs = 60;
constexpr int kTickMs = 5;
// A queue that holds source bytes, has room and does not move is waiting for PulseAudio's
// prebuffer threshold, which a short tail after an underrun never reaches on its own.
constexpr qint64 kMinStuckMs = 40;

} // namespace

QtAudioDeviceSink::QtAudioDeviceSink(const QAudioDevice& device, const QAudioFormat& format, PcmSource& source)
    : m_device(device)
    , m_format(format)
    , m_source(source)
    , m_frameBytes(std::max(1, format.bytesPerFrame()))
    , m_bytesPerSecond(qint64(format.sampleRate()) * m_frameBytes)
    , m_requestedBuffer(m_bytesPerSecond * kRequestedLatencyMs / 1000 / m_frameBytes * m_frameBytes)
{
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(kTickMs);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { pump(); });
    QObject::connect(&m_devices, &QMediaDevices::audioOutputsChanged, &m_timer, [this] { checkDevice(); });
    startStream();
    if (m_failed)
        throw PlatformError(m_errorString);
}

QtAudioDeviceSink::~QtAudioDeviceSink()
{
    m_timer.stop();
    if (m_sink) {
        // reset() flushes the stream so that stop() does not play out what is buffered.
        m_sink->reset();
        m_sink->stop();
    }
}

void QtAudioDeviceSink::startStream()
{
    m_sink = std::make_unique<QAudioSink>(m_device, m_format);
    m_sink->setBufferSize(m_requestedBuffer);
    QObject::connect(m_sink.get(), &QAudioSink::stateChanged, &m_timer, [this] {
        if (m_failed || !m_sink)
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
    });
    m_io = m_sink->start();
    if (!m_io || m_sink->error() != QAudio::NoError || m_sink->state() == QAudio::StoppedState) {
        fail(QStringLiteral("The audio output device “%1” could not be started.").arg(m_device.description()));
        return;
    }
    m_deviceBuffer = m_sink->bufferSize();
    m_sinkLatencyBytes = std::max<qint64>(0, m_requestedBuffer - m_deviceBuffer) / m_frameBytes * m_frameBytes;
    m_segments.clear();
    m_segmentBytes = 0;
    m_lastQueued = -1;
    m_sourcePlayed = false;
    m_queueUnchanged.start();
    m_timer.start();
    pump();
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
    // reset() flushes what Qt and PulseAudio hold; the push device is invalid afterwards, so the
    // stream starts over.
    m_sink->reset();
    m_io = m_sink->start();
    if (!m_io || m_sink->error() != QAudio::NoError || m_sink->state() == QAudio::StoppedState) {
        fail(QStringLiteral("The audio output device “%1” could not be restarted.").arg(m_device.description()));
        return;
    }
    m_segments.clear();
    m_segmentBytes = 0;
    m_lastQueued = -1;
    m_sourcePlayed = false;
    m_queueUnchanged.restart();
    if (m_suspended) {
        m_sink->suspend();
        return;
    }
    m_timer.start();
    pump();
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
