// Recording into each kind of file: ≥100 KB of prose spoken synchronously by SpVoice into a
// 22 kHz 16-bit mono stream written as a wave file, MP3, Ogg Vorbis, Opus and FLAC, timed from
// the wall clock around the whole job (Speak to Close) as a recording would be. The kinds take
// turns round by round, so that load from elsewhere on the machine falls on all of them alike.
// Each line gives the file's size and its audio's duration read back, so that a fast run cannot
// hide less speech; the ratio to the wave render is the figure that counts. Last, each kind's
// writer alone encodes the wave render's samples on one thread: its CPU time is the floor under a
// recording of that kind, whatever the synthesisers do beside it.

#include "BenchSupport.h"
#include "engine/api/SpFileStream.h"
#include "engine/api/SpVoice.h"
#include "engine/audio/AudioFileWriter.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <array>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <map>

using namespace bench;

namespace {
constexpr std::array kinds { AudioFileKind::Wave, AudioFileKind::Mp3, AudioFileKind::OggVorbis, AudioFileKind::Opus,
    AudioFileKind::Flac };

double render(SpVoice& voice, const QString& text, AudioFileKind kind, const QString& path)
{
    auto stream = std::make_shared<SpFileStream>();
    stream->Format().setType(SAFT22kHz16BitMono);
    stream->setKind(kind);
    stream->setTitle(QStringLiteral("Benchmark prose"));
    const Clock::time_point start = Clock::now();
    stream->Open(path);
    voice.setAudioOutputStream(stream);
    voice.Speak(text, SVSFIsNotXML);
    stream->Close();
    const double ms = msBetween(start, Clock::now());
    voice.setAudioOutputStream(nullptr);
    return ms;
}

double threadCpuMs()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// The CPU time one writer takes for the samples, fed in blocks as the voice feeds a file.
double encodeAlone(AudioFileKind kind, const std::vector<int16_t>& samples, const QString& path)
{
    const int fd = ::open(path.toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return -1;
    const double start = threadCpuMs();
    const auto writer = AudioFileWriter::create(fd, kind, PcmFormat { 22050, 16, 1 }, QStringLiteral("Benchmark"));
    constexpr size_t block = 4096;
    QString problem;
    for (size_t at = 0; at < samples.size() && problem.isEmpty(); at += block)
        problem = writer->write(std::span(samples).subspan(at, std::min(block, samples.size() - at)));
    if (problem.isEmpty())
        problem = writer->close();
    const double ms = threadCpuMs() - start;
    return problem.isEmpty() ? ms : -1;
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    qsizetype chars = 100 * 1024;
    int rounds = 1;
    if (argc > 1)
        chars = QByteArray(argv[1]).toLongLong() * 1024;
    if (argc > 2)
        rounds = std::max(1, QByteArray(argv[2]).toInt());
    QTemporaryDir dir;
    const QString text = prose(chars);
    SpVoice voice;
    std::printf("text: %lld characters of prose, 22 kHz 16-bit mono, %d round(s)\n",
        static_cast<long long>(text.size()), rounds);
    render(voice, prose(300, 3), AudioFileKind::Wave, dir.filePath(QStringLiteral("warm.wav")));

    std::map<AudioFileKind, std::vector<double>> times;
    for (int round = 0; round < rounds; ++round) {
        for (const AudioFileKind kind : kinds)
            times[kind].push_back(render(voice, text, kind, dir.filePath(AudioFileKinds::extension(kind))));
    }

    const double wave = median(times[AudioFileKind::Wave]);
    const auto kib = static_cast<long long>(chars / 1024);
    for (const AudioFileKind kind : kinds) {
        const QString name = AudioFileKinds::extension(kind);
        const QString path = dir.filePath(name);
        const auto info = waveInfo(path);
        if (!info) {
            std::fprintf(stderr, "the %s file could not be read back\n", qPrintable(name));
            return 1;
        }
        const double ms = median(times[kind]);
        const double kbytes = double(QFileInfo(path).size()) / 1024;
        std::printf("file-kind %s %lldKB: %.0f ms, %.2f x wave; %.0f KiB (%.1f kbit/s), %.1f s at %d Hz, %d ch\n",
            qPrintable(name), kib, ms, ms / wave, kbytes, kbytes * 8 * 1.024 / info->seconds(), info->seconds(),
            info->sampleRate, info->channels);
    }

    const std::vector<int16_t> samples = readMonoWave(dir.filePath(AudioFileKinds::extension(AudioFileKind::Wave)));
    const double seconds = double(samples.size()) / 22050;
    for (const AudioFileKind kind : kinds) {
        const QString name = AudioFileKinds::extension(kind);
        const double ms = encodeAlone(kind, samples, dir.filePath(QStringLiteral("alone.") + name));
        if (ms < 0) {
            std::fprintf(stderr, "the %s writer failed on its own\n", qPrintable(name));
            return 1;
        }
        std::printf("file-kind %s writer alone: %.0f ms CPU for %.0f s of audio (%.0fx real time)\n", qPrintable(name),
            ms, seconds, seconds * 1000 / ms);
    }
    return 0;
}
