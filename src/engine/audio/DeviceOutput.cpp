#include "engine/audio/DeviceOutput.h"

#include "platform/PlatformError.h"

#include <algorithm>

DeviceOutput::DeviceOutput(AudioOutputProvider& provider)
    : m_provider(provider)
{
}

DeviceOutput::~DeviceOutput()
{
    close();
    dropSink();
}

qint64 DeviceOutput::bufferedMs() const
{
    qint64 ms = 0;
    for (const Run& run : m_runs)
        ms += static_cast<qint64>(run.bytes.size()) * 1000
            / (static_cast<qint64>(run.format.sampleRate) * run.format.bytesPerFrame());
    return ms;
}

std::optional<qint64> DeviceOutput::write(const PcmFormat& format, std::span<const int16_t> frames, quint64 generation)
{
    std::unique_lock lock(m_mutex);
    m_space.wait(lock, [&] { return m_closed || generation != m_generation || bufferedMs() < aheadMs; });
    if (m_closed || generation != m_generation)
        return std::nullopt;
    if (m_runs.empty() || !(m_runs.back().format == format))
        m_runs.push_back({ format, {} });
    std::deque<char>& bytes = m_runs.back().bytes;
    const qint64 offset = m_written;
    if (format.bitsPerSample == 8) {
        for (const int16_t s : frames)
            bytes.push_back(static_cast<char>(static_cast<uint8_t>((s >> 8) + 128)));
    } else {
        for (const int16_t s : frames) {
            bytes.push_back(static_cast<char>(s & 0xff));
            bytes.push_back(static_cast<char>((s >> 8) & 0xff));
        }
    }
    m_written += static_cast<qint64>(frames.size()) * format.bitsPerSample / 8;
    return offset;
}

std::optional<qint64> DeviceOutput::writeOffset(quint64 generation) const
{
    std::lock_guard lock(m_mutex);
    if (generation != m_generation)
        return std::nullopt;
    return m_written;
}

qint64 DeviceOutput::readLocked(char* data, qint64 maxBytes)
{
    qint64 done = 0;
    while (done < maxBytes && !m_runs.empty()) {
        Run& run = m_runs.front();
        if (!(run.format == m_sinkFormat) && m_sink)
            break;
        const qint64 frame = run.format.bytesPerFrame();
        const qint64 n = std::min<qint64>((maxBytes - done) / frame * frame, static_cast<qint64>(run.bytes.size()));
        if (n <= 0 && !run.bytes.empty())
            break;
        if (data)
            std::copy_n(run.bytes.begin(), n, data + done);
        run.bytes.erase(run.bytes.begin(), run.bytes.begin() + n);
        done += n;
        if (!run.bytes.empty())
            break;
        if (m_runs.size() == 1)
            break;
        m_runs.pop_front();
    }
    m_handed += done;
    if (done > 0)
        m_space.notify_all();
    return done;
}

qint64 DeviceOutput::readPcm(char* data, qint64 maxBytes)
{
    std::lock_guard lock(m_mutex);
    if (m_paused)
        return 0;
    return readLocked(data, maxBytes);
}

qint64 DeviceOutput::playedBytes() const
{
    std::lock_guard lock(m_mutex);
    return m_handed - (m_sink ? m_sink->pendingBytes() : 0);
}

bool DeviceOutput::idle() const
{
    std::lock_guard lock(m_mutex);
    return m_written == m_handed && (!m_sink || m_sink->pendingBytes() == 0);
}

void DeviceOutput::clear(quint64 generation)
{
    std::lock_guard lock(m_mutex);
    m_runs.clear();
    m_written = m_handed;
    m_generation = generation;
    m_space.notify_all();
}

void DeviceOutput::silence()
{
    if (m_sink)
        m_sink->discard();
}

void DeviceOutput::setPaused(bool paused)
{
    {
        std::lock_guard lock(m_mutex);
        m_paused = paused;
    }
    if (m_sink)
        paused ? m_sink->suspend() : m_sink->resume();
    m_clock.restart();
}

void DeviceOutput::setDevice(const QByteArray& deviceId)
{
    if (deviceId == m_deviceId && m_sink)
        return;
    m_deviceId = deviceId;
    m_failedFormat.reset();
    dropSink();
    service();
}

void DeviceOutput::dropSink()
{
    m_sink.reset();
}

void DeviceOutput::openSink(const PcmFormat& format)
{
    dropSink();
    {
        std::lock_guard lock(m_mutex);
        m_sinkFormat = format;
    }
    try {
        m_sink = m_provider.open(m_deviceId, format, *this);
        if (m_paused)
            m_sink->suspend();
        m_failedFormat.reset();
    } catch (const PlatformError& error) {
        // The first failure says why: a device that stopped is reopened at once, and fails again.
        if (m_error.isEmpty())
            m_error = error.description();
        m_failedFormat = format;
    }
    m_clock.restart();
}

void DeviceOutput::service()
{
    std::optional<PcmFormat> wanted;
    {
        std::lock_guard lock(m_mutex);
        if (!m_runs.empty() && !(m_runs.front().bytes.empty() && m_runs.size() == 1))
            wanted = m_runs.front().format;
    }
    // A format that failed is tried again once the audio buffered in it has passed: the server
    // may be back by the next utterance.
    if (!wanted)
        m_failedFormat.reset();
    if (m_sink && m_sink->failed()) {
        if (m_error.isEmpty())
            m_error = m_sink->errorString();
        dropSink();
        m_clock.restart();
    }
    // A new format waits until the sink has played what it holds in the old one.
    if (wanted && (!m_sink || (!(m_sinkFormat == *wanted) && m_sink->pendingBytes() == 0))
        && !(m_failedFormat && *m_failedFormat == *wanted))
        openSink(*wanted);
    if (m_sink || m_paused)
        return;
    // No device to play on: let the audio pass at the real rate.
    if (!m_clock.isValid())
        m_clock.start();
    std::lock_guard lock(m_mutex);
    if (m_runs.empty()) {
        m_clock.restart();
        return;
    }
    const PcmFormat& format = m_runs.front().format;
    const qint64 bytes = m_clock.restart() * format.sampleRate / 1000 * format.bytesPerFrame();
    m_sinkFormat = format;
    readLocked(nullptr, bytes);
}

void DeviceOutput::close()
{
    std::lock_guard lock(m_mutex);
    m_closed = true;
    m_space.notify_all();
}

QString DeviceOutput::takeError()
{
    return std::exchange(m_error, {});
}
