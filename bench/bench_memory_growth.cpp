// Resident memory while a 10 MB text is spoken: to the device (asynchronously, purged after
// 10 s) and into a wave file (purged after 20 s). VmRSS is read from /proc/self/status before
// Speak and every 100 ms until a while after the purge; the kernel's own high-water mark (VmHWM,
// reset just before Speak) catches any peak between two samples. The text exists before the
// baseline is taken, and the device and the synthesiser have spoken once, so the growth is what
// speaking the long text costs.

#include "BenchSupport.h"
#include "engine/api/SpFileStream.h"
#include "engine/api/SpVoice.h"
#include "engine/audio/SoundFileWriter.h"
#include "platform/PlatformError.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

using namespace bench;

namespace {

struct Growth {
    double peakMiB = 0; // sampled VmRSS, above the baseline
    double highWaterMiB = -1; // VmHWM above the baseline
    double afterPurgeMiB = 0; // the last sample, a while after the purge
    double speakReturnedMiB = 0;
    double speakMs = 0;
    int words = 0;
};

double mib(qint64 kib)
{
    return double(kib) / 1024.0;
}

Growth speakAndPurge(SpVoice& voice, const QString& text, int purgeAfterMs)
{
    Growth g;
    QObject context;
    QObject::connect(&voice, &SpVoice::Word, &context, [&](int, QVariant, int, int) { ++g.words; });
    const qint64 baseline = residentKiB();
    const bool highWater = resetPeakResident();
    const Clock::time_point t0 = Clock::now();
    voice.Speak(text, SVSFlagsAsync | SVSFIsNotXML);
    g.speakMs = msBetween(t0, Clock::now());
    g.speakReturnedMiB = mib(residentKiB() - baseline);

    QEventLoop loop;
    QTimer sampler;
    sampler.setInterval(100);
    bool purged = false;
    QObject::connect(&sampler, &QTimer::timeout, &loop, [&] {
        const qint64 now = residentKiB();
        g.peakMiB = std::max(g.peakMiB, mib(now - baseline));
        g.afterPurgeMiB = mib(now - baseline);
        const double elapsed = msBetween(t0, Clock::now());
        if (!purged && elapsed >= purgeAfterMs) {
            voice.Speak(QString(), SVSFPurgeBeforeSpeak);
            purged = true;
        }
        if (elapsed >= purgeAfterMs + 2000)
            loop.quit();
    });
    sampler.start();
    loop.exec();
    if (highWater)
        g.highWaterMiB = mib(peakResidentKiB() - baseline);
    return g;
}

void print(const char* what, const Growth& g, int purgeAfterMs)
{
    std::printf("memory %s 10MB: peak growth %.1f MiB (VmRSS every 100 ms; VmHWM peak %.1f MiB); %.1f MiB after "
                "Speak returned (%.0f ms), %.1f MiB 2 s after the purge at %d s; %d words raised\n",
        what, std::max(g.peakMiB, g.highWaterMiB), g.highWaterMiB, g.speakReturnedMiB, g.speakMs, g.afterPurgeMiB,
        purgeAfterMs / 1000, g.words);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    SpVoice voice;
    const QString text = prose(10 * 1024 * 1024);

    // Opens the device and loads the voice once, as any earlier speech would have.
    voice.Speak(QStringLiteral("Ready."), SVSFIsNotXML);
    {
        auto warm = std::make_shared<SpFileStream>();
        warm->Open(dir.filePath(QStringLiteral("warm.wav")));
        voice.setAudioOutputStream(warm);
        voice.Speak(QStringLiteral("Ready."), SVSFIsNotXML);
        warm->Close();
        voice.setAudioOutput(SpObjectToken());
    }
    std::printf("memory text: %lld characters (%.1f MiB as UTF-16); resident before speaking %.1f MiB\n",
        static_cast<long long>(text.size()), mib(text.size() * 2 / 1024), mib(residentKiB()));

    const Growth device = speakAndPurge(voice, text, 10000);
    print("device", device, 10000);

    auto stream = std::make_shared<SpFileStream>();
    stream->Format().setType(SAFT22kHz16BitMono);
    stream->Open(dir.filePath(QStringLiteral("long.wav")));
    voice.setAudioOutputStream(stream);
    // A minute of recording on every synthesiser: the whole text would be some 160 hours of
    // speech, 26 GB of wave, past what a wave file can hold; a fast machine reaches that limit.
    constexpr int recordMs = 60000;
    const Growth file = speakAndPurge(voice, text, recordMs);
    print("file", file, recordMs);
    const qint64 written = stream->bytesWritten();
    const double seconds = double(written) / 44100;
    voice.setAudioOutput(SpObjectToken());
    // A wave file holds at most 4 GB: a longer recording is refused when it reaches that, and
    // Close says so instead of keeping a file whose header lies.
    QString refused;
    try {
        stream->Close();
    } catch (const PlatformError& failure) {
        refused = failure.description();
    }
    stream.reset();
    const auto totalWords = static_cast<double>(text.split(QLatin1Char(' '), Qt::SkipEmptyParts).size());
    // A refused recording stopped before the purge: its pace is a lower bound.
    const char* bound = refused.isEmpty() ? "" : "over ";
    std::printf("memory file: %.0f s of audio written in %s%d s (%s%.0fx real time; %d of %.0f words, so the whole "
                "text would take %s%.0f min)\n",
        seconds, refused.isEmpty() ? "" : "under ", recordMs / 1000, bound, seconds / (recordMs / 1000.0), file.words,
        totalWords, refused.isEmpty() ? "about " : "less than ",
        recordMs / 60000.0 * totalWords / std::max(1, file.words));
    const QString path = dir.filePath(QStringLiteral("long.wav"));
    if (!refused.isEmpty()) {
        const bool atLimit
            = refused.contains(QStringLiteral("4 GB")) && written > SoundFileWriter::waveFileLimit - 64 * 1024 * 1024;
        std::printf("memory file: recording refused after %.2f GiB (%s): %s\n",
            double(written) / (1024.0 * 1024 * 1024), QFileInfo::exists(path) ? "BUT A FILE WAS KEPT" : "no file left",
            qPrintable(refused));
        return atLimit && !QFileInfo::exists(path) ? 0 : 1;
    }
    const std::optional<WaveInfo> back = waveInfo(path);
    const bool whole = back && back->frames * 2 == written;
    std::printf("memory file: read back: %s\n", whole ? "every frame, header right" : "MISMATCH");
    return whole ? 0 : 1;
}
