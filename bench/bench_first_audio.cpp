// Time from Speak to the first audio leaving the engine, for texts of 1 KB, 100 KB and 1 MB.
//
// The observable is the engine's own output into a file stream: a watcher thread polls
// SpFileStream::bytesWritten() every 100 µs, and the first time it is non-zero is the moment the
// first PCM frames left the engine (the file write is the engine's last step before the bytes are
// out of its hands). Events are not used for the figure: the first AudioLevel and Word events are
// raised on the UI thread after the mapper releases them, which can be a whole synthesiser block
// later, and StartStream is queued before any audio is synthesised. They are printed for reference.
// The device path's first audio is measured against the sink in bench_event_lag.

#include "BenchSupport.h"
#include "engine/api/SpFileStream.h"
#include "engine/api/SpVoice.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <atomic>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>

using namespace bench;

namespace {

struct Trial {
    double firstBytes = -1; // ms after Speak was called
    double speakReturned = -1;
    double startStream = -1;
    double firstLevel = -1;
    double firstWord = -1;
};

SpVoice* voice = nullptr;
QTemporaryDir* dir = nullptr;
std::map<int64_t, QString> texts;
std::map<int64_t, std::vector<Trial>> trials;
int fileCounter = 0;

void settle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

Trial measure(const QString& text)
{
    auto file = std::make_shared<SpFileStream>();
    file->Format().setType(SAFT22kHz16BitMono);
    file->Open(dir->filePath(QStringLiteral("first-%1.wav").arg(fileCounter++)));
    voice->setAudioOutputStream(file);

    Trial trial;
    std::atomic<bool> quit { false };
    std::atomic<bool> seen { false };
    Clock::time_point seenAt;
    Clock::time_point t0;
    std::atomic<bool> started { false };
    std::thread watcher([&] {
        while (!started)
            std::this_thread::sleep_for(std::chrono::microseconds(20));
        while (!quit) {
            if (file->bytesWritten() > 0) {
                seenAt = Clock::now();
                seen = true;
                return;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
    });

    QObject context;
    int stream = -1;
    QObject::connect(voice, &SpVoice::StartStream, &context, [&](int s, QVariant) {
        if (s == stream && trial.startStream < 0)
            trial.startStream = msBetween(t0, Clock::now());
    });
    QObject::connect(voice, &SpVoice::AudioLevel, &context, [&](int s, QVariant, int) {
        if (s == stream && trial.firstLevel < 0)
            trial.firstLevel = msBetween(t0, Clock::now());
    });
    QObject::connect(voice, &SpVoice::Word, &context, [&](int s, QVariant, int, int) {
        if (s == stream && trial.firstWord < 0)
            trial.firstWord = msBetween(t0, Clock::now());
    });

    t0 = Clock::now();
    started = true;
    stream = voice->Speak(text, SVSFlagsAsync | SVSFPurgeBeforeSpeak | SVSFIsNotXML);
    trial.speakReturned = msBetween(t0, Clock::now());

    QEventLoop loop;
    QTimer check;
    check.setInterval(1);
    const Clock::time_point giveUp = Clock::now() + std::chrono::seconds(20);
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if ((seen && trial.firstLevel >= 0 && trial.firstWord >= 0) || Clock::now() > giveUp)
            loop.quit();
    });
    check.start();
    loop.exec();
    quit = true;
    watcher.join();
    if (seen)
        trial.firstBytes = msBetween(t0, seenAt);

    // The worker keeps its own reference to the stream and lets go of it once it has stopped.
    voice->Speak(QString(), SVSFPurgeBeforeSpeak);
    voice->setAudioOutput(SpObjectToken());
    return trial;
}

void BM_FirstAudio(benchmark::State& state)
{
    const QString& text = texts.at(state.range(0));
    for (auto _ : state) {
        const Trial trial = measure(text);
        if (trial.firstBytes < 0) {
            state.SkipWithError("no audio within 20 s");
            break;
        }
        trials[state.range(0)].push_back(trial);
        state.SetIterationTime(trial.firstBytes / 1000.0);
        settle(150); // lets the purged request wind down, so every trial starts from an idle voice
    }
    state.SetLabel(QStringLiteral("%1 chars").arg(text.size()).toStdString());
}

QString sizeName(int64_t kib)
{
    return kib >= 1024 ? QStringLiteral("%1MB").arg(kib / 1024) : QStringLiteral("%1KB").arg(kib);
}

} // namespace

BENCHMARK(BM_FirstAudio)
    ->ArgName("KiB")
    ->Arg(1)
    ->Arg(100)
    ->Arg(1024)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    QCoreApplication app(argc, argv);
    QTemporaryDir temporary;
    dir = &temporary;
    SpVoice engine;
    voice = &engine;
    voice->setVoice(benchVoice(engine));
    for (const int64_t kib : { 1, 100, 1024 })
        texts[kib] = prose(kib * 1024);

    // Loads the voice data and the synthesiser's tables, which only the very first Speak pays for.
    measure(prose(200, 7));
    settle(200);

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    std::printf("\n");
    for (const auto& [kib, list] : trials) {
        std::vector<double> bytes, returned, start, level, word;
        for (const Trial& t : list) {
            bytes.push_back(t.firstBytes);
            returned.push_back(t.speakReturned);
            start.push_back(t.startStream);
            level.push_back(t.firstLevel);
            word.push_back(t.firstWord);
        }
        std::printf("first-audio %s: %.2f ms  (median of %zu; max %.2f ms; Speak returned after %.2f ms, "
                    "StartStream %.2f ms, first AudioLevel %.2f ms, first Word %.2f ms)\n",
            qPrintable(sizeName(kib)), median(bytes), bytes.size(), percentile(bytes, 100), median(returned),
            median(start), median(level), median(word));
    }
    return 0;
}
