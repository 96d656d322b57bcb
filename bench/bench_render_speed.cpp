// Rendering speed: ≥100 KB of prose spoken synchronously into a 22 kHz 16-bit mono wave file by
// SpVoice, against the synthesiser's own program writing the same text with the same voice and
// rate: espeak-ng, or flite for a Flite voice (PARLORA_BENCH_VOICE=flite/slt), which writes its
// voice's own 16 kHz where the engine converts to 22 kHz.
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
    const SpObjectToken token = benchVoice(voice);
    voice.setVoice(token);
    const QString synthId = token.attribute(QStringLiteral("SynthId"));
    const bool flite = token.attribute(QStringLiteral("Vendor")) == QLatin1String("Flite");
    const std::string program = flite ? "flite" : "espeak-ng";
    // The program's command for a text (a file with -f) into a wave file.
    const auto command = [&](const QString& wave, const std::vector<std::string>& input) {
        std::vector<std::string> argv { program };
        if (flite)
            argv.insert(argv.end(), { "-voice", synthId.section(QLatin1Char('/'), 1).toStdString(), "-o" });
        else
            argv.insert(argv.end(), { "-v", synthId.toStdString(), "-s", "175", "-w" });
        argv.push_back(wave.toStdString());
        argv.insert(argv.end(), input.begin(), input.end());
        return argv;
    };
    std::printf("text: %lld characters of prose; voice %s (synthesiser voice %s), rate 0 = 175 words per minute\n",
        static_cast<long long>(text.size()), qPrintable(token.Id()), qPrintable(synthId));

    // A short warm-up, so neither side pays for loading the voice data from a cold disk cache.
    {
        auto warm = std::make_shared<SpFileStream>();
        warm->Open(dir.filePath(QStringLiteral("warm.wav")));
        voice.setAudioOutputStream(warm);
        voice.Speak(prose(300, 3), SVSFIsNotXML);
        warm->Close();
        const std::vector<std::string> words
            = flite ? std::vector<std::string> { "-t", "Warming up." } : std::vector<std::string> { "Warming up." };
        runAndWait(command(dir.filePath(QStringLiteral("warm-program.wav")), words));
    }

    // Alternating rounds, so that load from elsewhere on the machine falls on both sides alike.
    constexpr int rounds = 3;
    const QString enginePath = dir.filePath(QStringLiteral("engine.wav"));
    const QString espeakPath = dir.filePath(QStringLiteral("program.wav"));
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
        const int rc = runAndWait(command(espeakPath, { "-f", textPath.toStdString() }), &cpu);
        espeakMs.push_back(msBetween(s0, Clock::now()));
        espeakCpuMs.push_back(cpu);
        if (rc != 0) {
            std::fprintf(stderr, "%s failed with exit code %d\n", program.c_str(), rc);
            return 1;
        }
        std::printf("  round %d: engine %.0f ms (CPU %.0f ms), %s %.0f ms (CPU %.0f ms)\n", round + 1, engineMs.back(),
            engineCpuMs.back(), program.c_str(), espeakMs.back(), espeakCpuMs.back());
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
    std::printf("render %s %lldKB: %.0f ms, CPU %.0f ms (median of %d; wave %.1f s, %d Hz, %d ch, %.0fx real "
                "time)\n",
        program.c_str(), kib, espeak, median(espeakCpuMs), rounds, espeakWave->seconds(), espeakWave->sampleRate,
        espeakWave->channels, espeakWave->seconds() * 1000 / espeak);
    std::printf("render ratio engine/%s: %.3f wall, %.3f CPU (wave durations differ by %+.2f %%)\n", program.c_str(),
        engine / espeak, median(engineCpuMs) / median(espeakCpuMs),
        100.0 * (engineWave->seconds() - espeakWave->seconds()) / espeakWave->seconds());
    return 0;
}
