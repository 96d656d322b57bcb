// Rendering speed: ≥100 KB of prose spoken synchronously into a 22 kHz 16-bit mono wave file by
// SpVoice, against the espeak-ng program writing the same text with the same voice and rate.
// Both are timed from the wall clock around the whole job; the engine's figure includes its
// event dispatch on this thread, as an application would see it. The wave durations are printed
// so that a fast run cannot hide less speech.

#include "BenchSupport.h"
#include "engine/api/SpFileStream.h"
#include "engine/api/SpVoice.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

using namespace bench;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    qsizetype chars = 100 * 1024;
    if (argc > 1)
        chars = QByteArray(argv[1]).toLongLong() * 1024;
    QTemporaryDir dir;
    const QString text = prose(chars);
    const QString textPath = dir.filePath(QStringLiteral("text.txt"));
    {
        QFile file(textPath);
        if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(textPath));
            return 1;
        }
    }

    SpVoice voice;
    const SpObjectToken token = voice.GetVoices().Item(0);
    const QString synthId = token.attribute(QStringLiteral("SynthId"));
    std::printf("text: %lld characters of prose; voice %s (eSpeak NG voice %s), rate 0 = 175 words per minute\n",
        static_cast<long long>(text.size()), qPrintable(token.Id()), qPrintable(synthId));

    // A short warm-up, so neither side pays for loading the voice data from a cold disk cache.
    {
        auto warm = std::make_shared<SpFileStream>();
        warm->Open(dir.filePath(QStringLiteral("warm.wav")));
        voice.setAudioOutputStream(warm);
        voice.Speak(prose(300, 3), SVSFIsNotXML);
        warm->Close();
        runAndWait({ "espeak-ng", "-w", dir.filePath(QStringLiteral("warm-espeak.wav")).toStdString(), "-v",
            synthId.toStdString(), "-s", "175", "Warming up." });
    }

    // Alternating rounds, so that load from elsewhere on the machine falls on both sides alike.
    constexpr int rounds = 3;
    const QString enginePath = dir.filePath(QStringLiteral("engine.wav"));
    const QString espeakPath = dir.filePath(QStringLiteral("espeak.wav"));
    std::vector<double> engineMs, engineCpuMs, espeakMs, espeakCpuMs;
    for (int round = 0; round < rounds; ++round) {
        auto stream = std::make_shared<SpFileStream>();
        stream->Format().setType(SAFT22kHz16BitMono);
        stream->Open(enginePath);
        voice.setAudioOutputStream(stream);
        const double c0 = processCpuMs();
        const Clock::time_point e0 = Clock::now();
        voice.Speak(text, SVSFIsNotXML);
        stream->Close();
        engineMs.push_back(msBetween(e0, Clock::now()));
        engineCpuMs.push_back(processCpuMs() - c0);
        voice.setAudioOutput(SpObjectToken());

        double cpu = 0;
        const Clock::time_point s0 = Clock::now();
        const int rc = runAndWait({ "espeak-ng", "-w", espeakPath.toStdString(), "-v", synthId.toStdString(), "-s",
                                      "175", "-f", textPath.toStdString() },
            &cpu);
        espeakMs.push_back(msBetween(s0, Clock::now()));
        espeakCpuMs.push_back(cpu);
        if (rc != 0) {
            std::fprintf(stderr, "espeak-ng failed with exit code %d\n", rc);
            return 1;
        }
        std::printf("  round %d: engine %.0f ms (CPU %.0f ms), espeak-ng %.0f ms (CPU %.0f ms)\n", round + 1,
            engineMs.back(), engineCpuMs.back(), espeakMs.back(), espeakCpuMs.back());
    }

    const auto engineWave = waveInfo(enginePath);
    const auto espeakWave = waveInfo(espeakPath);
    if (!engineWave || !espeakWave) {
        std::fprintf(stderr, "a wave file could not be read back\n");
        return 1;
    }
    const auto kib = static_cast<long long>(chars / 1024);
    const double engine = median(engineMs), espeak = median(espeakMs);
    std::printf("render engine %lldKB: %.0f ms, CPU %.0f ms (median of %d; wave %.1f s, %d Hz, %d ch, %.0fx real "
                "time)\n",
        kib, engine, median(engineCpuMs), rounds, engineWave->seconds(), engineWave->sampleRate, engineWave->channels,
        engineWave->seconds() * 1000 / engine);
    std::printf("render espeak-ng %lldKB: %.0f ms, CPU %.0f ms (median of %d; wave %.1f s, %d Hz, %d ch, %.0fx real "
                "time)\n",
        kib, espeak, median(espeakCpuMs), rounds, espeakWave->seconds(), espeakWave->sampleRate, espeakWave->channels,
        espeakWave->seconds() * 1000 / espeak);
    std::printf("render ratio engine/espeak-ng: %.3f wall, %.3f CPU (wave durations differ by %+.2f %%)\n",
        engine / espeak, median(engineCpuMs) / median(espeakCpuMs),
        100.0 * (engineWave->seconds() - espeakWave->seconds()) / espeakWave->seconds());
    return 0;
}
