#include "ConsoleWatch.h"
#include "Controls.h"
#include "E2EMain.h"
#include "Program.h"
#include "ServerFrame.h"
#include "User.h"
#include "WindowRegistry.h"
#include "frmAbout.h"
#include "frmEditor.h"
#include "frmHelp.h"

#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTreeWidget>

namespace {

void clickNode(frmHelp& help, const QString& key)
{
    const QRect place = control<QTreeWidget>(help, "TreeView1")->visualItemRect(help.node(key));
    QTest::mouseClick(control<QTreeWidget>(help, "TreeView1")->viewport(), Qt::LeftButton, {}, place.center());
}

} // namespace

// The whole frame of a window lies on its screen, as the server shows it on a real display.
bool wholeOnScreen(const QWidget& window)
{
    const QRect frame = ServerFrame::of(window).value_or(window.frameGeometry());
    return window.screen()->availableGeometry().contains(frame);
}

// Help and About opened from the main window, read and closed, with the program going on.
class TestHelpJourney : public QObject {
    Q_OBJECT
private slots:
    void readHelpAndAbout();
};

void TestHelpJourney::readHelpAndAbout()
{
    Program program;
    QVERIFY2(program.start(), qPrintable(program.failure()));
    MDIMain& main = program.main();

    QVERIFY(User::choose(control<QAction>(main, "mnuHelpItems", 0)));
    QVERIFY(WindowRegistry::exists<frmHelp>());
    frmHelp& help = WindowRegistry::get<frmHelp>();
    QVERIFY(QTest::qWaitForWindowExposed(&help));
    QTRY_VERIFY(wholeOnScreen(help));
    QCOMPARE(help.windowTitle(), QString("Help"));
    QCOMPARE(control<QLabel>(help, "lblTitle")->text(), QString("Parlora v1.0 Help"));
    QVERIFY(!control<QTreeWidget>(help, "TreeView1")->visualItemRect(help.node("w")).isValid());

    // Opened with the keyboard: the root chosen and opened, then the welcome node below it.
    clickNode(help, "a");
    QTest::keyClick(control<QTreeWidget>(help, "TreeView1"), Qt::Key_Right);
    QVERIFY(control<QTreeWidget>(help, "TreeView1")->visualItemRect(help.node("w")).isValid());
    QTest::keyClick(control<QTreeWidget>(help, "TreeView1"), Qt::Key_Down);
    QCOMPARE(control<QLabel>(help, "lblTitle")->text(), QString("Welcome To Parlora v1.0"));
    QTest::keyClick(control<QTreeWidget>(help, "TreeView1"), Qt::Key_Right);
    QVERIFY(control<QTreeWidget>(help, "TreeView1")->visualItemRect(help.node("t")).isValid());
    QCOMPARE(frmHelp::nodeImage(*help.node("a")), QString("open"));
    clickNode(help, "t");
    QCOMPARE(control<QLabel>(help, "lblTitle")->text(), QString("Text Editor"));
    QVERIFY(control<QLabel>(help, "lblHelp", 0)->isVisible());
    QCOMPARE(control<QLabel>(help, "lblHelp", 0)->text(),
        QString("-Click (Modes>Text Editor Mode) to use the text editor."));
    QVERIFY(!control<QLabel>(help, "lblHelp", 3)->isVisible());
    for (const QLabel* picture : indexedControls<QLabel>(help, "imgTextEd", 3))
        QVERIFY(picture->isVisible());

    QVERIFY(User::choose(control<QAction>(main, "mnuHelpItems", 1)));
    QVERIFY(WindowRegistry::exists<frmAbout>());
    frmAbout& about = WindowRegistry::get<frmAbout>();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    QTRY_VERIFY(wholeOnScreen(about));
    QCOMPARE(about.windowTitle(), QString("Parlora v1.0"));
    QVERIFY(control<QLabel>(about, "Label1")->text().startsWith("Parlora v1.0\r\n"));
    QVERIFY(!control<QLabel>(about, "Label4")->text().isEmpty());
    User::click(control<QPushButton>(about, "cmdOK"));
    QTRY_VERIFY(!WindowRegistry::exists<frmAbout>());

    // Help again shows the same window, still at its topic.
    QVERIFY(User::choose(control<QAction>(main, "mnuHelpItems", 0)));
    QCOMPARE(&WindowRegistry::get<frmHelp>(), &help);
    QCOMPARE(control<QLabel>(help, "lblTitle")->text(), QString("Text Editor"));
    QVERIFY(help.isVisible());
    control<QAction>(help, "mnuExit")->trigger();
    QTRY_VERIFY(!WindowRegistry::exists<frmHelp>());

    // The main window goes on working.
    QVERIFY(main.isVisible());
    const QString text = "Still talking";
    User::type(control<QPlainTextEdit>(program.editor(), "SayText"), text);
    ConsoleWatch watch(program.console());
    QVERIFY(User::clickToolbar(main, "Play"));
    QVERIFY(watch.waitForEnd());
    QVERIFY(watch.spokeExactly(text));
    QVERIFY(program.messages.messages().empty());
}

PARLORA_E2E_MAIN(TestHelpJourney)
#include "tst_HelpJourney.moc"
