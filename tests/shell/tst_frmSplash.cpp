#include "Controls.h"
#include "MDIMain.h"
#include "ShellTest.h"
#include "frmConsole.h"
#include "frmSplash.h"

#include <QGroupBox>
#include <QLabel>
#include <QScreen>
#include <QTest>
#include <QTimer>

class TestFrmSplash : public QObject {
    Q_OBJECT
private slots:
    // The main window reads and writes Settings.ini, so the program gets a folder of its own.
    void init() { ShellTest::freshProgram(); }
    void cleanup() { WindowRegistry::reset(); }

    void look();
    void captionKeepsClearOfThePicture();
    void timerOpensMainWindowAndSplashGoes();
    void mainWindowClosesSplash();
};

void TestFrmSplash::look()
{
    frmSplash& splash = WindowRegistry::get<frmSplash>();
    splash.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));

    QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(splash.size(), QSize(Twips::toPixelsX(8340), Twips::toPixelsY(3615)));
    const QPoint offset = splash.frameGeometry().center() - splash.screen()->availableGeometry().center();
    QVERIFY2(offset.manhattanLength() <= 2, "centred on the screen");

    QCOMPARE(control<QLabel>(splash, "Label1")->text(), QString("Parlora v1.0"));
    const QFont font = control<QLabel>(splash, "Label1")->font();
    QVERIFY(font.bold() && font.italic());
    QCOMPARE(font.pointSizeF(), 9.75);
    QVERIFY(control<QLabel>(splash, "Label2")->text().startsWith("www."));
    QVERIFY(!control<QLabel>(splash, "Label2")->text().contains(' '));
    QCOMPARE(control<QLabel>(splash, "Image1")->pixmap().size(), QSize(248, 179));
    QVERIFY(control<QGroupBox>(splash, "Frame1")->isAncestorOf(control<QLabel>(splash, "Label1"))
        && control<QGroupBox>(splash, "Frame1")->isAncestorOf(control<QLabel>(splash, "Image1")));
    QVERIFY(control<QTimer>(splash, "Timer1")->isActive());
    QCOMPARE(control<QTimer>(splash, "Timer1")->interval(), 3000);
}

// The caption's text starts a margin after the picture's right edge, and is still seen whole.
void TestFrmSplash::captionKeepsClearOfThePicture()
{
    frmSplash& splash = WindowRegistry::get<frmSplash>();
    splash.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));
    QCOMPARE(control<QLabel>(splash, "Label1")->geometry(), Twips::toPixels(3840, 1680, 3735, 375));
    const QRect text
        = control<QLabel>(splash, "Label1")->contentsRect().translated(control<QLabel>(splash, "Label1")->pos());
    const int pictureRight = control<QLabel>(splash, "Image1")->geometry().right();
    QVERIFY2(text.left() >= pictureRight + 6,
        qPrintable(QStringLiteral("text at %1, picture to %2").arg(text.left()).arg(pictureRight)));
    QVERIFY(
        control<QLabel>(splash, "Label1")->fontMetrics().horizontalAdvance(control<QLabel>(splash, "Label1")->text())
        <= text.width());

    // As painted: between the picture's edge and the margin's end the caption puts no ink.
    const QImage picture = control<QLabel>(splash, "Label1")->grab().toImage();
    const QColor background = picture.pixelColor(0, picture.height() / 2);
    bool inked = false;
    bool inkedAfter = false;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const bool ink = picture.pixelColor(x, y) != background;
            if (x < 6)
                inked = inked || ink;
            else
                inkedAfter = inkedAfter || ink;
        }
    }
    QVERIFY(!inked);
    QVERIFY(inkedAfter);
}

// The real start-up: the splash alone for three seconds, then the main window, and the splash
// destroyed by the main window's load.
void TestFrmSplash::timerOpensMainWindowAndSplashGoes()
{
    frmSplash& splash = WindowRegistry::get<frmSplash>();
    splash.show();
    QTest::qWait(2500);
    QVERIFY(!WindowRegistry::exists<MDIMain>());
    QVERIFY(splash.isVisible());

    QTRY_VERIFY_WITH_TIMEOUT(WindowRegistry::exists<MDIMain>(), 2000);
    QVERIFY(!WindowRegistry::exists<frmSplash>());
    MDIMain& main = WindowRegistry::get<MDIMain>();
    QVERIFY(main.isVisible());
    QVERIFY(WindowRegistry::exists<frmConsole>());
    QVERIFY(main.consoleFrame().isVisible());
    QCOMPARE(main.windowTitle(), QString("Parlora v1.0 - Text Editor Mode"));
}

void TestFrmSplash::mainWindowClosesSplash()
{
    frmSplash& splash = WindowRegistry::get<frmSplash>();
    splash.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));
    splash.Timer1_Timer();
    QVERIFY(!WindowRegistry::exists<frmSplash>());
    QVERIFY(WindowRegistry::get<MDIMain>().isVisible());
}

QTEST_MAIN(TestFrmSplash)
#include "tst_frmSplash.moc"
