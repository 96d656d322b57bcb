#include "EventItems.h"
#include "engine/api/SpObjectToken.h"

#include <QTest>

// The items each voice event writes to the console's log, as the log joins them.
class tst_EventItems : public QObject {
    Q_OBJECT
private slots:
    void eachEventsLine_data()
    {
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("line");
        const QVariant position(qint64(4410));
        QTest::newRow("StartStream") << EventItems::startStream(1, position).items()
                                     << "StartStream, StreamNum=1, StreamPos=4410";
        QTest::newRow("EndStream") << EventItems::endStream(2, QVariant()).items()
                                   << "EndStream, StreamNum=2, StreamPos=";
        QTest::newRow("Bookmark") << EventItems::bookmark(1, position, QStringLiteral("here"), 7).items()
                                  << "BookMark, StreamNumber=1, StreamPosition=4410, Bookmark=here, BookmarkId=7";
        QTest::newRow("Word") << EventItems::word(1, position, 12, 5).items()
                              << "Word, StreamNum=1, StreamPos=4410, Pos=12, Length=5";
        QTest::newRow("Sentence") << EventItems::sentence(3, position, 0, 28).items()
                                  << "Sentence, StreamNum=3, StreamPos=4410, Pos=0, Length=28";
        QTest::newRow("Phoneme") << EventItems::phoneme(1, position, short(-1), 4, short(12)).items()
                                 << "Phoneme, StreamNumber=1, StreamPosition=4410, NextPhoneId=-1, Feature=4, "
                                    "CurrentPhoneId=12";
        QTest::newRow("Viseme") << EventItems::viseme(1, position, 80, 2, 0, 21).items()
                                << "Viseme, StreamNum=1, StreamPos=4410, Duration=80, VisemeType=2, Feature=0, "
                                   "VisemeId=21";
        QTest::newRow("AudioLevel") << EventItems::audioLevel(1, position, 63).items()
                                    << "AudioLevel, StreamNumber=1, StreamPosition=4410, AudioLevel=63";
        QTest::newRow("EnginePrivate") << EventItems::enginePrivate(1, 4410, QVariant(QStringLiteral("x"))).items()
                                       << "EnginePrivate, StreamNumber=1, StreamPosition=4410, lParam=x";
        QTest::newRow("VoiceChange") << EventItems::voiceChange(
            1, position, SpObjectToken(QStringLiteral("v"), QStringLiteral("Some Voice")))
                                            .items()
                                     << "VoiceChange, StreamNum=1, StreamPos=4410, Token=Some Voice";
        QTest::newRow("VoiceChange without a token") << EventItems::voiceChange(1, position, SpObjectToken()).items()
                                                     << "VoiceChange, StreamNum=1, StreamPos=4410, Token=";
    }
    void eachEventsLine()
    {
        QFETCH(QStringList, items);
        QFETCH(QString, line);
        QCOMPARE(items.join(QStringLiteral(", ")), line);
    }

    // A failing action's log line begins with this name.
    void nameIsTheFirstItem()
    {
        const EventItems viseme = EventItems::viseme(1, QVariant(), 0, 0, 0, 3);
        QCOMPARE(viseme.name(), QStringLiteral("Viseme"));
        QCOMPARE(EventItems::voiceChange(1, QVariant(), SpObjectToken()).name(), QStringLiteral("VoiceChange"));
    }

    void variantTexts()
    {
        QCOMPARE(EventItems::text(QVariant()), QString());
        QCOMPARE(EventItems::text(QVariant(-3)), QStringLiteral("-3"));
        QCOMPARE(EventItems::text(QVariant::fromValue(QSize(1, 2))), QStringLiteral("<QSize>"));
    }
};

QTEST_APPLESS_MAIN(tst_EventItems)
#include "tst_EventItems.moc"
