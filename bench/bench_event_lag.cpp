// Event lag on the device path: ~20 s of prose spoken asynchronously to the default device (the
// private PulseAudio's null sink); for each Word event, its raising time minus the time the sink
// played its StreamPosition. Also Speak-to-first-sample on the device for 1 KB to 1 MB texts.
//
// Clock: parec records the sink's monitor and a thread timestamps each read. The null sink renders
// one block (its configured latency, from pactl) when its clock reaches the block's start, and the
// monitor passes it on at once, so the earliest "arrival minus recorded duration" near a sample is
// the sink's sample-0 time less one block; taken within ±0.5 s because the sink's clock drifts
// (~300 ppm) from ours. Adding the block gives the nominal play time, which PulseAudio's latency
// figures and the engine's position estimate both refer to; the render-time figure is printed too.
// Position: the real provider is wrapped to keep a copy of every byte the engine hands to the
// device, and each word's audio is found in the recording by normalised cross-correlation, so
// gaps on the way move the match instead of corrupting the clock.
// Error: hand-over, our read (~0.5 ms) and PulseAudio's resamplers make lags look ≤ ~1 ms smaller.

#include "BenchSupport.h"
#include "ESpeakBackend.h"
#include "QtAudioOutputProvider.h"
#include "SpVoice.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <regex>

using namespace bench;

namespace {

constexpr int rate = 22050; // the device stream's format and the recording's

// Keeps a copy of what the engine hands to the device, in play order.
class TeeSource final : public PcmSource {
public:
    TeeSource(PcmSource& inner, std::vector<char>& copy, std::mutex& mutex)
        : m_inner(inner)
        , m_copy(copy)
        , m_mutex(mutex)
    {
    }
    qint64 readPcm(char* data, qint64 maxBytes) override
    {
        const qint64 n = m_inner.readPcm(data, maxBytes);
        if (n > 0) {
            std::lock_guard lock(m_mutex);
            m_copy.insert(m_copy.end(), data, data + n);
        }
        return n;
    }

private:
    PcmSource& m_inner;
    std::vector<char>& m_copy;
    std::mutex& m_mutex;
};

class TeeProvider final : public AudioOutputProvider {
public:
    std::vector<AudioDeviceInfo> outputs() const override { return m_real.outputs(); }
    std::unique_ptr<AudioDeviceSink> open(
        const QByteArray& deviceId, const PcmFormat& format, PcmSource& source) override
    {
        m_sources.push_back(std::make_unique<TeeSource>(source, m_copy, m_mutex));
        return m_real.open(deviceId, format, *m_sources.back());
    }
    qint64 size() const
    {
        std::lock_guard lock(m_mutex);
        return static_cast<qint64>(m_copy.size() / 2);
    }
    std::vector<int16_t> samples() const
    {
        std::lock_guard lock(m_mutex);
        std::vector<int16_t> out(m_copy.size() / 2);
        std::memcpy(out.data(), m_copy.data(), out.size() * 2);
        return out;
    }

private:
    QtAudioOutputProvider m_real;
    std::vector<std::unique_ptr<TeeSource>> m_sources; // outlive the sinks: the voice drops those first
    mutable std::mutex m_mutex;
    std::vector<char> m_copy;
};

void settle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Match {
    qint64 shift = 0; // recording index minus handed index
    double correlation = 0;
};

// The shift in [from, to] at which a window of the handed audio best matches the recording.
Match bestShift(const std::vector<int16_t>& handed, qint64 begin, qint64 length, const std::vector<int16_t>& recording,
    qint64 from, qint64 to)
{
    Match best { from, -2 };
    begin = std::max<qint64>(0, begin);
    length = std::min<qint64>(length, static_cast<qint64>(handed.size()) - begin);
    if (length <= 0)
        return best;
    double handedEnergy = 0;
    for (qint64 i = 0; i < length; ++i)
        handedEnergy += double(handed[size_t(begin + i)]) * handed[size_t(begin + i)];
    if (handedEnergy <= 0)
        return best;
    for (qint64 shift = from; shift <= to; ++shift) {
        const qint64 start = begin + shift;
        if (start < 0 || start + length > static_cast<qint64>(recording.size()))
            continue;
        double dot = 0, energy = 0;
        for (qint64 i = 0; i < length; ++i) {
            const double r = recording[size_t(start + i)];
            dot += r * handed[size_t(begin + i)];
            energy += r * r;
        }
        const double correlation = energy > 0 ? dot / std::sqrt(energy * handedEnergy) : 0;
        if (correlation > best.correlation)
            best = { shift, correlation };
    }
    return best;
}

qint64 firstLoud(const std::vector<int16_t>& samples, qint64 from, int threshold)
{
    for (qint64 i = std::max<qint64>(0, from); i < static_cast<qint64>(samples.size()); ++i)
        if (std::abs(samples[size_t(i)]) > threshold)
            return i;
    return -1;
}

struct SinkLatency {
    double nowMs = -1;
    double configuredMs = -1; // the null sink's block
};

// The default sink's "Latency: 4890 usec, configured 12500 usec" from pactl.
SinkLatency sinkLatency()
{
    const std::string sink = commandOutput({ "pactl", "get-default-sink" });
    const std::string all = commandOutput({ "pactl", "list", "sinks" });
    const std::string name = sink.substr(0, sink.find('\n'));
    const size_t at = all.find("Name: " + name);
    std::smatch m;
    const std::string rest = at == std::string::npos ? std::string() : all.substr(at);
    if (name.empty() || !std::regex_search(rest, m, std::regex("Latency: (\\d+) usec, configured (\\d+) usec")))
        return {};
    return { std::stod(m[1]) / 1000, std::stod(m[2]) / 1000 };
}

// Where a stream's audio starts in the recording: the first loud sample of what was handed for it
// (from `base` to `end`), found after `after` in the recording and refined by correlation.
std::optional<Match> locateStream(
    const std::vector<int16_t>& handed, qint64 base, qint64 end, const std::vector<int16_t>& recording, qint64 after)
{
    const qint64 handedOnset = firstLoud(handed, base, 2000);
    const qint64 recordedOnset = firstLoud(recording, after, 2000);
    if (handedOnset < 0 || handedOnset >= end || recordedOnset < 0)
        return std::nullopt;
    const qint64 guess = recordedOnset - handedOnset;
    const Match m
        = bestShift(handed, handedOnset - rate / 100, rate / 10, recording, guess - rate / 50, guess + rate / 50);
    if (m.correlation < 0.5)
        return std::nullopt;
    return m;
}

Clock::duration ms(double value)
{
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double, std::milli>(value));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // Reads of 20 ms ask less of the sink than the Qt stream does (12.5 ms here), so the recorder
    // leaves the sink's latency, which the engine's position estimate depends on, as it would be.
    MonitorRecorder recorder(rate, 20);
    if (!recorder.start() || !recorder.waitForData(5000)) {
        std::fprintf(stderr, "event-lag: the default sink's monitor cannot be recorded (is PulseAudio running?)\n");
        return 1;
    }
    auto provider = std::make_unique<TeeProvider>();
    TeeProvider* tee = provider.get();
    SpVoice voice(std::make_unique<ESpeakBackend>(), std::move(provider));
    if (voice.GetAudioOutputs().Count() == 0) {
        std::fprintf(stderr, "event-lag: no audio output device\n");
        return 1;
    }
    voice.setAudioOutput(SpObjectToken());

