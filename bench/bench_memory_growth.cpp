// Resident memory while a 10 MB text is spoken: to the device (asynchronously, purged after
// 10 s), into a wave file (purged after 60 s, or refused at the 4 GB a wave file can hold), and
// whole into a FLAC file, timed and read back. VmRSS is read from /proc/self/status before
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
#include <sndfile.h>

using namespace bench;

namespace {

struct Growth {
    double peakMiB = 0; // sampled VmRSS, above the baseline
    double highWaterMiB = -1; // VmHWM above the baseline
    double afterPurgeMiB = 0; // the last sample, a while after the purge
    double endedMs = 0; // when the speech ended, for speech left to run to its end
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
        // A negative purge time lets the speech run to its end.
        if (purgeAfterMs < 0 && voice.WaitUntilDone(0)) {
            g.endedMs = elapsed;
            loop.quit();
        }
        if (!purged && purgeAfterMs >= 0 && elapsed >= purgeAfterMs) {
            voice.Speak(QString(), SVSFPurgeBeforeSpeak);
            purged = true;
        }
        if (purgeAfterMs >= 0 && elapsed >= purgeAfterMs + 2000)
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
    const QString after = purgeAfterMs < 0 ? QStringLiteral("at the end")
                                           : QStringLiteral("2 s after the purge at %1 s").arg(purgeAfterMs / 1000);
    std::printf("memory %s 10MB: peak growth %.1f MiB (VmRSS every 100 ms; VmHWM peak %.1f MiB); %.1f MiB after "
                "Speak returned (%.0f ms), %.1f MiB %s; %d words raised\n",
        what, std::max(g.peakMiB, g.highWaterMiB), g.highWaterMiB, g.speakReturnedMiB, g.speakMs, g.afterPurgeMiB,
        qPrintable(after), g.words);
}

// The file's last second of 16-bit mono, decoded; empty when it cannot be read.
std::vector<int16_t> lastSecond(const QString& path)
{
    SF_INFO info {};
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!file)
        return {};
    std::vector<int16_t> samples(static_cast<size_t>(info.samplerate));
    const bool read = info.frames >= info.samplerate && sf_seek(file, info.frames - info.samplerate, SEEK_SET) >= 0
        && sf_read_short(file, samples.data(), info.samplerate) == info.samplerate;
    sf_close(file);
    return read ? samples : std::vector<int16_t> {};
}

} // namespace

// The whole text into a FLAC file, which has no size limit: the time, the memory, and the file
// read back (its length against the frames written, and its last second decoded).
bool recordWhole(SpVoice& voice, const QString& text, const QTemporaryDir& dir)
{
    const QString path = dir.filePath(QStringLiteral("whole.flac"));
    auto stream = std::make_shared<SpFileStream>();
    stream->Format().setType(SAFT22kHz16BitMono);
    stream->setKind(AudioFileKind::Flac);
    stream->Open(path);
    voice.setAudioOutputStream(stream);
    const Growth whole = speakAndPurge(voice, text, -1);
    const qint64 frames = stream->bytesWritten() / 2;
    voice.setAudioOutput(SpObjectToken());
    QString failure;
    try {
        stream->Close();
    } catch (const PlatformError& error) {
        failure = error.description();
    }
    print("whole text to FLAC", whole, -1);
    const std::optional<WaveInfo> back = waveInfo(path);
    const std::vector<int16_t> tail = lastSecond(path);
    const bool right = failure.isEmpty() && back && back->frames == frames && tail.size() == 22050;
    std::printf("memory whole text: %.0f s of audio (%.1f hours) in %.0f s (%.0fx real time), %.0f MiB of FLAC; "
                "read back: %s%s\n",
        double(frames) / 22050, double(frames) / 22050 / 3600, whole.endedMs / 1000,
        double(frames) / 22050 / std::max(1.0, whole.endedMs / 1000), mib(QFileInfo(path).size() / 1024),
        right ? "every frame, the last second decoded" : "MISMATCH ", qPrintable(failure));
    QFile::remove(path);
    return right;
}

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
        return atLimit && !QFileInfo::exists(path) && recordWhole(voice, text, dir) ? 0 : 1;
    }
    const std::optional<WaveInfo> back = waveInfo(path);
    const bool whole = back && back->frames * 2 == written;
    std::printf("memory file: read back: %s\n", whole ? "every frame, header right" : "MISMATCH");
    return whole && recordWhole(voice, text, dir) ? 0 : 1;
}
