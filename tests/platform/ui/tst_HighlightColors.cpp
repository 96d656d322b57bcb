#include "HighlightColors.h"

#include <QTest>

// The marks must read on any colours a user stores: the word's text on its band at 4.5:1 or
// better, and both bands told apart from the box's background and from each other.
class TestHighlightColors : public QObject {
    Q_OBJECT
private slots:
    void contrastOfKnownPairs()
    {
        QCOMPARE(HighlightColors::contrast(Qt::black, Qt::white), 21.0);
        QCOMPARE(HighlightColors::contrast(Qt::white, Qt::black), 21.0);
        QCOMPARE(HighlightColors::contrast(QColor(0, 255, 0), QColor(0, 255, 0)), 1.0);
        // Pure green: luminance 0.7152.
        QVERIFY(qAbs(HighlightColors::contrast(QColor(0, 255, 0), Qt::black) - 15.304) < 0.01);
        // The web's mid-grey reference, #777 on white, sits just below 4.5:1.
        QVERIFY(qAbs(HighlightColors::contrast(QColor(0x77, 0x77, 0x77), Qt::white) - 4.48) < 0.01);
    }

    void readableOnEveryBox_data()
    {
        QTest::addColumn<QColor>("text");
        QTest::addColumn<QColor>("background");
        QTest::newRow("green on black (default)") << QColor(0, 255, 0) << QColor(0, 0, 0);
        QTest::newRow("white on black") << QColor(Qt::white) << QColor(Qt::black);
        QTest::newRow("black on white") << QColor(Qt::black) << QColor(Qt::white);
        QTest::newRow("mid-grey on mid-grey") << QColor(128, 128, 128) << QColor(120, 120, 120);
        QTest::newRow("light grey on mid-grey") << QColor(170, 170, 170) << QColor(119, 119, 119);
        QTest::newRow("same colour") << QColor(90, 60, 200) << QColor(90, 60, 200);
        QTest::newRow("yellow on white") << QColor(255, 255, 0) << QColor(Qt::white);
        QTest::newRow("navy on blue") << QColor(0, 0, 128) << QColor(0, 0, 255);
        QTest::newRow("red on green") << QColor(255, 0, 0) << QColor(0, 128, 0);
    }
    void readableOnEveryBox()
    {
        QFETCH(QColor, text);
        QFETCH(QColor, background);
        const HighlightColors colors = HighlightColors::forBox(text, background);
        const auto contrast = &HighlightColors::contrast;
        QVERIFY2(contrast(colors.wordText, colors.wordBackground) >= 4.5,
            qPrintable(QString::number(contrast(colors.wordText, colors.wordBackground))));
        QVERIFY2(contrast(colors.wordBackground, background) >= 3.0,
            qPrintable(QString::number(contrast(colors.wordBackground, background))));
        QVERIFY2(contrast(colors.sentenceBackground, background) >= 1.3,
            qPrintable(QString::number(contrast(colors.sentenceBackground, background))));
        QVERIFY2(contrast(colors.sentenceBackground, colors.wordBackground) >= 1.3,
            qPrintable(QString::number(contrast(colors.sentenceBackground, colors.wordBackground))));
    }

    // On the boxes' own colours the word looks like a selection in them: the colours swapped.
    void defaultBoxMarksTheWordInItsOwnColours()
    {
        const HighlightColors colors = HighlightColors::forBox(QColor(0, 255, 0), QColor(0, 0, 0));
        QCOMPARE(colors.wordBackground, QColor(0, 255, 0));
        QCOMPARE(colors.wordText, QColor(0, 0, 0));
        // A dark green tint, not a grey one.
        QCOMPARE(colors.sentenceBackground.red(), 0);
        QVERIFY(colors.sentenceBackground.green() > 0);
    }
};

QTEST_APPLESS_MAIN(TestHighlightColors)
#include "tst_HighlightColors.moc"