    // The device is opened once before, as in an application that has spoken already.
    voice.Speak(QStringLiteral("The device is ready."), SVSFIsNotXML);
    settle(700);

    // Part 1: the Word events of 20 s of speech.
    const QString text = prose(300, 11);
    const qint64 handedBase = tee->size();
    struct Raised {
        Clock::time_point at;
        qint64 position;
    };
    std::vector<Raised> words;
    Clock::time_point startStream;
    SinkLatency sink;
    QObject context;
    QObject::connect(&voice, &SpVoice::Word, &context, [&](int, QVariant position, int, int) {
        words.push_back({ Clock::now(), position.toLongLong() });
    });
    QObject::connect(&voice, &SpVoice::StartStream, &context, [&](int, QVariant) { startStream = Clock::now(); });
    QTimer::singleShot(2000, &context, [&] { sink = sinkLatency(); });

    const Clock::time_point spoken = Clock::now();
    voice.Speak(text, SVSFlagsAsync | SVSFIsNotXML);
    const bool done = voice.WaitUntilDone(90000);
    const Clock::time_point ended = Clock::now();
    settle(300);
    const qint64 handedEnd = tee->size();
    QObject::disconnect(&voice, nullptr, &context, nullptr);

    // Part 2: Speak to the first sample played, for short and long texts, purged after 400 ms.
    struct Trial {
        int kib;
        Clock::time_point spoken;
        qint64 base;
        SinkLatency sink;
    };
    std::vector<Trial> trials;
    for (const int kib : { 1, 100, 1024 }) {
        const QString longText = prose(kib * 1024, 31 + unsigned(kib));
        for (int i = 0; i < 5; ++i) {
            Trial trial { kib, Clock::now(), tee->size(), {} };
            trial.spoken = Clock::now();
            voice.Speak(longText, SVSFlagsAsync | SVSFPurgeBeforeSpeak | SVSFIsNotXML);
            settle(300);
            trial.sink = sinkLatency();
            voice.Speak(QString(), SVSFPurgeBeforeSpeak);
            settle(300);
            trials.push_back(trial);
        }
    }
    recorder.stop(spoken - std::chrono::milliseconds(300));

