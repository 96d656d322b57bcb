#include "ConsoleLog.h"
#include "ConsoleWatch.h"
#include "Controls.h"
#include "E2EMain.h"
#include "EditorDocument.h"
#include "Files.h"
#include "MessageBoxes.h"
#include "Program.h"
#include "User.h"
#include "WaveReadback.h"
#include "frmConsole.h"
#include "frmEditor.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QToolBar>

// The text editor as a user works with it: typing and playing, recording to a wave file, and a
// document opened, changed, stepped back and forward, saved and opened again.
class TestEditorJourneys : public QObject {
    Q_OBJECT
private slots:
    void typeAndPlay();
    void recordTheTextToAWaveFile();
    void openEditUndoRedoSaveAndReopen();
};

void TestEditorJourneys::typeAndPlay()
{
    Program program;
    QVERIFY2(program.start(), qPrintable(program.failure()));
    MDIMain& main = program.main();
    frmConsole& console = program.console();
    QCOMPARE(main.windowTitle(), QString("Parlora v1.0 - Text Editor Mode"));
    ConsoleWatch watch(console);
    QVERIFY(watch.faceAtRest());
    const ConsoleWatch::Buttons idle = watch.buttons();
    QVERIFY(idle.speak && !idle.stop && !idle.pause && !idle.skip);

    const QString text = "Hello brave new world";
    User::type(control<QPlainTextEdit>(program.editor(), "SayText"), text);
    QCOMPARE(control<QPlainTextEdit>(program.editor(), "SayText")->toPlainText(), text);
    QVERIFY(control<QAction>(main, "mnuFileItems", 2)->isEnabled());
    User::click(control<QCheckBox>(console, "chkShowEvents"));
    QVERIFY(control<QCheckBox>(console, "chkShowEvents")->isChecked());

    QVERIFY(User::clickToolbar(main, "Play"));
    QVERIFY(watch.waitForEnd());
    QCOMPARE(watch.started, 1);
    QVERIFY(watch.streamsWellFormed());
    QCOMPARE(watch.wordsOf(text), QStringList({ "Hello", "brave", "new", "world" }));
    QVERIFY(watch.highlightedEachWord());
    QVERIFY(watch.facesAway > 0);
    QVERIFY(watch.faceAtRest());
    QVERIFY(watch.wholeTextSelected());

    QCOMPARE(watch.atStart.size(), 1u);
    const ConsoleWatch::Buttons speaking = watch.atStart[0];
    QVERIFY(speaking.speak && speaking.stop && speaking.pause && speaking.skip);
    QCOMPARE(speaking.pauseCaption, QString("Pause"));
    const ConsoleWatch::Buttons after = watch.buttons();
    QVERIFY(after.speak && !after.stop && !after.pause && !after.skip);
    QCOMPARE(after.pauseCaption, QString("Pause"));

    const QStringList lines = ConsoleLog::lines(console);
    QCOMPARE(lines.value(0), QString("Speak"));
    QVERIFY2(lines.value(1).startsWith("  Event: StartStream, StreamNum=1, StreamPos="), qPrintable(lines.value(1)));
    QVERIFY2(
        lines.constLast().startsWith("  Event: EndStream, StreamNum=1, StreamPos="), qPrintable(lines.constLast()));
    QStringList wordLines = lines.filter(QRegularExpression("^  Event: Word, "));
    QCOMPARE(wordLines.size(), 4);
    QVERIFY2(wordLines[1].endsWith(", Pos=6, Length=5"), qPrintable(wordLines[1]));
    QCOMPARE(ConsoleLog::failures(console), QStringList());

    // Speaking leaves the document as it was.
    QCOMPARE(control<QPlainTextEdit>(program.editor(), "SayText")->toPlainText(), text);
    QVERIFY(program.messages.messages().empty());
    QVERIFY(program.dialogs.unexpected().isEmpty());
}

