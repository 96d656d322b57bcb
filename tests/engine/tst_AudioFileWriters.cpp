#include "FileBytes.h"
#include "WaveFile.h"
#include "engine/audio/AudioFileWriter.h"
#include "engine/audio/SoundFileWriter.h"

#include <QTemporaryDir>
#include <QtTest>
#include <array>
#include <cmath>
#include <fcntl.h>
#include <sndfile.h>
#include <thread>
#include <unistd.h>

namespace {

// Voiced sound with a gliding pitch, broken by bursts of noise and silence, so that a variable
// bit rate varies from frame to frame.
std::vector<int16_t> speechLike(int rate, int channels, double seconds)
{
    const auto frames = static_cast<size_t>(rate * seconds);
    std::vector<int16_t> samples(frames * static_cast<size_t>(channels));
    double phase = 0;
    unsigned noise = 12345;
    for (size_t i = 0; i < frames; ++i) {
        const double t = double(i) / rate;
        phase += 2 * M_PI * (110 + 40 * std::sin(2 * M_PI * 0.7 * t)) / rate;
        const int part = static_cast<int>(t * 4) % 4;
        double value = 0;
        if (part < 2) {
            for (int harmonic = 1; harmonic <= 12; ++harmonic)
                value += std::sin(harmonic * phase) / harmonic;
            value *= 0.25;
        } else if (part == 2) {
            noise = noise * 1103515245 + 12345;
            value = (double((noise >> 16) & 0x7fff) / 16384.0 - 1) * 0.2;
        }
        for (int c = 0; c < channels; ++c)
            samples[i * static_cast<size_t>(channels) + static_cast<size_t>(c)] = static_cast<int16_t>(value * 32767);
    }
    return samples;
}

int createFile(const QString& path)
{
    return ::open(path.toLocal8Bit().constData(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
}

// Writes the samples in blocks of whole frames, as the voice does.
QString writeAll(AudioFileWriter& writer, const std::vector<int16_t>& samples, int channels)
{
    const size_t block = 2205 * static_cast<size_t>(channels);
    for (size_t at = 0; at < samples.size(); at += block) {
        if (QString problem = writer.write(std::span(samples).subspan(at, std::min(block, samples.size() - at)));
            !problem.isEmpty())
            return problem;
    }
    return writer.close();
}

quint32 bigEndian32(const QByteArray& bytes, qsizetype at)
{
    quint32 value = 0;
    for (qsizetype i = 0; i < 4; ++i)
        value = value << 8 | static_cast<quint8>(bytes.at(at + i));
    return value;
}

// Where the audio starts: after the ID3v2 tag, whose length is kept in 7 bits a byte.
qsizetype afterId3Tag(const QByteArray& bytes)
{
    if (!bytes.startsWith("ID3") || bytes.size() < 10)
        return 0;
    qsizetype size = 0;
    for (int i = 6; i < 10; ++i)
        size = size << 7 | (static_cast<quint8>(bytes.at(i)) & 0x7f);
    return 10 + size;
}

// The frame count in the first frame's VBR header ("Xing", with the frame-count flag), or -1.
qint64 xingFrames(const QByteArray& bytes)
{
    const qsizetype start = afterId3Tag(bytes);
    const qsizetype xing = bytes.indexOf("Xing", start);
    if (xing < 0 || xing > start + 64 || bytes.size() < xing + 12)
        return -1;
    return (bigEndian32(bytes, xing + 4) & 1) != 0 ? qint64(bigEndian32(bytes, xing + 8)) : -1;
}

struct MpegFrames {
    qint64 count = 0;
    qint64 samples = 0; // per channel
};

// Walks the MPEG layer III frames that follow the ID3v2 tag, by their headers, to the end.
MpegFrames mpegFrames(const QByteArray& bytes)
{
    constexpr std::array<int, 15> mpeg1Kbps { 0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320 };
    constexpr std::array<int, 15> mpeg2Kbps { 0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160 };
    constexpr std::array<int, 3> mpeg1Rates { 44100, 48000, 32000 };
    MpegFrames frames;
    for (qsizetype at = afterId3Tag(bytes); at + 4 <= bytes.size();) {
        const auto b1 = static_cast<quint8>(bytes.at(at + 1));
        const auto b2 = static_cast<quint8>(bytes.at(at + 2));
        const int version = (b1 >> 3) & 3; // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
        const int bitrate = b2 >> 4;
        const int rateIndex = (b2 >> 2) & 3;
        if (static_cast<quint8>(bytes.at(at)) != 0xff || (b1 & 0xe6) != 0xe2 || version == 1 || bitrate == 0
            || bitrate == 15 || rateIndex == 3)
            return {}; // not a layer III frame where one should start
        const bool mpeg1 = version == 3;
        const int rate = mpeg1Rates[size_t(rateIndex)] / (mpeg1 ? 1 : version == 2 ? 2 : 4);
        const int kbps = (mpeg1 ? mpeg1Kbps : mpeg2Kbps)[size_t(bitrate)];
        at += (mpeg1 ? 144000 : 72000) * kbps / rate + ((b2 >> 1) & 1);
        ++frames.count;
        frames.samples += mpeg1 ? 1152 : 576;
    }
    return frames;
}

} // namespace

// The writers behind the kinds of file, on their own: the wave file's limit, and what the MP3
// encoder must add to its audio for players to know the file.
class tst_AudioFileWriters : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    // A wave file that reaches the most its header can count refuses the frames that would pass
    // it, with the reason, and keeps what came before as a whole file. An odd length counts its
    // pad byte. (The limit is lowered here; the real one is 4 GiB.)
    void waveFileStopsAtItsLimit_data()
    {
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("fitting"); // frames that fill the file to the limit
        QTest::addColumn<int>("limit");
        QTest::newRow("16-bit mono") << 16 << 1 << 500 << 44 + 1000;
        QTest::newRow("16-bit stereo") << 16 << 2 << 250 << 44 + 1000;
        QTest::newRow("8-bit mono, padded") << 8 << 1 << 10 << 44 + 11;
    }

    void waveFileStopsAtItsLimit()
    {
        QFETCH(int, bits);
        QFETCH(int, channels);
        QFETCH(int, fitting);
        QFETCH(int, limit);
        const QString path = m_dir.filePath(QStringLiteral("limit.wav"));
        const PcmFormat format { 8000, bits, channels };
        const int fd = createFile(path);
        QVERIFY(fd >= 0);
        SoundFileWriter writer(fd, AudioFileKind::Wave, format, QString(), limit);
        const std::vector<int16_t> samples = speechLike(8000, channels, 1.0);
        const auto frames = [&](int from, int count) {
            return std::span(samples).subspan(size_t(from * channels), size_t(count * channels));
        };
        QCOMPARE(writer.write(frames(0, fitting - 3)), QString());
        QCOMPARE(writer.write(frames(fitting - 3, 3)), QString());
        const QString refused = writer.write(frames(fitting, 1));
        QVERIFY2(refused.contains(QStringLiteral("exceed the 4 GB a wave file can hold")), qPrintable(refused));
        QCOMPARE(writer.close(), QString());

        const WaveFile wave = WaveFile::read(path);
        QCOMPARE(wave.mismatch(format), QString());
        QCOMPARE(wave.frames, qint64(fitting));
        QVERIFY(QFileInfo(path).size() <= limit);
    }

    // The MP3 file starts with the title's ID3v2 tag and a LAME tag that counts the frames, so
    // that a reader knows the exact length (less the encoder's delay and padding) without
    // scanning. Written into a pipe, which cannot go back to fill it in, the file has no length
    // in its header (a reader must scan it) but all of its audio.
    void mp3CarriesItsTagsAndExactLength_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("channels");
        QTest::newRow("22 kHz mono") << 22050 << 1;
        QTest::newRow("44 kHz stereo") << 44100 << 2;
        QTest::newRow("8 kHz mono") << 8000 << 1;
    }

