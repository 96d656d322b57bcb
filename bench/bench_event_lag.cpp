// Event lag on the device path: ~20 s of prose spoken asynchronously to the default device (the
// private PulseAudio's null sink); for each Word event, its raising time minus the time the sink
// played its StreamPosition. Also Speak-to-first-sample on the device for 1 KB to 1 MB texts, and
// right after a change of the device format.
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
//
// Stopping: texts are purged or paused, and sentences skipped, at varied moments while a word
// sounds; the time runs from the call to the play time (same clock) of the end of the last audible
// sample of the audio that was cut. Which audio that is comes from the copy of what was handed to
// the device: the recording is fitted as the copy from before the call, up to a change point, then
// as the copy from after it (the next sentence, for a skip) or silence (the null sink's monitor
// carries zeros when nothing plays).

#include "BenchSupport.h"
#include "DeviceAudioCopy.h"
#include "engine/api/SpAudioFormat.h"
#include "engine/api/SpVoice.h"
#include "engine/audio/PulseOutputProvider.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <regex>

using namespace bench;

namespace {

constexpr int rate = 22050; // the device stream's format and the recording's

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

// The last sample in [from, to) louder than `threshold`, or -1.
qint64 lastLoud(const std::vector<int16_t>& samples, qint64 from, qint64 to, int threshold)
{
    for (qint64 i = std::min<qint64>(to, static_cast<qint64>(samples.size())) - 1; i >= std::max<qint64>(0, from); --i)
        if (std::abs(samples[size_t(i)]) > threshold)
            return i;
    return -1;
}

// A purge or skip: when it was called and how much had been handed to the device by then (all
// that was handed later belongs to what followed it), and when the next action began, so that
// the recording up to then belongs to this one.
struct Cut {
    Clock::time_point called;
    qint64 handed = 0;
    Clock::time_point next;
};

// The shift of the audio that was playing when a cut was called: of 100 ms of what was handed
// from 200 ms before it (which had played before the call: the device's buffers hold less than
// 100 ms) or, when that is silent, the first of earlier ones that matches, up to 700 ms before.
std::optional<Match> shiftBefore(
    const std::vector<int16_t>& handed, const std::vector<int16_t>& recording, qint64 boundary, qint64 arrivedAtCall)
{
    const qint64 guess = arrivedAtCall - boundary;
    for (qint64 back = rate / 5; back <= rate * 7 / 10; back += rate / 20) {
        const Match m = bestShift(handed, boundary - back, rate / 10, recording, guess - rate / 20, guess + rate / 5);
        if (m.correlation >= 0.5)
            return m;
    }
    return std::nullopt;
}

// Where, in [from, to), the recording stops following the copy of what was handed before a cut
// (samples before `boundary`, placed at shift `before`) and follows what came after it instead:
// the copy of what was handed from `boundary` to `afterEnd` placed at shift `after`, or silence.
// The change point that fits best in least squares; the earliest of equally good ones.
qint64 changePoint(const std::vector<int16_t>& recording, const std::vector<int16_t>& handed, qint64 boundary,
    qint64 before, std::optional<qint64> after, qint64 afterEnd, qint64 from, qint64 to)
{
    const auto oldAt = [&](qint64 r) {
        const qint64 h = r - before;
        return h >= 0 && h < boundary ? double(handed[size_t(h)]) : 0.0;
    };
    const auto newAt = [&](qint64 r) {
        const qint64 h = after ? r - *after : -1;
        return h >= boundary && h < afterEnd ? double(handed[size_t(h)]) : 0.0;
    };
    const auto square = [](double x) { return x * x; };
    from = std::max<qint64>(from, 0);
    to = std::min<qint64>(to, static_cast<qint64>(recording.size()));
    double cost = 0; // with the change at `from`: everything is what came after
    for (qint64 r = from; r < to; ++r)
        cost += square(recording[size_t(r)] - newAt(r));
    double best = cost;
    qint64 point = from;
    for (qint64 r = from; r < to; ++r) {
        cost += square(recording[size_t(r)] - oldAt(r)) - square(recording[size_t(r)] - newAt(r));
        if (cost < best) {
            best = cost;
            point = r + 1;
        }
    }
    return point;
}

// The first recorded sample whose play time is at or after `time`, searched near `near`.
qint64 sampleAt(const MonitorRecorder& recorder, Clock::time_point time, Clock::duration block, qint64 near)
{
    for (qint64 r = std::max<qint64>(0, near - rate / 5); r < near + rate / 5; ++r)
        if (recorder.timeOf(double(r)) + block >= time)
            return r;
    return near;
}

// Calls `cut` once every 5 ms of the latest 30 ms from the monitor carries speech (within 200
// ms), so that the cut falls on a sounding word rather than in a pause: the newest samples are
// about a block ahead of the play time, and the reads up to 20 ms apart.
void whenSounding(const MonitorRecorder& recorder, QObject* context, std::function<void()> cut, int tries = 40)
{
    const std::vector<int16_t> latest = recorder.recentSamples(30);
    bool sounding = latest.size() == size_t(rate * 30 / 1000);
    for (size_t from = 0; sounding && from < latest.size(); from += rate / 200) {
        const auto part = std::minmax_element(latest.begin() + std::ptrdiff_t(from),
            latest.begin() + std::ptrdiff_t(std::min(latest.size(), from + rate / 200)));
        sounding = std::max(-int(*part.first), int(*part.second)) >= 300;
    }
    if (tries == 0 || sounding) {
        cut();
        return;
    }
    QTimer::singleShot(5, context, [&recorder, context, cut = std::move(cut), tries]() mutable {
        whenSounding(recorder, context, std::move(cut), tries - 1);
    });
}

Clock::duration ms(double value)
{
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double, std::milli>(value));
}

