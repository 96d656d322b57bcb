#include "PlatformError.h"
#include "SkipCount.h"

#include <QTest>

// The skip count as typed: a 16-bit number, rounded half to even, blanks and a sign allowed.
class tst_SkipCount : public QObject {
    Q_OBJECT
private slots:
    void numbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("count");
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("blanks around") << "  3 " << 3;
        QTest::newRow("plus sign") << "+2" << 2;
        QTest::newRow("backwards") << "-4" << -4;
        QTest::newRow("fraction down") << "1.4" << 1;
        QTest::newRow("fraction up") << "1.6" << 2;
        QTest::newRow("half to even, down") << "2.5" << 2;
        QTest::newRow("half to even, up") << "3.5" << 4;
        QTest::newRow("highest") << "32767" << 32767;
        QTest::newRow("lowest") << "-32768" << -32768;
        QTest::newRow("half below the lowest") << "-32768.5" << -32768;
    }
    void numbers()
    {
        QFETCH(QString, text);
        QFETCH(int, count);
        QCOMPARE(int(SkipCount::parse(text)), count);
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("description");
        QTest::newRow("letters") << "abc"
                                 << "\"abc\" is not a number.";
        QTest::newRow("empty") << ""
                               << "\"\" is not a number.";
        QTest::newRow("two points") << "1.5.2"
                                    << "\"1.5.2\" is not a number.";
        QTest::newRow("infinite") << "inf"
                                  << "\"inf\" is not a number.";
        QTest::newRow("too large") << " 40000 "
                                   << "40000 is out of range: a skip count runs from -32768 to 32767.";
        QTest::newRow("rounds above") << "32767.5"
                                      << "32767.5 is out of range: a skip count runs from -32768 to 32767.";
        QTest::newRow("below") << "-32769"
                               << "-32769 is out of range: a skip count runs from -32768 to 32767.";
    }
    void refusals()
    {
        QFETCH(QString, text);
        QFETCH(QString, description);
        try {
            SkipCount::parse(text);
            QFAIL("the count was taken");
        } catch (const PlatformError& failure) {
            QCOMPARE(failure.description(), description);
        }
    }
};

QTEST_APPLESS_MAIN(tst_SkipCount)
#include "tst_SkipCount.moc"