    void mp3CarriesItsTagsAndExactLength()
    {
        QFETCH(int, rate);
        QFETCH(int, channels);
        const QString path = m_dir.filePath(QStringLiteral("tags.mp3"));
        const int fd = createFile(path);
        QVERIFY(fd >= 0);
        const std::vector<int16_t> samples = speechLike(rate, channels, 6.0);
        const auto writer = AudioFileWriter::create(
            fd, AudioFileKind::Mp3, PcmFormat { rate, 16, channels }, QStringLiteral("Grüße, 世界"));
        QCOMPARE(writeAll(*writer, samples, channels), QString());

        const QByteArray bytes = fileBytes(path);
        QVERIFY(afterId3Tag(bytes) > 10);
        const MpegFrames frames = mpegFrames(bytes);
        QVERIFY(frames.count > 0);
        QCOMPARE(xingFrames(bytes), frames.count - 1); // the frames after the tag's own
        const WaveFile back = WaveFile::read(path);
        QVERIFY(back.ok);
        QCOMPARE(back.sampleRate, rate);
        QCOMPARE(back.channels, channels);
        QCOMPARE(back.title, QStringLiteral("Grüße, 世界"));
        QCOMPARE(back.frames, qint64(samples.size()) / channels);
    }

    void mp3IntoAPipe()
    {
        int ends[2];
        QCOMPARE(::pipe2(ends, O_CLOEXEC), 0);
        QByteArray received;
        std::thread reader([&] {
            char buffer[65536];
            for (ssize_t got; (got = ::read(ends[0], buffer, sizeof buffer)) > 0;)
                received.append(buffer, got);
            ::close(ends[0]);
        });
        const std::vector<int16_t> samples = speechLike(22050, 1, 3.0);
        const auto writer
            = AudioFileWriter::create(ends[1], AudioFileKind::Mp3, PcmFormat { 22050, 16, 1 }, QStringLiteral("Piped"));
        const QString problem = writeAll(*writer, samples, 1);
        reader.join();
        QCOMPARE(problem, QString());
        QVERIFY(received.startsWith("ID3"));
        // LAME's empty first frame stays empty, and the audio after it is all there.
        QCOMPARE(xingFrames(received), qint64(-1));
        const MpegFrames frames = mpegFrames(received);
        const double seconds = double(frames.samples) / 22050;
        QVERIFY2(seconds > 3.0 && seconds < 3.2, qPrintable(QString::number(seconds)));
    }
};

QTEST_GUILESS_MAIN(tst_AudioFileWriters)
#include "tst_AudioFileWriters.moc"