void TestEditorJourneys::recordTheTextToAWaveFile()
{
    Program program;
    QVERIFY2(program.start(), qPrintable(program.failure()));
    MDIMain& main = program.main();
    frmConsole& console = program.console();
    const QString text = "Recording this sentence into a wave file";
    User::type(control<QPlainTextEdit>(program.editor(), "SayText"), text);
    control<QComboBox>(console, "FormatCB")
        ->setCurrentIndex(control<QComboBox>(console, "FormatCB")->findText("SAFT16kHz16BitMono"));
    QCOMPARE(control<QComboBox>(console, "FormatCB")->currentText(), QString("SAFT16kHz16BitMono"));

    ConsoleWatch watch(console);
    const QString wave = program.path("spoken.wav");
    program.dialogs.answerFile(wave);
    QVERIFY(User::choose(control<QAction>(main, "mnuFileItems", 4)));

    // The menu command returns with the file complete and the user told so.
    QCOMPARE(program.dialogs.fileRequests().size(), 1u);
    const FileDialogRequest& asked = program.dialogs.fileRequests()[0];
    QCOMPARE(asked.kind, FileDialogRequest::Kind::Save);
    QCOMPARE(asked.title, QString("Save to a Wave File"));
    QCOMPARE(asked.filterIndex, 2);
    QCOMPARE(program.messages.messages().size(), 1u);
    QCOMPARE(program.messages.messages()[0].text, QString("WAV file successfully written!"));
    QCOMPARE(program.messages.messages()[0].title, QString("File Saved"));
    QCOMPARE(program.messages.messages()[0].style, int(vbOKOnly));
    QCOMPARE(watch.ended, 1);
    QVERIFY(watch.spokeExactly(text));
    QVERIFY(watch.faceAtRest());
    QVERIFY(!watch.buttons().stop);

    const WaveReadback file = WaveReadback::read(wave);
    QVERIFY2(file.ok, qPrintable(file.error));
    QVERIFY(file.isWave);
    QCOMPARE(file.sampleRate, 16000);
    QCOMPARE(file.channels, 1);
    QCOMPARE(file.bits, 16);
    QVERIFY2(file.seconds() > 1.0 && file.seconds() < 10.0, qPrintable(QString::number(file.seconds())));
    QVERIFY(file.peak > 1000);
    const QStringList lines = ConsoleLog::lines(console);
    QVERIFY(lines.contains("Save to .wav file"));
    QCOMPARE(ConsoleLog::failures(console), QStringList());

    // The loudspeakers speak again afterwards; the file stays as it was written.
    const qint64 written = QFileInfo(wave).size();
    QVERIFY(User::clickToolbar(main, "Play"));
    QVERIFY(watch.waitForEnd(2));
    QCOMPARE(watch.started, 2);
    QVERIFY(watch.streamsWellFormed());
    QCOMPARE(ConsoleLog::failures(console), QStringList());
    QCOMPARE(QFileInfo(wave).size(), written);
    QCOMPARE(program.messages.messages().size(), 1u);
}

void TestEditorJourneys::openEditUndoRedoSaveAndReopen()
{
    Program program;
    QVERIFY2(program.start(), qPrintable(program.failure()));
    MDIMain& main = program.main();
    frmEditor& editor = program.editor();
    const QString letter = program.path("letter.txt");
    QVERIFY(writeFile(letter, "Dear Sam,\r\nsee you soon\r\n"));

    program.dialogs.answerFile(letter);
    QVERIFY(User::choose(control<QAction>(main, "mnuFileItems", 1)));
    // Each line end of the file is one line break in the box.
    const QString opened = control<QPlainTextEdit>(editor, "SayText")->toPlainText();
    QCOMPARE(opened, QString("Dear Sam,\nsee you soon\n"));
    QCOMPARE(editorDocument().EditorFileName, letter);
    QVERIFY(!editorDocument().TextModified);

    control<QPlainTextEdit>(editor, "SayText")->setFocus();
    QTest::keyClick(control<QPlainTextEdit>(editor, "SayText"), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(control<QPlainTextEdit>(editor, "SayText"), "abc");
    QCOMPARE(control<QPlainTextEdit>(editor, "SayText")->toPlainText(), opened + "abc");
    QVERIFY(editorDocument().TextModified);

    // The step back shows the text from before the last two keys, the step forward the next one.
    QVERIFY(User::choose(control<QAction>(main, "mnuEditItems", 0)));
    QCOMPARE(control<QPlainTextEdit>(editor, "SayText")->toPlainText(), opened + "a");
    QVERIFY(User::clickToolbar(main, "Redo"));
    QCOMPARE(control<QPlainTextEdit>(editor, "SayText")->toPlainText(), opened + "ab");
    QVERIFY(User::clickToolbar(main, "Redo"));
    QCOMPARE(control<QPlainTextEdit>(editor, "SayText")->toPlainText(), opened + "ab");

    control<QPlainTextEdit>(editor, "SayText")->setFocus();
    QTest::keyClick(control<QPlainTextEdit>(editor, "SayText"), Qt::Key_S, Qt::ControlModifier);
    QVERIFY(!editorDocument().TextModified);
    QCOMPARE(program.dialogs.fileRequests().size(), 1u);
    const QByteArray saved = fileBytes(letter);
    QCOMPARE(saved, QByteArray("Dear Sam,\r\nsee you soon\r\nab\r\n"));

    program.dialogs.answerFile(letter);
    QVERIFY(User::choose(control<QAction>(main, "mnuFileItems", 1)));
    QCOMPARE(control<QPlainTextEdit>(editor, "SayText")->toPlainText(), QString("Dear Sam,\nsee you soon\nab\n"));
    QVERIFY(!editorDocument().TextModified);
    QCOMPARE(fileBytes(letter), saved);
    QVERIFY(program.messages.messages().empty());
    QVERIFY(program.dialogs.unexpected().isEmpty());
}

PARLORA_E2E_MAIN(TestEditorJourneys)
#include "tst_EditorJourneys.moc"
