#include "engine/audio/PulseDeviceSink.h"

#include "engine/audio/PulseContext.h"
#include "platform/PlatformError.h"

#include <QDebug>
#include <algorithm>
#include <chrono>

namespace {

// A refill tick well inside the latency; the Qt sink this replaced found 5 ms enough with two
// busy loops on two cores.
constexpr int kTickMs = 5;
// How long a new stream may take to be set up before the server counts as not answering.
constexpr std::chrono::milliseconds kStartTimeout { 3000 };

void release(pa_operation* operation)
{
    if (operation)
        pa_operation_unref(operation);
}

} // namespace

std::optional<pa_sample_spec> PulseDeviceSink::sampleSpec(const PcmFormat& format)
{
    if (format.channels != 1 && format.channels != 2)
        return std::nullopt;
    pa_sample_spec sample {};
    if (format.bitsPerSample == 8)
        sample.format = PA_SAMPLE_U8;
    else if (format.bitsPerSample == 16)
        sample.format = PA_SAMPLE_S16LE;
    else
        return std::nullopt;
    if (format.sampleRate <= 0)
        return std::nullopt;
    sample.rate = uint32_t(format.sampleRate);
    sample.channels = uint8_t(format.channels);
    if (!pa_sample_spec_valid(&sample))
        return std::nullopt;
    return sample;
}

PulseDeviceSink::PulseDeviceSink(
    std::shared_ptr<PulseContext> context, const AudioDeviceInfo& device, const PcmFormat& format, PcmSource& source)
    : m_context(std::move(context))
    , m_source(source)
    , m_sampleFormat(sampleSpec(format).value())
    , m_frameBytes(qint64(pa_frame_size(&m_sampleFormat)))
    , m_description(device.description)
    , m_device(device.id)
{
    connectStream(device);
    waitUntilStarted();
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(kTickMs);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { pump(); });
    m_timer.start();
    pump();
}

PulseDeviceSink::~PulseDeviceSink()
{
    m_timer.stop();
    closeStream();
}

void PulseDeviceSink::connectStream(const AudioDeviceInfo& device)
{
    std::lock_guard pulse(*m_context);
    pa_context* context = m_context->readyContext();
    if (!context)
        throw PlatformError(QStringLiteral("The sound server is not reachable."));
    m_stream = pa_stream_new(context, "Speech", &m_sampleFormat, nullptr);
    if (!m_stream)
        throw PlatformError(QStringLiteral("The audio output device “%1” refused a stream: %2.")
                                .arg(m_description, QString::fromUtf8(pa_strerror(pa_context_errno(context)))));
    pa_stream_set_state_callback(m_stream, &PulseDeviceSink::onState, this);
    pa_stream_set_moved_callback(m_stream, &PulseDeviceSink::onMoved, this);
    // The server picks the prebuffer and request sizes for this total latency.
    pa_buffer_attr attr {};
    attr.maxlength = uint32_t(-1);
    attr.tlength = uint32_t(pa_usec_to_bytes(latencyMs * PA_USEC_PER_MSEC, &m_sampleFormat));
    attr.prebuf = uint32_t(-1);
    attr.minreq = uint32_t(-1);
    attr.fragsize = uint32_t(-1);
    const auto flags
        = pa_stream_flags_t(PA_STREAM_ADJUST_LATENCY | PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_AUTO_TIMING_UPDATE);
    if (pa_stream_connect_playback(m_stream, device.id.constData(), &attr, flags, nullptr, nullptr) < 0) {
        const QString reason = QString::fromUtf8(pa_strerror(pa_context_errno(context)));
        closeStream();
        throw PlatformError(
            QStringLiteral("The audio output device “%1” could not be started: %2.").arg(m_description, reason));
    }
}

void PulseDeviceSink::waitUntilStarted()
{
    bool started = false;
    {
        std::unique_lock guard(m_mutex);
        started = m_stateChanged.wait_for(guard, kStartTimeout, [this] { return m_settled.load(); }) && !m_failed;
    }
    if (started)
        return;
    QString reason = errorString();
    closeStream();
    if (reason.isEmpty())
        reason = QStringLiteral("The audio output device “%1” did not start in time.").arg(m_description);
    throw PlatformError(reason);
}

void PulseDeviceSink::closeStream()
{
    std::lock_guard pulse(*m_context);
    if (!m_stream)
        return;
    // With the lock held no callback is running, and after this none can reach this object.
    pa_stream_set_state_callback(m_stream, nullptr, nullptr);
    pa_stream_set_moved_callback(m_stream, nullptr, nullptr);
    if (PA_STREAM_IS_GOOD(pa_stream_get_state(m_stream)))
        pa_stream_disconnect(m_stream);
    pa_stream_unref(m_stream);
    m_stream = nullptr;
}

void PulseDeviceSink::onState(pa_stream* stream, void* self)
{
    auto* sink = static_cast<PulseDeviceSink*>(self);
    const pa_stream_state_t state = pa_stream_get_state(stream);
    if (state == PA_STREAM_READY) {
        std::lock_guard guard(sink->m_mutex);
        sink->m_settled = true;
    } else if (!PA_STREAM_IS_GOOD(state)) {
        sink->recordFailure(sink->serverError());
        std::lock_guard guard(sink->m_mutex);
        sink->m_settled = true;
    } else {
        return;
    }
    sink->m_stateChanged.notify_all();
}

void PulseDeviceSink::onMoved(pa_stream*, void* self)
{
    static_cast<PulseDeviceSink*>(self)->m_moved = true;
}

QString PulseDeviceSink::errorString() const
{
    std::lock_guard guard(m_mutex);
    return m_errorString;
}

