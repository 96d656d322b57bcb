#include "ApplicationIcon.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

// The windows carry the program's icon at every size a desktop asks for, and name the desktop
// entry they belong to.
class TestApplicationIcon : public QObject {
    Q_OBJECT
private slots:
    void everySizeIsTheSpeechBubble_data()
    {
        QTest::addColumn<int>("size");
        for (const int size : { 16, 22, 24, 32, 48, 64, 128, 256 })
            QTest::addRow("%d px", size) << size;
    }
    void everySizeIsTheSpeechBubble()
    {
        QFETCH(int, size);
        const QImage picture = ApplicationIcon::icon().pixmap(QSize(size, size), 1.0).toImage();
        QCOMPARE(picture.size(), QSize(size, size));
        // Clear corners around the bubble, its blue body left of the middle bar, the white bar.
        QCOMPARE(qAlpha(picture.pixel(size - 1, size - 1)), 0);
        const QColor body = picture.pixelColor(size / 8, size * 2 / 5);
        QVERIFY2(body.alpha() == 255 && body.blue() > 150 && body.red() < 120, qPrintable(body.name()));
        QCOMPARE(picture.pixelColor(size / 2, size * 2 / 5), QColor(Qt::white));
    }

    void windowsCarryIt()
    {
        ApplicationIcon::apply();
        QCOMPARE(QGuiApplication::desktopFileName(), ApplicationIcon::applicationId());
        QVERIFY(ApplicationIcon::applicationId().contains(QLatin1Char('.')));
        QWidget window;
        QCOMPARE(window.windowIcon().cacheKey(), QApplication::windowIcon().cacheKey());
        QVERIFY(!window.windowIcon().isNull());
    }
};

QTEST_MAIN(TestApplicationIcon)
#include "tst_ApplicationIcon.moc"
