#include "ConsoleLog.h"
#include "ConsoleWatch.h"
#include "Controls.h"
#include "Files.h"
#include "GuardedApplication.h"
#include "MDIMain.h"
#include "MessageBoxes.h"
#include "PermissionChecks.h"
#include "Program.h"
#include "Twips.h"
#include "User.h"
#include "frmButtons.h"
#include "frmConsole.h"
#include "frmEditor.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace {

constexpr QFileDevice::Permissions readOnly = QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup
    | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;

void dragFrameTo(MDIMain& main, int widthTwips, int heightTwips)
{
    const QSize frame = main.frameGeometry().size() - main.size();
    main.resize(QSize(Twips::toPixelsX(widthTwips), Twips::toPixelsY(heightTwips)) - frame);
}

QStringList boxesShown(const Program& program)
{
    QStringList shown;
    for (const ScriptedMessages::Message& told : program.messages.messages())
        shown << told.title + ": " + told.text;
    return shown;
}

} // namespace

// The program's folder does not let it write Settings.ini or Buttons.ini. The program starts and
// works as usual; each file's failure is told once, and only Exit ends the program.
class TestReadOnlyFolder : public QObject {
    Q_OBJECT
private slots:
    void startResizeRecordAndExit();
};

void TestReadOnlyFolder::startResizeRecordAndExit()
{
    Program program;
    const QString folder = program.folder.applicationFolder();
    QVERIFY(QFile::setPermissions(folder, readOnly));
    QFile probe(program.path("probe"));
    QVERIFY2(!probe.open(QIODevice::WriteOnly), "the folder takes files: the fault cannot be made here");

    QVERIFY2(program.start(), qPrintable(program.failure()));
    MDIMain& main = program.main();
    QCOMPARE(main.windowTitle(), QString("Parlora v1.0 - Text Editor Mode"));
    QCOMPARE(program.messages.messages().size(), 1u);
    const ScriptedMessages::Message settingsTold = program.messages.messages()[0];
    QVERIFY2(settingsTold.text.contains("settings"), qPrintable(settingsTold.text));
    QCOMPARE(settingsTold.title, QString("Parlora v1.0"));

    // Every resize writes the settings; the failure is not told again.
    for (const auto& [width, height] : { std::pair(11000, 9500), std::pair(10000, 9000), std::pair(12000, 9900) }) {
        dragFrameTo(main, width, height);
        QCOMPARE(main.frameGeometry().size(), QSize(Twips::toPixelsX(width), Twips::toPixelsY(height)));
    }
    const QMdiSubWindow& console = main.consoleFrame();
    QCOMPARE(console.x() + console.width(), main.frameGeometry().width() - Twips::toPixelsX(200));

    QVERIFY(User::choose(control<QAction>(main, "mnuModesItems", 2)));
    frmButtons& page = program.buttons();
    for (const QLabel* label : indexedControls<PhraseLabel>(page, "lblButton", frmButtons::rowCount))
        QCOMPARE(label->text(), QString("Label1"));
    const QString phrase = "Kept for this run only";
    program.messages.answerInput(phrase);
    User::click(control<QPushButton>(page, "cmdrecord", 2));
    QCOMPARE(control<PhraseLabel>(page, "lblButton", 2)->text(), phrase);
    QCOMPARE(program.messages.messages().size(), 2u);
    const ScriptedMessages::Message phraseTold = program.messages.messages()[1];
    QVERIFY2(phraseTold.text.contains("phrase"), qPrintable(phraseTold.text));

    ConsoleWatch watch(program.console());
    User::click(control<QPushButton>(page, "cmdPlayButton", 2));
    QVERIFY(watch.waitForEnd());
    QVERIFY(watch.spokeExactly(phrase));
    QCOMPARE(ConsoleLog::failures(program.console()), QStringList());

    QCOMPARE(program.endRequests(), 0);
    QVERIFY(User::choose(control<QAction>(main, "mnuFileItems", 8)));
    QCOMPARE(program.endRequests(), 1);
    QVERIFY2(program.messages.messages().size() == 2, qPrintable(boxesShown(program).join(" | ")));
    QCOMPARE(QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    program.end();
    QVERIFY(QFile::setPermissions(folder, readOnly | QFileDevice::WriteOwner));
}

int main(int argc, char** argv)
{
    if (!honourFilePermissions())
        qWarning("The file permission checks could not be turned on; the folder will not refuse files.");
    GuardedApplication app(argc, argv, MDIMain::ProductCaption);
    TestReadOnlyFolder test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ReadOnlyFolder.moc"
