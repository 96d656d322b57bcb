#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>

// Records what a sound server sink plays, from its monitor source with parec, as 16-bit mono at
// 22050 Hz: the sound as the server rendered it, not as the program counted it.
class MonitorRecording {
public:
    static constexpr int rate = 22050;

    // server: a libpulse address such as unix:/path/native; empty for the default one.
    MonitorRecording(const QString& server, const QString& sink);
    ~MonitorRecording();

    MonitorRecording(const MonitorRecording&) = delete;
    MonitorRecording& operator=(const MonitorRecording&) = delete;

    bool start(); // false when parec is missing or the monitor cannot be read
    void stop();

    // Samples received so far; a position to measure from.
    qint64 samples();
    // Samples from `from` on (up to `to`, -1: all received) whose level is above the noise floor.
    qint64 loudSamples(qint64 from, qint64 to = -1);
    // Samples from `from` to the last loud one received; 0 when all of them are silent.
    qint64 soundingSpan(qint64 from);

private:
    void collect();
    qint16 sample(qint64 index) const;

    QString m_server;
    QString m_sink;
    QProcess m_process;
    QByteArray m_data;
};