    if (!done || words.empty()) {
        std::fprintf(stderr, "event-lag: the speech did not end within 90 s or raised no words\n");
        return 1;
    }
    if (sink.configuredMs < 0) {
        std::fprintf(stderr, "event-lag: pactl did not report the sink's latency\n");
        return 1;
    }
    const Clock::duration block = ms(sink.configuredMs);
    const std::vector<int16_t> handed = tee->samples();
    const std::vector<int16_t>& recording = recorder.samples();
    const auto first = locateStream(handed, handedBase, handedEnd, recording, recorder.samplesBy(spoken));
    if (!first) {
        std::fprintf(stderr, "event-lag: the stream's audio was not found in the recording\n");
        return 1;
    }

    std::vector<double> lags, absLags, renderLags;
    int weak = 0;
    double lowest = 1;
    qint64 shift = first->shift, maxShift = first->shift;
    for (const Raised& word : words) {
        const qint64 at = handedBase + word.position / 2;
        // Gaps on the way can only delay later audio, so the match is looked for from just before
        // the previous shift to 150 ms after it.
        const Match m
            = bestShift(handed, at - rate / 50, rate / 10, recording, shift - rate / 200, shift + rate * 3 / 20);
        // A fraction of a sample between the two resamplers' phases costs fricatives some
        // correlation from run to run; below 0.5 the window is mostly silence.
        if (m.correlation >= 0.5)
            shift = m.shift;
        else
            ++weak;
        lowest = std::min(lowest, m.correlation);
        maxShift = std::max(maxShift, shift);
        const Clock::time_point rendered = recorder.timeOf(double(at + shift));
        renderLags.push_back(std::abs(msBetween(rendered, word.at)));
        lags.push_back(msBetween(rendered + block, word.at));
        absLags.push_back(std::abs(lags.back()));
    }

    const Clock::time_point firstPlayed = recorder.timeOf(double(handedBase + first->shift)) + block;
    std::printf("event-lag setup: %.1f s of speech, %zu Word events; null sink block (configured latency) %.1f ms, "
                "%.1f ms queued when asked; recorder reads %.2f ms later than the earliest nearby (median)\n",
        double(handedEnd - handedBase) / rate, words.size(), sink.configuredMs, sink.nowMs,
        recorder.medianArrivalSpreadMs());
    std::printf("event-lag audio gaps: %.1f ms added between the first and last word; %d of %zu words matched weakly "
                "(kept the previous shift); lowest correlation %.2f\n",
        1000.0 * double(maxShift - first->shift) / rate, weak, words.size(), lowest);
    std::printf("event-lag signed (event minus play time): median %+.2f ms, min %+.2f ms, max %+.2f ms\n", median(lags),
        percentile(lags, 0), percentile(lags, 100));
    std::printf("event-lag median: %.2f ms\n", median(absLags));
    std::printf("event-lag p99: %.2f ms\n", percentile(absLags, 99));
    std::printf("event-lag against the sink's render time instead (one block earlier): median %.2f ms, p99 %.2f ms\n",
        median(renderLags), percentile(renderLags, 99));
    std::printf("first-audio device 20s-text: %.2f ms from Speak to its first sample's play time "
                "(StartStream raised after %.2f ms; speech ended %.1f s after Speak)\n",
        msBetween(spoken, firstPlayed), msBetween(spoken, startStream), msBetween(spoken, ended) / 1000);

    std::map<int, std::vector<double>> firstAudio;
    int lost = 0;
    for (size_t i = 0; i < trials.size(); ++i) {
        const Trial& t = trials[i];
        const qint64 end = i + 1 < trials.size() ? trials[i + 1].base : static_cast<qint64>(handed.size());
        const auto m = locateStream(handed, t.base, end, recording, recorder.samplesBy(t.spoken));
        if (!m || t.sink.configuredMs < 0) {
            ++lost;
            continue;
        }
        const Clock::time_point played = recorder.timeOf(double(t.base + m->shift)) + ms(t.sink.configuredMs);
        firstAudio[t.kib].push_back(msBetween(t.spoken, played));
    }
    for (const auto& [kib, list] : firstAudio)
        std::printf("first-audio device %d%s: %.2f ms (median of %zu, max %.2f ms; Speak with purge to the first "
                    "sample's play time)\n",
            kib >= 1024 ? kib / 1024 : kib, kib >= 1024 ? "MB" : "KB", median(list), list.size(),
            percentile(list, 100));
    if (lost > 0)
        std::printf("first-audio device: %d trials not found in the recording\n", lost);
    return 0;
}
