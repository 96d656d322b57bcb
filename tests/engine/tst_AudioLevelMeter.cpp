#include "engine/pipeline/AudioLevelMeter.h"

#include <QTest>

namespace {

QString levels(const std::vector<AudioLevelMeter::Level>& levels)
{
    QStringList out;
    for (const AudioLevelMeter::Level& l : levels)
        out << QStringLiteral("%1:%2").arg(l.sample).arg(l.level);
    return out.join(u' ');
}

} // namespace

class tst_AudioLevelMeter : public QObject {
    Q_OBJECT

private slots:
    // A window's level is raised once the first sample after it arrives, so blocks that end on a
    // window's edge leave it open.
    void windowsAcrossBlocks()
    {
        AudioLevelMeter meter(4);
        const std::vector<int16_t> first { 100, -16384, 0, 50, 32767, 0 };
        QCOMPARE(levels(meter.add(first, 100)), QStringLiteral("4:50"));
        const std::vector<int16_t> second { 0, 0 };
        QCOMPARE(levels(meter.add(second, 100)), QString());
        QCOMPARE(meter.samples(), qint64(8));
        QVERIFY(!meter.finish(100));
        const std::vector<int16_t> third { -8192 };
        QCOMPARE(levels(meter.add(third, 50)), QStringLiteral("8:49"));
        const std::optional<AudioLevelMeter::Level> last = meter.finish(100);
        QVERIFY(last);
        QCOMPARE(last->sample, qint64(9));
        QCOMPARE(last->level, 25);
    }

    void longBlock()
    {
        AudioLevelMeter meter(2);
        const std::vector<int16_t> samples(7, 32767);
        QCOMPARE(levels(meter.add(samples, 100)), QStringLiteral("2:99 4:99 6:99"));
        QCOMPARE(meter.finish(0)->level, 0);
    }

    void scale()
    {
        QCOMPARE(AudioLevelMeter::level(32767, 100), 99);
        QCOMPARE(AudioLevelMeter::level(32768, 100), 100);
        QCOMPARE(AudioLevelMeter::level(16384, 50), 25);
        QCOMPARE(AudioLevelMeter::level(0, 100), 0);
    }
};

QTEST_APPLESS_MAIN(tst_AudioLevelMeter)
#include "tst_AudioLevelMeter.moc"
