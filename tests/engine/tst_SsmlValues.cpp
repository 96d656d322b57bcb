#include "engine/markup/SsmlValues.h"

#include <QTest>

namespace {

MarkupState stateWith(int rate, int pitch, int volume)
{
    MarkupState state;
    state.rate = rate;
    state.rateAbsolute = true;
    state.pitch = pitch;
    state.pitchAbsolute = true;
    state.volume = volume;
    return state;
}

} // namespace

class tst_SsmlValues : public QObject {
    Q_OBJECT

private slots:
    void rate_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("rate");
        QTest::addColumn<bool>("absolute");
        // From an absolute rate of 2: keywords replace it and make it relative to the voice.
        QTest::newRow("x-slow") << QStringLiteral("x-slow") << -6 << false;
        QTest::newRow("slow") << QStringLiteral(" SLOW ") << -3 << false;
        QTest::newRow("medium") << QStringLiteral("medium") << 0 << false;
        QTest::newRow("fast") << QStringLiteral("fast") << 4 << false;
        QTest::newRow("x-fast") << QStringLiteral("x-fast") << 6 << false;
        QTest::newRow("three times") << QStringLiteral("3") << 10 << true;
        QTest::newRow("half") << QStringLiteral("50%") << -4 << true;
        QTest::newRow("a tenth more") << QStringLiteral("+10%") << 3 << true;
        QTest::newRow("a third less") << QStringLiteral("-33%") << -2 << true;
        QTest::newRow("signed number") << QStringLiteral("+2") << 2 << true;
        QTest::newRow("zero") << QStringLiteral("0") << 2 << true;
        QTest::newRow("all less") << QStringLiteral("-100%") << 2 << true;
        QTest::newRow("no number") << QStringLiteral("quick") << 2 << true;
    }
    void rate()
    {
        QFETCH(QString, value);
        QFETCH(int, rate);
        QFETCH(bool, absolute);
        const MarkupState state = SsmlValues::rate(value, stateWith(2, 0, 100));
        QCOMPARE(state.rate, rate);
        QCOMPARE(state.rateAbsolute, absolute);
    }

    void pitch_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("pitch");
        QTest::newRow("x-low") << QStringLiteral("x-low") << -6;
        QTest::newRow("high") << QStringLiteral("High") << 3;
        QTest::newRow("an octave up") << QStringLiteral("+100%") << 9;
        QTest::newRow("an octave down") << QStringLiteral("50%") << -10;
        QTest::newRow("semitones") << QStringLiteral("+6st") << 4;
        QTest::newRow("unsigned semitones") << QStringLiteral("6st") << -1;
        QTest::newRow("hertz") << QStringLiteral("200Hz") << -1;
        QTest::newRow("nothing left") << QStringLiteral("-100%") << -1;
    }
    void pitch()
    {
        QFETCH(QString, value);
        QFETCH(int, pitch);
        QCOMPARE(SsmlValues::pitch(value, stateWith(0, -1, 100)).pitch, pitch);
    }

    void volume_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("volume");
        QTest::newRow("silent") << QStringLiteral("silent") << 0;
        QTest::newRow("soft") << QStringLiteral("soft") << 40;
        QTest::newRow("default") << QStringLiteral("default") << 100;
        QTest::newRow("a number") << QStringLiteral("30") << 30;
        QTest::newRow("more") << QStringLiteral("+30") << 80;
        QTest::newRow("past the top") << QStringLiteral("+80") << 100;
        QTest::newRow("percent") << QStringLiteral("50%") << 25;
        QTest::newRow("percent more") << QStringLiteral("+50%") << 75;
        QTest::newRow("decibels down") << QStringLiteral("-6dB") << 25;
        QTest::newRow("unsigned decibels") << QStringLiteral("6dB") << 50;
        QTest::newRow("no number") << QStringLiteral("loudish") << 50;
    }
    void volume()
    {
        QFETCH(QString, value);
        QFETCH(int, volume);
        QCOMPARE(SsmlValues::volume(value, stateWith(0, 0, 50)).volume, volume);
    }

    void breaks_data()
    {
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("strength");
        QTest::addColumn<int>("ms");
        const QString none; // the attribute is missing
        QTest::newRow("bare") << none << none << 400;
        QTest::newRow("milliseconds") << QStringLiteral("250ms") << none << 250;
        QTest::newRow("seconds") << QStringLiteral(" 1.5s ") << none << 1500;
        QTest::newRow("time wins") << QStringLiteral("2s") << QStringLiteral("weak") << 2000;
        QTest::newRow("signed time") << QStringLiteral("+2s") << QStringLiteral("weak") << 200;
        QTest::newRow("time without unit") << QStringLiteral("2") << QStringLiteral("x-strong") << 1000;
        QTest::newRow("strength") << none << QStringLiteral("strong") << 700;
        QTest::newRow("no strength") << none << QStringLiteral("none") << 0;
        QTest::newRow("unknown strength") << none << QStringLiteral("mighty") << 400;
    }
    void breaks()
    {
        QFETCH(QString, time);
        QFETCH(QString, strength);
        QFETCH(int, ms);
        const auto given = [](const QString& v) { return v.isNull() ? std::nullopt : std::optional<QString>(v); };
        QCOMPARE(SsmlValues::breakMilliseconds(given(time), given(strength)), ms);
    }

    void languageTags()
    {
        QCOMPARE(SsmlValues::languageTag(QStringLiteral(" en_GB ")).value_or(QString()), QStringLiteral("en-GB"));
        QCOMPARE(SsmlValues::languageTag(QStringLiteral("de")).value_or(QString()), QStringLiteral("de"));
        QVERIFY(!SsmlValues::languageTag(QString()));
        QVERIFY(!SsmlValues::languageTag(QStringLiteral("1de")));
        QVERIFY(!SsmlValues::languageTag(QStringLiteral("en US")));
        QVERIFY(!SsmlValues::languageTag(QString(36, u'a')));
    }

    void emphasisAndSpelling()
    {
        QVERIFY(SsmlValues::emphasised(std::nullopt));
        QVERIFY(SsmlValues::emphasised(QStringLiteral("reduced")));
        QVERIFY(!SsmlValues::emphasised(QStringLiteral(" NONE ")));
        QVERIFY(SsmlValues::spelled(QStringLiteral("characters")));
        QVERIFY(SsmlValues::spelled(QStringLiteral(" Spell-Out")));
        QVERIFY(!SsmlValues::spelled(QStringLiteral("date")));
    }

    void voiceRequirements()
    {
        QCOMPARE(SsmlValues::voiceRequirement(QStringLiteral(" Anna "), QStringLiteral("FEMALE")),
            QStringLiteral("Name=Anna;Gender=Female"));
        QCOMPARE(SsmlValues::voiceRequirement(std::nullopt, QStringLiteral("male")), QStringLiteral("Gender=Male"));
        QCOMPARE(SsmlValues::voiceRequirement(QStringLiteral(" "), std::nullopt), QString());
    }
};

QTEST_APPLESS_MAIN(tst_SsmlValues)
#include "tst_SsmlValues.moc"
