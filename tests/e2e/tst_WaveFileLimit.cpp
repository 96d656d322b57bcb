#include "ChildRun.h"
#include "ConsoleLog.h"
#include "ConsoleWatch.h"
#include "Controls.h"
#include "GuardedApplication.h"
#include "MDIMain.h"
#include "Program.h"
#include "User.h"
#include "frmConsole.h"
#include "frmEditor.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>
#include <sys/resource.h>

namespace {

constexpr char childSwitch[] = "--record-beyond-the-file-size-limit";
constexpr qint64 sizeLimit = 256 * 1024; // about six seconds of the default format

// Much more speech than the limit lets into the file.
QString longSpeech()
{
    QString text;
    for (int i = 0; i < 12; ++i)
        text += QStringLiteral("This sentence goes into a wave file that is not allowed to grow any further. ");
    return text;
}

bool limitFileSize(qint64 bytes)
{
    const rlimit limit { static_cast<rlim_t>(bytes), static_cast<rlim_t>(bytes) };
    return setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

// The child: the program as the user starts it, with the file-size limit of its process set
// before it records the editor's text.
int recordBeyondTheLimit(int argc, char** argv)
{
    GuardedApplication app(argc, argv, MDIMain::ProductCaption);
    const QDir folder(QString::fromLocal8Bit(argv[2]));
    const QString wave = folder.filePath(QStringLiteral("limited.wav"));
    Program program(folder.path());
    if (!program.start()) {
        ChildRun::report("failure", program.failure());
        return 2;
    }
    MDIMain& main = program.main();
    frmConsole& console = program.console();
    QGuiApplication::clipboard()->setText(longSpeech());
    control<QPlainTextEdit>(program.editor(), "SayText")->setFocus();
    User::choose(control<QAction>(main, "mnuEditItems", 4));
    ChildRun::report(
        "editor.length", QString::number(control<QPlainTextEdit>(program.editor(), "SayText")->toPlainText().size()));

    if (!limitFileSize(sizeLimit)) {
        ChildRun::report("failure", QStringLiteral("setrlimit refused"));
        return 2;
    }
    ChildRun::report("step", QStringLiteral("recording"));
    program.dialogs.answerFile(wave);
    User::choose(control<QAction>(main, "mnuFileItems", 4));
    ChildRun::report("step", QStringLiteral("recorded"));
    for (const ScriptedMessages::Message& told : program.messages.messages())
        ChildRun::report("message", told.title + QStringLiteral(": ") + told.text);
    for (const QString& line : ConsoleLog::lines(console))
        ChildRun::report("log", line);

    // The loudspeakers, after the failed file: the console speaks its own short text.
    ConsoleWatch watch(console);
    const int failuresBefore = static_cast<int>(ConsoleLog::failures(console).size());
    User::click(control<QPushButton>(console, "SpeakBtn"));
    ChildRun::report("played.ended", watch.waitForEnd(1, 120000) ? QStringLiteral("1") : QStringLiteral("0"));
    ChildRun::report("played.words", QString::number(watch.words.size()));
    ChildRun::report(
        "played.failures", QString::number(static_cast<int>(ConsoleLog::failures(console).size()) - failuresBefore));
    program.end();
    return 0;
}

} // namespace

// A wave file that cannot be completed: the process may write no more than the file-size limit.
// The failure is told in the log, no success is claimed, and the loudspeakers still speak.
class TestWaveFileLimit : public QObject {
    Q_OBJECT
private slots:
    void recordingBeyondTheFileSizeLimit();
};

void TestWaveFileLimit::recordingBeyondTheFileSizeLimit()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString wave = folder.filePath("limited.wav");
    const ChildRun::Result child = ChildRun::run({ childSwitch, folder.path() }, folder.path(), 120000);

    QVERIFY2(child.value("failure").isEmpty(), qPrintable(child.value("failure")));
    QVERIFY(child.value("editor.length").toInt() > 500);
    QCOMPARE(child.values("step").value(0), QString("recording"));
    QVERIFY2(child.finished && child.exitStatus == QProcess::NormalExit && child.exitCode == 0,
        qPrintable("the program " + child.ending() + " after: " + child.values("step").join(", ")));

    const QStringList failures = child.values("log").filter("Save to Wave file Error: ");
    QVERIFY2(failures.size() == 1,
        qPrintable("log: " + child.values("log").join(" | ") + "; boxes: " + child.values("message").join(" | ")));
    QVERIFY2(failures[0].size() > QString("Save to Wave file Error: ").size(), "the failure says what went wrong");
    qInfo("%s", qPrintable(failures[0]));
    for (const QString& told : child.values("message"))
        QVERIFY2(!told.startsWith("File Saved"), qPrintable(told));

    QCOMPARE(child.value("played.ended"), QString("1"));
    QVERIFY(child.value("played.words").toInt() >= 5);
    QCOMPARE(child.value("played.failures"), QString("0"));
    QVERIFY(QFileInfo(wave).size() <= sizeLimit);
    // The failed recording created no file, not even its temporary one beside the name.
    QVERIFY(!QFileInfo::exists(wave));
    QCOMPARE(QDir(folder.path()).entryList({ "*limited.wav*" }, QDir::Files | QDir::Hidden), QStringList());
}

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], childSwitch) == 0)
        return recordBeyondTheLimit(argc, argv);
    GuardedApplication app(argc, argv, MDIMain::ProductCaption);
    TestWaveFileLimit test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_WaveFileLimit.moc"
