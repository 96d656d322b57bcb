#pragma once

#include <QObject>
#include <QString>
#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <sys/types.h>
#include <thread>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

double msBetween(Clock::time_point from, Clock::time_point to);
double median(std::vector<double> values);
double percentile(std::vector<double> values, double p); // p in 0..100, nearest rank

// A window's control found by its objectName, as the windows keep their controls to themselves.
// The search walks the window's children, so it belongs outside what is timed. A missing control
// ends the benchmark with its name.
template <class T> T& control(const QObject& window, const QString& name)
{
    T* found = window.findChild<T*>(name);
    if (!found)
        throw std::runtime_error(QStringLiteral("%1 has no %2 \"%3\"")
                                     .arg(window.objectName(), QLatin1String(T::staticMetaObject.className()), name)
                                     .toStdString());
    return *found;
}

// Varied English prose of at least `chars` characters, the same for the same seed.
QString prose(qsizetype chars, unsigned seed = 20240611);

qint64 residentKiB(); // VmRSS of this process
qint64 peakResidentKiB(); // VmHWM: the most VmRSS has been since start or resetPeakResident()
bool resetPeakResident();

struct WaveInfo {
    qint64 frames = 0;
    int sampleRate = 0;
    int channels = 0;
    double seconds() const { return sampleRate > 0 ? double(frames) / sampleRate : 0.0; }
};
std::optional<WaveInfo> waveInfo(const QString& path);
std::vector<int16_t> readMonoWave(const QString& path); // empty when unreadable

// Starts a program (searched in PATH) with its standard output on stdoutFd, or inherited for -1.
pid_t spawn(const std::vector<std::string>& argv, int stdoutFd);
// Its exit code (-1 when it did not exit normally); cpuMs receives its user+system time.
int runAndWait(const std::vector<std::string>& argv, double* cpuMs = nullptr);
double processCpuMs(); // user+system time of this process, all threads
// User+system time, in ms, of each running child of this process (the synthesiser's helpers).
std::map<pid_t, double> childrenCpuMs();
// CPU the children spent since `before` was read, counting children started since from zero.
double childrenCpuMsSince(const std::map<pid_t, double>& before);
std::string commandOutput(const std::vector<std::string>& argv); // its standard output; waits for it

// Records a PulseAudio source (the default sink's monitor) with parec as 16-bit mono at `rate`,
// timestamping every read on a thread of its own, so the recording serves as the sink's clock.
class MonitorRecorder {
public:
    explicit MonitorRecorder(int rate, int latencyMs);
    ~MonitorRecorder();
    MonitorRecorder(const MonitorRecorder&) = delete;
    MonitorRecorder& operator=(const MonitorRecorder&) = delete;

    bool start(); // false when parec could not be started
    bool waitForData(int ms); // true once some audio arrived
    std::vector<int16_t> recentSamples(int ms) const; // while recording: the last `ms` of samples
    // Ends the recording; the clock is fitted on the reads from `from` on, after the start-up burst.
    void stop(Clock::time_point from = {});

    // Valid after stop().
    const std::vector<int16_t>& samples() const { return m_samples; }
    // When the sink rendered recorded sample `sample`: its count against the earliest arrivals of
    // the reads within half a second of it. Local, because the sink's clock drifts from ours.
    Clock::time_point timeOf(double sample) const;
    qint64 samplesBy(Clock::time_point time) const; // how many samples had arrived by then
    // How much later than the earliest one nearby a typical read arrived, in ms.
    double medianArrivalSpreadMs() const { return m_spreadMs; }

private:
    void read();

    int m_rate;
    int m_latencyMs;
    pid_t m_pid = -1;
    int m_fd = -1;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::vector<int16_t> m_samples;
    std::vector<std::pair<Clock::time_point, qint64>> m_arrivals; // time, samples received by then
    Clock::time_point m_base; // the first arrival
    std::vector<std::pair<qint64, double>> m_offsets; // samples received, arrival minus their duration (ms)
    double m_spreadMs = 0;
    double localEarliest(qint64 sample) const;
};

} // namespace bench