// The first failure is the one reported. Any thread.
void PulseDeviceSink::recordFailure(const QString& reason)
{
    {
        std::lock_guard guard(m_mutex);
        if (m_errorString.isEmpty())
            m_errorString = reason;
    }
    m_failed = true;
}

void PulseDeviceSink::fail(const QString& reason)
{
    recordFailure(reason);
    m_timer.stop();
}

QString PulseDeviceSink::serverError() const
{
    pa_context* context = pa_stream_get_context(m_stream);
    return QStringLiteral("The audio output device “%1” stopped: %2.")
        .arg(m_description, QString::fromUtf8(pa_strerror(context ? pa_context_errno(context) : PA_ERR_UNKNOWN)));
}

QByteArray PulseDeviceSink::deviceName() const
{
    std::lock_guard pulse(*m_context);
    const char* name = m_stream ? pa_stream_get_device_name(m_stream) : nullptr;
    return name ? QByteArray(name) : QByteArray();
}

void PulseDeviceSink::pump()
{
    if (m_failed) {
        m_timer.stop();
        return;
    }
    if (m_suspended)
        return;
    reportMove();
    const qint64 room = writableBytes() / m_frameBytes * m_frameBytes;
    if (room < m_frameBytes)
        return;
    if (m_scratch.size() < room)
        m_scratch.resize(room);
    // Read without libpulse's lock: the source takes locks of its own.
    const qint64 got
        = std::clamp<qint64>(m_source.readPcm(m_scratch.data(), room), 0, room) / m_frameBytes * m_frameBytes;
    if (got > 0)
        write(got);
    else if (m_triggerDue)
        trigger();
}

qint64 PulseDeviceSink::writableBytes()
{
    std::lock_guard pulse(*m_context);
    if (m_failed)
        return 0;
    const size_t writable = pa_stream_writable_size(m_stream);
    if (writable == size_t(-1)) {
        fail(serverError());
        return 0;
    }
    return qint64(writable);
}

void PulseDeviceSink::write(qint64 bytes)
{
    std::lock_guard pulse(*m_context);
    if (m_failed)
        return;
    if (pa_stream_write(m_stream, m_scratch.constData(), size_t(bytes), nullptr, 0, PA_SEEK_RELATIVE) < 0) {
        fail(serverError());
        return;
    }
    m_sinceFlush += bytes;
    m_triggerDue = true;
}

// The server holds a stream back until its prebuffer is full, which a short utterance, or the
// tail after an underrun, never fills: once the source runs dry, what was written plays at once.
void PulseDeviceSink::trigger()
{
    std::lock_guard pulse(*m_context);
    m_triggerDue = false;
    if (!m_failed)
        release(pa_stream_trigger(m_stream, nullptr, nullptr));
}

void PulseDeviceSink::reportMove()
{
    if (!m_moved.exchange(false))
        return;
    const QByteArray now = deviceName();
    if (now.isEmpty() || now == m_device)
        return;
    qWarning().noquote() << QStringLiteral("The audio output moved from “%1” to “%2”.")
                                .arg(QString::fromUtf8(m_device), QString::fromUtf8(now));
    m_device = now;
}

qint64 PulseDeviceSink::pendingBytes() const
{
    if (m_failed)
        return 0;
    if (m_suspended)
        return m_frozenPending;
    return serverPending();
}

// Written minus played, as the server's timing information has it. While the stream plays, the
// position is interpolated between the server's updates. A stream that ran dry or waits for its
// prebuffer has a frozen clock, which stops short of the audio still in the sink's own buffer:
// that part is counted down by the time since the server measured it. Until the first update
// after a start or a flush, nothing written counts as played.
qint64 PulseDeviceSink::serverPending() const
{
    std::lock_guard pulse(*m_context);
    const pa_timing_info* info = pa_stream_get_timing_info(m_stream);
    if (!info || info->write_index_corrupt || info->read_index_corrupt)
        return m_sinceFlush;
    qint64 bytes = 0;
    if (info->playing) {
        pa_usec_t latency = 0;
        int negative = 0;
        if (pa_stream_get_latency(m_stream, &latency, &negative) < 0)
            return m_sinceFlush;
        bytes = negative ? 0 : qint64(pa_usec_to_bytes(latency, &m_sampleFormat));
        m_stop.reset();
    } else {
        // The first report of a stop measured the sink when it had just taken the last bytes;
        // later ones measure it holding other streams' audio.
        if (!m_stop || m_stop->writeIndex != info->write_index)
            m_stop = Stop { info->write_index, info->timestamp, info->sink_usec };
        const pa_usec_t age = pa_timeval_age(&m_stop->measured);
        const pa_usec_t inSink = m_stop->sinkUsec > age ? m_stop->sinkUsec - age : 0;
        bytes = std::max<qint64>(0, info->write_index - info->read_index)
            + qint64(pa_usec_to_bytes(inSink, &m_sampleFormat));
    }
    return std::min(bytes, m_sinceFlush) / m_frameBytes * m_frameBytes;
}

void PulseDeviceSink::suspend()
{
    if (m_failed || m_suspended)
        return;
    m_frozenPending = serverPending();
    m_suspended = true;
    m_timer.stop();
    std::lock_guard pulse(*m_context);
    release(pa_stream_cork(m_stream, 1, nullptr, nullptr));
}

void PulseDeviceSink::resume()
{
    if (m_failed || !m_suspended)
        return;
    m_suspended = false;
    {
        std::lock_guard pulse(*m_context);
        release(pa_stream_cork(m_stream, 0, nullptr, nullptr));
    }
    m_timer.start();
    pump();
}

void PulseDeviceSink::discard()
{
    m_frozenPending = 0;
    if (m_failed)
        return;
    std::lock_guard pulse(*m_context);
    release(pa_stream_flush(m_stream, nullptr, nullptr));
    m_sinceFlush = 0;
    m_triggerDue = false;
}
