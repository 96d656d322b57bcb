#include "OnScreenKeeper.h"
#include "ServerFrame.h"

#include <QScreen>
#include <QTest>
#include <QWidget>
#include <QWindow>

// Windows the program opens lie wholly on the screen, however they were placed.
class TestOnScreenKeeper : public QObject {
    Q_OBJECT
private slots:
    void fitted_data();
    void fitted();
    void windowOpeningOverTheEdgeComesOnScreen();
    void windowWithAPlaceOfItsOwnKeepsIt();

private:
    static QRect frameOf(const QWidget& window);
};

QRect TestOnScreenKeeper::frameOf(const QWidget& window)
{
    if (const auto server = ServerFrame::of(window))
        return *server;
    return window.frameGeometry();
}

void TestOnScreenKeeper::fitted_data()
{
    QTest::addColumn<QRect>("frame");
    QTest::addColumn<QRect>("expected");
    // The screen's available area is 1600 by 1000 with a 30 pixel panel at the top.
    QTest::newRow("inside") << QRect(100, 100, 740, 320) << QRect(100, 100, 740, 320);
    QTest::newRow("lower part cut off") << QRect(860, 716, 740, 320) << QRect(860, 680, 740, 320);
    QTest::newRow("over the right edge") << QRect(1500, 200, 300, 200) << QRect(1300, 200, 300, 200);
    QTest::newRow("under the panel") << QRect(-40, 0, 300, 200) << QRect(0, 30, 300, 200);
    QTest::newRow("taller than the screen") << QRect(10, 50, 400, 1400) << QRect(10, 30, 400, 970);
    QTest::newRow("larger both ways") << QRect(-5, -5, 2000, 2000) << QRect(0, 30, 1600, 970);
}

void TestOnScreenKeeper::fitted()
{
    QFETCH(QRect, frame);
    QFETCH(QRect, expected);
    QCOMPARE(OnScreenKeeper::fitted(frame, QRect(0, 30, 1600, 970)), expected);
}

void TestOnScreenKeeper::windowOpeningOverTheEdgeComesOnScreen()
{
    QObject owner;
    new OnScreenKeeper(&owner);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget window;
    window.resize(area.width() / 2, area.height() / 3);
    window.move(area.right() - window.width() / 2, area.bottom() - window.height() / 3);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY2(area.contains(frameOf(window)),
        qPrintable(QStringLiteral("frame %1,%2 %3x%4")
                       .arg(frameOf(window).x())
                       .arg(frameOf(window).y())
                       .arg(frameOf(window).width())
                       .arg(frameOf(window).height())));
    // Its size is its own while it fits.
    QCOMPARE(window.size(), QSize(area.width() / 2, area.height() / 3));
}

void TestOnScreenKeeper::windowWithAPlaceOfItsOwnKeepsIt()
{
    QObject owner;
    new OnScreenKeeper(&owner);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget window;
    OnScreenKeeper::setKeepsOwnPlace(window);
    window.resize(300, 200);
    window.move(area.right() - 100, area.top() + 50);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::qWait(200);
    QVERIFY(!area.contains(frameOf(window)));
}

QTEST_MAIN(TestOnScreenKeeper)
#include "tst_OnScreenKeeper.moc"
