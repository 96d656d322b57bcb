#include "MonitorRecording.h"

#include <QtEndian>
#include <cstdlib>

namespace {

// Speech is well above this; a null sink's silence is exactly zero.
constexpr int kNoiseFloor = 300;

} // namespace

MonitorRecording::MonitorRecording(const QString& server, const QString& sink)
    : m_server(server)
    , m_sink(sink)
{
}

MonitorRecording::~MonitorRecording()
{
    stop();
}

bool MonitorRecording::start()
{
    QStringList arguments { "-d", m_sink + ".monitor", "--raw", "--format=s16le", "--channels=1",
        QStringLiteral("--rate=%1").arg(rate), "--latency-msec=10" };
    if (!m_server.isEmpty())
        arguments << "--server" << m_server;
    m_process.start("parec", arguments);
    if (!m_process.waitForStarted(5000))
        return false;
    // A monitor carries silence while nothing plays, so the first bytes tell that it records.
    return m_process.waitForReadyRead(5000);
}

void MonitorRecording::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished(5000);
}

void MonitorRecording::collect()
{
    m_data += m_process.readAllStandardOutput();
}

qint64 MonitorRecording::samples()
{
    collect();
    return m_data.size() / 2;
}

qint16 MonitorRecording::sample(qint64 index) const
{
    return qFromLittleEndian<qint16>(m_data.constData() + index * 2);
}

qint64 MonitorRecording::loudSamples(qint64 from, qint64 to)
{
    const qint64 end = to < 0 ? samples() : std::min(to, samples());
    qint64 loud = 0;
    for (qint64 i = std::max<qint64>(0, from); i < end; ++i)
        loud += std::abs(sample(i)) > kNoiseFloor ? 1 : 0;
    return loud;
}

qint64 MonitorRecording::soundingSpan(qint64 from)
{
    for (qint64 i = samples() - 1; i >= from; --i) {
        if (std::abs(sample(i)) > kNoiseFloor)
            return i + 1 - from;
    }
    return 0;
}
