#include "ConsoleLog.h"
#include "ConsoleWatch.h"
#include "Controls.h"
#include "E2EMain.h"
#include "Files.h"
#include "MessageBoxes.h"
#include "Program.h"
#include "User.h"
#include "WaveReadback.h"
#include "frmButtons.h"
#include "frmConsole.h"
#include "frmEditor.h"
#include "frmRandomText.h"

#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <memory>

namespace {

const QStringList designPhrases(9, QStringLiteral("Label1"));

} // namespace

// The Quick Text and Programmed Buttons pages as a user works with them: both speak and record
// through the console, and a programmed phrase comes back after the program is started again.
class TestModeJourneys : public QObject {
    Q_OBJECT
private slots:
    void quickTextPlaysAndRecordsTwoBoxes();
    void programmedPhraseSurvivesARestart();
};

void TestModeJourneys::quickTextPlaysAndRecordsTwoBoxes()
{
    Program program;
    QVERIFY2(program.start(), qPrintable(program.failure()));
    MDIMain& main = program.main();
    frmConsole& console = program.console();

    QVERIFY(User::choose(control<QAction>(main, "mnuModesItems", 1)));
    QCOMPARE(main.windowTitle(), QString("Parlora v1.0 - Random Text Mode"));
    frmRandomText& page = program.quickText();
    QVERIFY(page.isVisible());
    QVERIFY(!program.editor().isVisible());
    QVERIFY(!control<QToolBar>(main, "ToolbarA")->isVisible());
    QVERIFY(control<QAction>(main, "mnuModesItems", 1)->isChecked()
        && !control<QAction>(main, "mnuModesItems", 0)->isChecked());
    for (const int item : { 0, 1, 2, 3, 4, 6 })
        QVERIFY(!control<QAction>(main, "mnuFileItems", item)->isEnabled());
    QVERIFY(control<QAction>(main, "mnuFileItems", 8)->isEnabled());

    const QString first = "Good morning";
    const QString second = "The second box holds a longer line than the first one";
    User::type(control<QPlainTextEdit>(page, "Text1", 0), first);
    User::type(control<QPlainTextEdit>(page, "Text1", 1), second);

    for (const auto& [row, text] : { std::pair(0, first), std::pair(1, second) }) {
        ConsoleWatch watch(console);
        User::click(control<QPushButton>(page, "cmdPlay", row));
        QVERIFY(watch.waitForEnd());
        QVERIFY2(watch.spokeExactly(text), qPrintable(watch.wordsOf(text).join('|')));
        QVERIFY(watch.faceAtRest());
        QVERIFY(!watch.buttons().stop);
    }

    const QString firstWave = program.path("first.wav");
    const QString secondWave = program.path("second.wav");
    program.dialogs.answerFile(firstWave);
    User::click(control<QPushButton>(page, "cmdRecord", 0));
    program.dialogs.answerFile(secondWave);
    User::click(control<QPushButton>(page, "cmdRecord", 1));

    QCOMPARE(program.dialogs.fileRequests().size(), 2u);
    // The second save dialog starts with the name chosen in the first.
    QCOMPARE(program.dialogs.fileRequests()[1].fileName, firstWave);
    QCOMPARE(program.messages.messages().size(), 2u);
    for (const ScriptedMessages::Message& told : program.messages.messages()) {
        QCOMPARE(told.text, QString("WAV file successfully written!"));
        QCOMPARE(told.title, QString("File Saved"));
    }
    const WaveReadback one = WaveReadback::read(firstWave);
    const WaveReadback two = WaveReadback::read(secondWave);
    for (const WaveReadback* wave : { &one, &two }) {
        QVERIFY2(wave->ok, qPrintable(wave->error));
        QVERIFY(wave->isWave);
        QCOMPARE(wave->sampleRate, 22050);
        QCOMPARE(wave->channels, 1);
        QCOMPARE(wave->bits, 16);
        QVERIFY(wave->peak > 1000);
    }
    QVERIFY2(
        two.seconds() > one.seconds() + 1.0, qPrintable(QString("%1 s, %2 s").arg(one.seconds()).arg(two.seconds())));

    QCOMPARE(control<QPlainTextEdit>(page, "Text1", 0)->toPlainText(), first);
    QCOMPARE(control<QPlainTextEdit>(page, "Text1", 1)->toPlainText(), second);
    QCOMPARE(ConsoleLog::failures(console), QStringList());
    QVERIFY(program.dialogs.unexpected().isEmpty());
}

void TestModeJourneys::programmedPhraseSurvivesARestart()
{
    Program program;
    QVERIFY2(program.start(), qPrintable(program.failure()));
    const QString phrasesPath = program.path("Buttons.ini");
    // The first start creates the phrases file with the design captions.
    QCOMPARE(fileBytes(phrasesPath), Files::phrasesFile(designPhrases));

    QVERIFY(User::choose(control<QAction>(program.main(), "mnuModesItems", 2)));
    QCOMPARE(program.main().windowTitle(), QString("Parlora v1.0 - Programmed Buttons Mode"));
    frmButtons& page = program.buttons();
    QVERIFY(page.isVisible());
    const QString phrase = "Call me at noon, please";
    program.messages.answerInput(phrase);
    User::click(control<QPushButton>(page, "cmdrecord", 4));
    QCOMPARE(program.messages.inputs().size(), 1u);
    QCOMPARE(program.messages.inputs()[0].prompt, QString("Please Enter the String"));
    QCOMPARE(program.messages.inputs()[0].title, QString("Sayvanto"));
    QCOMPARE(control<PhraseLabel>(page, "lblButton", 4)->text(), phrase);
    QStringList expected = designPhrases;
    expected[4] = phrase;
    QCOMPARE(fileBytes(phrasesPath), Files::phrasesFile(expected));

    QVERIFY2(program.restart(), qPrintable(program.failure()));
    QCOMPARE(program.main().windowTitle(), QString("Parlora v1.0 - Text Editor Mode"));
    QVERIFY(User::choose(control<QAction>(program.main(), "mnuModesItems", 2)));
    frmButtons& again = program.buttons();
    QVERIFY(again.isVisible());
    for (int row = 0; row < frmButtons::rowCount; ++row)
        QCOMPARE(control<PhraseLabel>(again, "lblButton", row)->text(), expected[row]);

    ConsoleWatch watch(program.console());
    User::click(control<QPushButton>(again, "cmdPlayButton", 4));
    QVERIFY(watch.waitForEnd());
    QVERIFY2(watch.spokeExactly(phrase), qPrintable(watch.wordsOf(phrase).join('|')));
    QCOMPARE(fileBytes(phrasesPath), Files::phrasesFile(expected));
    QVERIFY(program.messages.messages().empty());
    QCOMPARE(ConsoleLog::failures(program.console()), QStringList());
}

PARLORA_E2E_MAIN(TestModeJourneys)
#include "tst_ModeJourneys.moc"