// Speaks a text of its own and cuts into it 1.5 s + 200 ms * i in, 0 to 110 ms after a Word event
// and once the monitor carries speech: notes what had been handed over and when, then lets `act`
// cut and end the loop (it ends by itself after 10 s).
Cut cutIntoSpeech(SpVoice& voice, const MonitorRecorder& recorder, const TeeProvider& tee, int i, unsigned seed,
    const std::function<void(Cut&, QEventLoop&)>& act)
{
    voice.Speak(prose(1500, seed), SVSFlagsAsync | SVSFIsNotXML);
    const Clock::time_point begun = Clock::now();
    Cut cut;
    bool armed = false;
    QEventLoop loop;
    QObject::connect(&voice, &SpVoice::Word, &loop, [&](int, QVariant, int, int) {
        if (armed || Clock::now() - begun < std::chrono::milliseconds(1500 + 200 * i))
            return;
        armed = true;
        QTimer::singleShot(i * 37 % 110, &loop, [&] {
            whenSounding(recorder, &loop, [&] {
                cut.handed = tee.size();
                cut.called = Clock::now();
                act(cut, loop);
            });
        });
    });
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    return cut;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // Reads of 20 ms ask less of the sink than the speech stream does, so the recorder leaves the
    // sink's latency, which the engine's position estimate depends on, as it would be.
    MonitorRecorder recorder(rate, 20);
    if (!recorder.start() || !recorder.waitForData(5000)) {
        std::fprintf(stderr, "event-lag: the default sink's monitor cannot be recorded (is PulseAudio running?)\n");
        return 1;
    }
    auto provider = std::make_unique<TeeProvider>();
    TeeProvider* tee = provider.get();
    SpVoice voice(inProcessSynthesizers(), std::move(provider));
    voice.setVoice(benchVoice(voice));
    if (voice.GetAudioOutputs().Count() == 0) {
        std::fprintf(stderr, "event-lag: no audio output device\n");
        return 1;
    }
    voice.setAudioOutput(SpObjectToken());

    // The device is opened once before, as in an application that has spoken already.
    voice.Speak(QStringLiteral("The device is ready."), SVSFIsNotXML);
    settle(700);

    // First: the Word events of 20 s of speech.
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

    // Then: Speak to the first sample played, for short and long texts, purged after 400 ms.
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

    // Then stopping: each text is purged 1.5 to 3.3 s into its speech, 0 to 110 ms after a Word
    // event and once the monitor carries speech.
    constexpr int stopCount = 10;
    std::vector<Cut> stops;
    for (int i = 0; i < stopCount; ++i) {
        Cut cut = cutIntoSpeech(voice, recorder, *tee, i, 60 + unsigned(i), [&voice](Cut&, QEventLoop& loop) {
            voice.Speak(QString(), SVSFPurgeBeforeSpeak);
            QTimer::singleShot(500, &loop, &QEventLoop::quit);
        });
        cut.next = Clock::now();
        if (cut.called == Clock::time_point())
            voice.Speak(QString(), SVSFPurgeBeforeSpeak);
        else
            stops.push_back(cut);
    }
    settle(200);

    // Then pausing, as stopping, but the text is resumed 400 ms later and purged after that; till
    // the resume the recording should fall silent as after a purge.
    constexpr int pauseCount = 10;
    std::vector<Cut> pauses;
    for (int i = 0; i < pauseCount; ++i) {
        const Cut cut = cutIntoSpeech(voice, recorder, *tee, i, 90 + unsigned(i), [&voice](Cut& cut, QEventLoop& loop) {
            voice.Pause();
            QTimer::singleShot(400, &loop, [&voice, at = &cut, on = &loop] {
                at->next = Clock::now();
                voice.Resume();
                QTimer::singleShot(300, on, &QEventLoop::quit);
            });
        });
        voice.Speak(QString(), SVSFPurgeBeforeSpeak);
        if (cut.next != Clock::time_point())
            pauses.push_back(cut);
    }
    settle(200);

    // Then skipping, in one text: each skip comes at least a second after the one before, in the
    // sentence it led to, once a word 20 to 60 % into that sentence's text is raised (and 0 to 90 ms
    // later, once the monitor carries speech), so that the sentence skipped is sounding and far
    // from its end.
    constexpr int skipCount = 10;
    std::vector<Cut> skips;
    {
        voice.Speak(prose(8000, 83), SVSFlagsAsync | SVSFIsNotXML);
        Clock::time_point last = Clock::now();
        int sentenceStart = -1, sentenceLength = 0;
        bool pending = false;
        QEventLoop loop;
        QObject::connect(&voice, &SpVoice::Sentence, &loop, [&](int, QVariant, int position, int length) {
            sentenceStart = position;
            sentenceLength = length;
        });
        QObject::connect(&voice, &SpVoice::Word, &loop, [&](int, QVariant, int position, int) {
            const int n = static_cast<int>(skips.size());
            if (pending || n >= skipCount || sentenceStart < 0 || Clock::now() - last < std::chrono::seconds(1)
                || position < sentenceStart + sentenceLength * (2 + n % 5) / 10)
                return;
            pending = true;
            QTimer::singleShot(n * 29 % 90, &loop, [&] {
                whenSounding(recorder, &loop, [&] {
                    Cut cut;
                    cut.handed = tee->size();
                    cut.called = Clock::now();
                    voice.Skip(QStringLiteral("Sentence"), 1);
                    last = Clock::now();
                    if (!skips.empty())
                        skips.back().next = cut.called;
                    skips.push_back(cut);
                    sentenceStart = -1; // the next skip waits for the sentence this one led to
                    pending = false;
                    if (skips.size() == skipCount)
                        QTimer::singleShot(1000, &loop, &QEventLoop::quit);
                });
            });
        });
        QTimer::singleShot(60000, &loop, &QEventLoop::quit);
        loop.exec();
        if (!skips.empty())
            skips.back().next = Clock::now();
        voice.Speak(QString(), SVSFPurgeBeforeSpeak);
        settle(300);
    }
    // Then first audio after a change of the device format, as a user makes it (22 kHz 16-bit to
    // 16 kHz 16-bit, to 16 kHz 8-bit, and back), each followed by a repeat in the same format.
    // Found as the first loud sample after the call; the stream's copy is not needed for that.
    struct FormatTrial {
        const char* format;
        bool changed;
        Clock::time_point spoken;
    };
    std::vector<FormatTrial> formatTrials;
    {
        const QString shortText = prose(1024, 7);
        const std::pair<const char*, int> formats[] = { { "16 kHz 16-bit", SAFT16kHz16BitMono },
            { "16 kHz 8-bit", SAFT16kHz8BitMono }, { "22 kHz 16-bit", SAFT22kHz16BitMono } };
        for (const auto& [name, type] : formats) {
            const std::shared_ptr<SpStream> stream = voice.AudioOutputStream();
            stream->Format().setType(type);
            voice.setAllowAudioOutputFormatChangesOnNextSet(false);
            voice.setAudioOutputStream(stream);
            for (const bool changed : { true, false }) {
                formatTrials.push_back({ name, changed, Clock::now() });
                voice.Speak(shortText, SVSFlagsAsync | SVSFPurgeBeforeSpeak | SVSFIsNotXML);
                settle(400);
                voice.Speak(QString(), SVSFPurgeBeforeSpeak);
                settle(300);
            }
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

    // ~-50 dBFS: what counts as audible. Cuts that came when nothing was (in the 10 ms of audio
    // played before the call) cannot show how fast sound stops, and are left out.
    constexpr int audible = 100;
    struct Outcome {
        std::vector<double> ms, renderMs, nextMs, unheardMs;
        int quiet = 0, lost = 0, gapless = 0;
    };
    // `after`: the shift of what was handed from the call to `afterEnd`, when something followed.
    const auto measure = [&](const Cut& c, Outcome& out, std::optional<qint64> after, qint64 afterEnd,
                             qint64 to) -> std::optional<qint64> {
        const qint64 arrived = recorder.samplesBy(c.called);
        const auto before = shiftBefore(handed, recording, c.handed, arrived);
        if (!before) {
            ++out.lost;
            return std::nullopt;
        }
        const qint64 atCall = sampleAt(recorder, c.called, block, arrived);
        if (lastLoud(recording, atCall - rate / 100, atCall, audible) < 0) {
            ++out.quiet;
            return std::nullopt;
        }
        const qint64 change
            = changePoint(recording, handed, c.handed, before->shift, after, afterEnd, atCall - rate / 100, to);
        const qint64 last = lastLoud(recording, atCall - rate / 100, change, audible);
        if (last < 0) { // the old copy does not fit even before the call
            ++out.lost;
            return std::nullopt;
        }
        const qint64 end = last + 1;
        const Clock::time_point silent = recorder.timeOf(double(end));
        out.ms.push_back(msBetween(c.called, silent + block));
        out.renderMs.push_back(msBetween(c.called, silent));
        // What had been handed but never played: what the change point left of the old copy.
        out.unheardMs.push_back(1000.0 * double(c.handed - (change - before->shift)) / rate);
        return end;
    };

    // Purge: nothing follows, so the fit is between the old copy and silence, up to the next text
    // (spoken half a second after the call).
    Outcome stopped;
    for (const Cut& c : stops)
        measure(c, stopped, std::nullopt, 0, recorder.samplesBy(c.next));

    // Pause: silence follows until the resume.
    Outcome paused;
    for (const Cut& c : pauses)
        measure(c, paused, std::nullopt, 0, recorder.samplesBy(c.next));

    // Skip: everything handed after the call is the next sentence. It is found in the recording by
    // correlation with its copy (100 ms from just before its first loud sample, within a second
    // of the call), then the fit tells where the skipped sentence's copy stops being followed,
    // whether silence or the next sentence comes after it. A "first silence gap" would stop at a
    // plosive's closure or a pause between words, or miss the end when no gap comes at all (the
    // next sentence can begin in the very block the old one ends in); comparing single samples of
    // the recording and the copy is blurred by the resamplers' phase, which a fit over many is not.
    Outcome skipped;
    for (size_t i = 0; i < skips.size(); ++i) {
        const Cut& c = skips[i];
        const qint64 arrived = recorder.samplesBy(c.called);
        const qint64 until = recorder.samplesBy(c.next);
        const qint64 afterEnd = i + 1 < skips.size() ? skips[i + 1].handed : static_cast<qint64>(handed.size());
        const qint64 onset = firstLoud(handed, c.handed, 2000);
        if (onset < 0 || onset >= afterEnd) {
            ++skipped.lost;
            continue;
        }
        const qint64 begin = std::max(c.handed, onset - rate / 100);
        const Match next
            = bestShift(handed, begin, rate / 10, recording, arrived - rate / 20 - begin, until - rate / 10 - begin);
        if (next.correlation < 0.5) {
            ++skipped.lost;
            continue;
        }
        const qint64 nextOnset = onset + next.shift;
        const auto end = measure(c, skipped, next.shift, afterEnd, nextOnset);
        if (!end)
            continue;
        skipped.nextMs.push_back(msBetween(c.called, recorder.timeOf(double(nextOnset)) + block));
        const qint64 resumed = firstLoud(recording, *end, audible);
        if (resumed >= 0 && resumed - *end < rate / 1000)
            ++skipped.gapless; // less than 1 ms of silence between the sentences
    }

    const auto report = [](const char* what, const char* action, const Outcome& o, size_t tried) {
        if (!o.ms.empty())
            std::printf("%s latency: median %.1f ms, max %.1f ms (%zu %ss; %s to the play time of the end of the "
                        "last audible sample cut)\n",
                what, median(o.ms), percentile(o.ms, 100), o.ms.size(), what, action);
        if (o.quiet + o.lost > 0)
            std::printf("%s latency: of %zu %ss, %d came when nothing was audible, %d were not found in the "
                        "recording\n",
                what, tried, what, o.quiet, o.lost);
    };
    report("stop", "Speak with purge while a word sounds", stopped, stops.size());
    report("skip", "Skip of one sentence while it sounds", skipped, skips.size());
    report("pause", "Pause while a word sounds", paused, pauses.size());
    std::vector<double> afterChange, repeated;
    for (const FormatTrial& t : formatTrials) {
        const qint64 first = firstLoud(recording, recorder.samplesBy(t.spoken), audible);
        if (first < 0) {
            std::printf("first-audio after a format change: %s (%s) not found in the recording\n", t.format,
                t.changed ? "changed" : "repeat");
            continue;
        }
        const double took = msBetween(t.spoken, recorder.timeOf(double(first)) + block);
        (t.changed ? afterChange : repeated).push_back(took);
        std::printf("first-audio %s %s: %.2f ms\n", t.changed ? "after the change to" : "repeated in", t.format, took);
    }
    if (!afterChange.empty() && !repeated.empty())
        std::printf("first-audio format change: median %.2f ms after a change, %.2f ms repeated (max %.2f and %.2f "
                    "ms; Speak with purge to the first loud sample's play time)\n",
            median(afterChange), median(repeated), percentile(afterChange, 100), percentile(repeated, 100));
    std::printf("stop and skip against the sink's render time instead (one block earlier): stop median %.1f ms, max "
                "%.1f ms; skip median %.1f ms, max %.1f ms\n",
        median(stopped.renderMs), percentile(stopped.renderMs, 100), median(skipped.renderMs),
        percentile(skipped.renderMs, 100));
    std::printf("skip: the next sentence's first loud sample played %.1f ms after the call (median, max %.1f ms); "
                "%d of %zu skips had less than 1 ms of silence between the sentences\n",
        median(skipped.nextMs), percentile(skipped.nextMs, 100), skipped.gapless, skipped.ms.size());
    std::printf("stop and skip: handed to the device before the call but never played: median %.1f ms (max %.1f ms) "
                "for stops, %.1f ms (max %.1f ms) for skips\n",
        median(stopped.unheardMs), percentile(stopped.unheardMs, 100), median(skipped.unheardMs),
        percentile(skipped.unheardMs, 100));
    return 0;
}
