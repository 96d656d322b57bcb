#include "Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>

class TestTwips : public QObject {
    Q_OBJECT

private slots:
    void atTheOffscreenDpi()
    {
        QCOMPARE(QGuiApplication::primaryScreen()->logicalDotsPerInchX(), 96.0);
        QCOMPARE(Twips::perPixelX(), 15);
        QCOMPARE(Twips::toPixelsX(2100), 140);
        // To the nearest pixel, both ways of zero.
        QCOMPARE(Twips::toPixelsX(7), 0);
        QCOMPARE(Twips::toPixelsX(8), 1);
        QCOMPARE(Twips::toPixelsY(-8), -1);
        QCOMPARE(Twips::fromPixelsX(140), 2100);
        QCOMPARE(Twips::fromPixelsY(-3), -45);
        QCOMPARE(Twips::toPixels(120, 240, 615, 645), QRect(8, 16, 41, 43));
    }
};

QTEST_MAIN(TestTwips)
#include "tst_Twips.moc"
