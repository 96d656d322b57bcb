#include "FramePlacement.h"
#include "ServerFrame.h"

#include <QScreen>
#include <QTest>
#include <QWidget>
#include <QWindow>

// A window placed by its outer frame before it is shown stands there once its manager has
// framed it, as the server sees it, and keeps standing there when placed again.
class TestFramePlacement : public QObject {
    Q_OBJECT
private slots:
    void framePlacedBeforeShowing();
    void framePlacedWhenShown();
    void marginsAreTheManagers();

private:
    // The frame as the server has it once the manager is done, else as Qt has it.
    static QRect shownFrame(const QWidget& window, const FramePlacement& placement);
};

QRect TestFramePlacement::shownFrame(const QWidget& window, const FramePlacement& placement)
{
    if (const auto server = ServerFrame::of(window))
        return *server;
    return placement.frame();
}

void TestFramePlacement::framePlacedBeforeShowing()
{
    QWidget window;
    FramePlacement placement(window);
    const QRect wanted(
        QGuiApplication::primaryScreen()->availableGeometry().topLeft() + QPoint(40, 30), QSize(420, 310));
    placement.setFrameSize(wanted.size());
    placement.moveFrame(wanted.topLeft());
    QCOMPARE(placement.frame(), wanted);
    QVERIFY(!placement.isSettled());

    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY(placement.isSettled());
    QCOMPARE(placement.frame(), wanted);
    // The manager applies what it was asked in its own time.
    QTRY_COMPARE(shownFrame(window, placement), wanted);
    QCOMPARE(window.size(), wanted.size().shrunkBy(placement.margins()));
}

void TestFramePlacement::framePlacedWhenShown()
{
    QWidget window;
    FramePlacement placement(window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY(placement.isSettled());

    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect wanted(area.topLeft() + QPoint(70, 50), QSize(380, 260));
    placement.setFrameSize(wanted.size());
    placement.moveFrame(wanted.topLeft());
    QTRY_COMPARE(shownFrame(window, placement), wanted);
    QTRY_COMPARE(placement.frame(), wanted);

    // A second placement moves the frame again by exactly the difference: nothing creeps.
    placement.moveFrame(area.topLeft());
    QTRY_COMPARE(shownFrame(window, placement), QRect(area.topLeft(), wanted.size()));
}

void TestFramePlacement::marginsAreTheManagers()
{
    QWidget window;
    FramePlacement placement(window);
    QCOMPARE(placement.margins(), QMargins());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY(placement.isSettled());
    if (!ServerFrame::onX11())
        return;
    const QMargins announced = ServerFrame::extents(window.winId());
    QCOMPARE(placement.margins(), announced);
    if (ServerFrame::windowManager() == QLatin1String("none"))
        QCOMPARE(announced, QMargins());
    else
        QVERIFY2(announced.top() > 0, "a manager that draws title bars announces them");
}

QTEST_MAIN(TestFramePlacement)
#include "tst_FramePlacement.moc"
