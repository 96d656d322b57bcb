#include "engine/pipeline/AudioPipeline.h"

#include <QtTest>
#include <algorithm>
#include <cmath>

namespace {

constexpr int synthRate = 22050;

// One second of the synthesiser's silence with a short 2 kHz burst whose middle is at sample 11025.
std::vector<int16_t> burstInSilence()
{
    std::vector<int16_t> samples(synthRate, 0);
    for (int i = -40; i <= 40; ++i) {
        const double window = 0.5 + 0.5 * std::cos(M_PI * i / 40.0);
        samples[static_cast<size_t>(11025 + i)]
            = static_cast<int16_t>(20000 * window * std::cos(2 * M_PI * 2000.0 * i / synthRate));
    }
    return samples;
}

// The run through the pipeline in blocks of 1,000 samples, then flushed.
std::vector<int16_t> run(AudioPipeline& pipeline, const std::vector<int16_t>& samples, double gain = 1.0)
{
    std::vector<int16_t> out;
    for (size_t at = 0; at < samples.size(); at += 1000) {
        const size_t size = std::min<size_t>(1000, samples.size() - at);
        const auto part = pipeline.process(std::span(samples).subspan(at, size), gain);
        out.insert(out.end(), part.begin(), part.end());
    }
    const auto tail = pipeline.flush();
    out.insert(out.end(), tail.begin(), tail.end());
    return out;
}

// Where the sound's energy is centred, in frames of the first channel.
double energyCentre(const std::vector<int16_t>& frames, int channels)
{
    double weighted = 0;
    double total = 0;
    for (size_t i = 0; i < frames.size(); i += static_cast<size_t>(channels)) {
        const double energy = double(frames[i]) * double(frames[i]);
        weighted += energy * double(i / static_cast<size_t>(channels));
        total += energy;
    }
    return total > 0 ? weighted / total : -1;
}

int peak(const std::vector<int16_t>& frames)
{
    int highest = 0;
    for (const int16_t value : frames)
        highest = std::max(highest, std::abs(static_cast<int>(value)));
    return highest;
}

} // namespace

class tst_AudioPipeline : public QObject {
    Q_OBJECT

private slots:
    void conversionKeepsLengthAndTiming_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("channels");
        for (const int rate : { 8000, 11025, 16000, 22050, 44100, 48000 }) {
            for (const int channels : { 1, 2 })
                QTest::addRow("%d Hz, %d channels", rate, channels) << rate << channels;
        }
    }
    // Every format gets the whole second, and the burst where the events will place it.
    void conversionKeepsLengthAndTiming()
    {
        QFETCH(int, rate);
        QFETCH(int, channels);
        AudioPipeline pipeline(synthRate, PcmFormat { rate, 16, channels });
        const std::vector<int16_t> out = run(pipeline, burstInSilence());
        QVERIFY(out.size() % static_cast<size_t>(channels) == 0);
        const auto frames = static_cast<qint64>(out.size()) / channels;
        QVERIFY2(qAbs(frames - pipeline.outputFrame(synthRate)) <= 2, qPrintable(QString::number(frames)));
        const double centre = energyCentre(out, channels);
        QVERIFY2(qAbs(centre - double(pipeline.outputFrame(11025))) <= 1.0,
            qPrintable(QStringLiteral("%1 against %2").arg(centre).arg(pipeline.outputFrame(11025))));
        QVERIFY2(peak(out) > 15000, qPrintable(QString::number(peak(out))));
        for (size_t i = 0; channels == 2 && i < out.size(); i += 2)
            QCOMPARE(out[i + 1], out[i]);
    }

    // A flushed run leaves nothing behind: the next sounds exactly as the first, and the gain scales it.
    void runsAreIndependentAndTheGainScales()
    {
        AudioPipeline pipeline(synthRate, PcmFormat { 48000, 16, 1 });
        const std::vector<int16_t> first = run(pipeline, burstInSilence());
        const std::vector<int16_t> second = run(pipeline, burstInSilence());
        QCOMPARE(second.size(), first.size());
        QVERIFY(second == first);
        const std::vector<int16_t> quiet = run(pipeline, burstInSilence(), 0.5);
        QVERIFY(qAbs(peak(quiet) * 2 - peak(first)) <= peak(first) / 50);
    }
};

QTEST_GUILESS_MAIN(tst_AudioPipeline)
#include "tst_AudioPipeline.moc"
