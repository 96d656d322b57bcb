// Rendering speed: prose spoken synchronously into a wave file by SpVoice with one, two and all
// of its synthesisers, against the synthesiser's own program writing the same text with the same
// voice and rate into its own file: espeak-ng (22 kHz 16-bit mono), or flite for a Flite voice
// (PARLORA_BENCH_VOICE=flite/slt; its voice's 16 kHz, where the engine converts to 22 kHz). Wall time is taken around
// the whole job, so the engine's figure includes its event dispatch on this thread, as an application would see it. CPU
// is the whole job's: this process and the synthesiser helpers it runs, against the program's.
// The wave durations are printed so that a fast run cannot hide less speech.
//
// Arguments: the text sizes in KB (default 100 and 1024).

#include "BenchSupport.h"
#include "engine/api/SpFileStream.h"
#include "engine/api/SpVoice.h"
#include "engine/audio/PulseOutputProvider.h"
#include "engine/synth/SynthesizerProcess.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <set>
#include <sys/resource.h>
#include <unistd.h>

using namespace bench;

namespace {

struct Timing {
    std::vector<double> wallMs;
    std::vector<double> cpuMs;
    std::optional<WaveInfo> wave;
    double wall() const { return median(wallMs); }
    double cpu() const { return median(cpuMs); }
};

struct Setup {
    QString name; // as printed
    size_t synthesizers = 0; // 0: the espeak-ng program
    SpeechAudioFormatType format = SAFT22kHz16BitMono;
};

std::unique_ptr<SpVoice> makeVoice(size_t synthesizers, const SpObjectToken& token)
{
    auto voice = std::make_unique<SpVoice>(
        [] { return std::make_unique<SynthesizerProcess>(); }, synthesizers, std::make_unique<PulseOutputProvider>());
    voice->setVoice(token);
    return voice;
}

// The synthesiser's own program for the voice: its name and its command writing a text file.
struct Program {
    std::string name;
    std::vector<std::string> command(const QString& textPath, const QString& wavePath) const
    {
        if (name == "flite")
            return { name, "-voice", synthId.section(QLatin1Char('/'), 1).toStdString(), "-f", textPath.toStdString(),
                "-o", wavePath.toStdString() };
        return { name, "-w", wavePath.toStdString(), "-v", synthId.toStdString(), "-s", "175", "-f",
            textPath.toStdString() };
    }
    QString synthId;
};

void renderWithEngine(
    SpVoice& voice, const QString& text, const QString& path, SpeechAudioFormatType format, Timing& timing)
{
    auto stream = std::make_shared<SpFileStream>();
    stream->Format().setType(format);
    stream->Open(path);
    voice.setAudioOutputStream(stream);
    const std::map<pid_t, double> helpers = childrenCpuMs();
    rusage u0 {};
    getrusage(RUSAGE_SELF, &u0);
    const double c0 = processCpuMs();
    const Clock::time_point t0 = Clock::now();
    voice.Speak(text, SVSFIsNotXML);
    stream->Close();
    timing.wallMs.push_back(msBetween(t0, Clock::now()));
    const double own = processCpuMs() - c0;
    const double synthesizers = childrenCpuMsSince(helpers);
    timing.cpuMs.push_back(own + synthesizers);
    rusage u1 {};
    getrusage(RUSAGE_SELF, &u1);
    const auto ms = [](const timeval& t) { return double(t.tv_sec) * 1000.0 + double(t.tv_usec) / 1000.0; };
    std::printf("    CPU: this process %.0f ms (system %.0f ms), synthesiser helpers %.0f ms\n", own,
        ms(u1.ru_stime) - ms(u0.ru_stime), synthesizers);
    voice.setAudioOutput(SpObjectToken());
    timing.wave = waveInfo(path);
}

bool renderWithProgram(const Program& program, const QString& textPath, const QString& path, Timing& timing)
{
    double cpu = 0;
    const Clock::time_point t0 = Clock::now();
    const int rc = runAndWait(program.command(textPath, path), &cpu);
    timing.wallMs.push_back(msBetween(t0, Clock::now()));
    timing.cpuMs.push_back(cpu);
    timing.wave = waveInfo(path);
    if (rc != 0)
        std::fprintf(stderr, "%s failed with exit code %d\n", program.name.c_str(), rc);
    return rc == 0;
}

void print(const QString& label, long long kib, const Timing& t, int rounds)
{
    const WaveInfo wave = t.wave.value_or(WaveInfo {});
    std::printf("render %s %lldKB: %.0f ms, CPU %.0f ms (median of %d; wave %.1f s, %d Hz, %d ch, %.0fx real time)\n",
        qPrintable(label), kib, t.wall(), t.cpu(), rounds, wave.seconds(), wave.sampleRate, wave.channels,
        wave.seconds() * 1000 / t.wall());
}

// One text size: every setup in alternating rounds, so load from elsewhere falls on all alike.
bool measure(const QString& text, const SpObjectToken& token, const Program& program, const QTemporaryDir& dir,
    const std::vector<Setup>& setups, int rounds)
{
    const QString textPath = dir.filePath(QStringLiteral("text.txt"));
    QFile file(textPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0)
        return false;
    file.close();
    std::map<size_t, std::unique_ptr<SpVoice>> voices;
    for (const Setup& setup : setups) {
        if (setup.synthesizers > 0 && !voices.count(setup.synthesizers)) {
            voices[setup.synthesizers] = makeVoice(setup.synthesizers, token);
            // Every synthesiser starts and loads its voice before anything is timed.
            Timing warm;
            renderWithEngine(*voices[setup.synthesizers], prose(4000, 3), dir.filePath(QStringLiteral("warm.wav")),
                SAFT22kHz16BitMono, warm);
        }
    }
    std::vector<Timing> timings(setups.size());
    for (int round = 0; round < rounds; ++round) {
        for (size_t i = 0; i < setups.size(); ++i) {
            const QString path = dir.filePath(QStringLiteral("out%1.wav").arg(i));
            // Every render starts from the same disk and memory: no earlier file left to truncate,
            // none of its gigabytes still being written back or holding the page cache, which would
            // slow whoever comes next (on a virtual machine, memory touched for the first time is slow).
            for (size_t k = 0; k < setups.size(); ++k)
                QFile::remove(dir.filePath(QStringLiteral("out%1.wav").arg(k)));
            ::sync();
            if (setups[i].synthesizers == 0) {
                if (!renderWithProgram(program, textPath, path, timings[i]))
                    return false;
            } else {
                renderWithEngine(*voices[setups[i].synthesizers], text, path, setups[i].format, timings[i]);
            }
            std::printf("  round %d: %s %.0f ms (CPU %.0f ms)\n", round + 1, qPrintable(setups[i].name),
                timings[i].wallMs.back(), timings[i].cpuMs.back());
            std::fflush(stdout);
        }
    }
    const auto kib = static_cast<long long>(text.size() / 1024);
    for (size_t i = 0; i < setups.size(); ++i)
        print(setups[i].name, kib, timings[i], rounds);
    const Timing& espeak = timings.front();
    const char* baseline = program.name.c_str();
    for (size_t i = 1; i < setups.size(); ++i) {
        const WaveInfo wave = timings[i].wave.value_or(WaveInfo {});
        std::printf("render ratio %s/%s %lldKB: %.3f wall, %.3f CPU (wave durations differ by %+.2f %%)\n",
            qPrintable(setups[i].name), baseline, kib, timings[i].wall() / espeak.wall(),
            timings[i].cpu() / espeak.cpu(),
            100.0 * (wave.seconds() - espeak.wave->seconds()) / espeak.wave->seconds());
    }
    // The summary's figure: every synthesiser, the file format espeak-ng writes.
    const size_t all = SpVoice::defaultSynthesizerCount();
    for (size_t i = 1; i < setups.size(); ++i) {
        if (setups[i].synthesizers == all && setups[i].format == SAFT22kHz16BitMono)
            std::printf("render ratio all/%s %lldKB: %.3f wall, %.3f CPU\n", baseline, kib,
                timings[i].wall() / espeak.wall(), timings[i].cpu() / espeak.cpu());
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::vector<qsizetype> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(QByteArray(argv[i]).toLongLong() * 1024);
    if (sizes.empty())
        sizes = { 100 * 1024, 1024 * 1024 };
    QTemporaryDir dir;
    const size_t all = SpVoice::defaultSynthesizerCount();
    SpVoice probe;
    const SpObjectToken token = benchVoice(probe);
    const QString synthId = token.attribute(QStringLiteral("SynthId"));
    const Program program { token.attribute(QStringLiteral("Vendor")) == QLatin1String("Flite") ? "flite" : "espeak-ng",
        synthId };
    std::printf("voice %s (synthesiser voice %s), rate 0 = 175 words per minute; all = %zu synthesisers\n",
        qPrintable(token.Id()), qPrintable(synthId), all);

    for (const qsizetype chars : sizes) {
        const bool large = chars > 200 * 1024;
        std::vector<Setup> setups { { QString::fromStdString(program.name), 0 } };
        std::set<size_t> counts { 1, 2, all };
        if (large)
            counts = { 1, all };
        for (const size_t count : counts)
            setups.push_back({ QStringLiteral("engine/%1").arg(count), count });
        if (!large) {
            setups.push_back({ QStringLiteral("engine/%1 48kHz16BitStereo").arg(all), all, SAFT48kHz16BitStereo });
            setups.push_back({ QStringLiteral("engine/%1 8kHz8BitMono").arg(all), all, SAFT8kHz8BitMono });
        }
        std::printf("text: %lld characters of prose\n", static_cast<long long>(chars));
        if (!measure(prose(chars), token, program, dir, setups, large ? 1 : 3))
            return 1;
    }
    return 0;
}
