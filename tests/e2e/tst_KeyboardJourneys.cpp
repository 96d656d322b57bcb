#include "ConsoleLog.h"
#include "ConsoleWatch.h"
#include "Controls.h"
#include "E2EMain.h"
#include "Program.h"
#include "SpeechMenu.h"
#include "User.h"
#include "WaveReadback.h"
#include "frmButtons.h"
#include "frmConsole.h"
#include "frmEditor.h"
#include "frmRandomText.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace {

// Long enough that it is still being spoken when the test stops it.
QString longProse()
{
    QString text;
    while (text.size() < 6000)
        text += QStringLiteral("The quick brown fox jumps over the lazy dog while the river runs on. ");
    return text;
}

// A key pressed where the focus is, as a person at the keyboard presses it.
void press(Qt::Key key)
{
    QWidget* focus = QApplication::focusWidget();
    QVERIFY(focus);
    QTest::keyClick(focus, key);
}

} // namespace

// Speech started, paused, resumed and stopped from the keyboard alone, in every mode: the toolbar
// is shown only in the editor mode and the console's own buttons lie outside its strip.
class TestKeyboardJourneys : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void editorSpeaksPausesAndStops();
    void quickTextSpeaksTheFocusedBoxAndStops();
    void quickTextRecordsTheFocusedBox();
    void programmedPhraseSpeaksAndStops();

private:
    // Speech of a long text that F5 started: F6 pauses and resumes, Escape stops it.
    void pauseResumeAndStop(ConsoleWatch& watch);

    std::unique_ptr<Program> m_program;
};

void TestKeyboardJourneys::init()
{
    m_program = std::make_unique<Program>();
    QVERIFY2(m_program->start(), qPrintable(m_program->failure()));
    m_program->main().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&m_program->main()));
}

void TestKeyboardJourneys::cleanup()
{
    QCOMPARE(ConsoleLog::failures(m_program->console()), QStringList());
    m_program.reset();
}

void TestKeyboardJourneys::pauseResumeAndStop(ConsoleWatch& watch)
{
    frmConsole& console = m_program->console();
    QVERIFY(watch.waitForWords(2));
    press(Qt::Key_F6);
    QVERIFY(console.IsPaused);
    const std::size_t wordsWhenPaused = watch.words.size();
    QTest::qWait(400);
    QVERIFY2(watch.words.size() <= wordsWhenPaused + 1, "words went on while paused");
    press(Qt::Key_F6);
    QVERIFY(!console.IsPaused);
    QVERIFY(watch.waitForWords(int(wordsWhenPaused) + 2));
    press(Qt::Key_Escape);
    QVERIFY(watch.waitForEnd(1, 5000));
    QVERIFY(!console.IsSpeaking);
}

void TestKeyboardJourneys::editorSpeaksPausesAndStops()
{
    frmEditor& editor = m_program->editor();
    const QString text = longProse();
    control<QPlainTextEdit>(editor, "SayText")->setFocus();
    control<QPlainTextEdit>(editor, "SayText")->setPlainText(text);
    ConsoleWatch watch(m_program->console());
    press(Qt::Key_F5);
    pauseResumeAndStop(watch);
    QCOMPARE(watch.wordsOf(text).mid(0, 3), QStringList({ "The", "quick", "brown" }));
    QVERIFY(watch.words.size() < 200);
}

void TestKeyboardJourneys::quickTextSpeaksTheFocusedBoxAndStops()
{
    MDIMain& main = m_program->main();
    QVERIFY(User::choose(control<QAction>(main, "mnuModesItems", 1)));
    frmRandomText& page = m_program->quickText();
    control<QPlainTextEdit>(page, "Text1", 0)->setPlainText(QStringLiteral("Not this one"));
    const QString text = longProse();
    User::type(control<QPlainTextEdit>(page, "Text1", 2), QStringLiteral("Third box. ") + text.left(2000));
    QCOMPARE(QApplication::focusWidget(), control<QPlainTextEdit>(page, "Text1", 2));
    ConsoleWatch watch(m_program->console());
    press(Qt::Key_F5);
    QVERIFY(watch.waitForWords(2));
    QCOMPARE(watch.wordsOf(control<QPlainTextEdit>(page, "Text1", 2)->toPlainText()).mid(0, 2),
        QStringList({ "Third", "box" }));
    pauseResumeAndStop(watch);
    // The menu says so too, and Stop stays at hand from the menu bar.
    QVERIFY(control<QAction>(main, "mnuSpeechItems", SpeechMenu::Stop)->isEnabled());
    QCOMPARE(control<QAction>(main, "mnuSpeechItems", SpeechMenu::Play)->shortcut(), QKeySequence(Qt::Key_F5));
}

void TestKeyboardJourneys::quickTextRecordsTheFocusedBox()
{
    MDIMain& main = m_program->main();
    QVERIFY(User::choose(control<QAction>(main, "mnuModesItems", 1)));
    frmRandomText& page = m_program->quickText();
    User::type(control<QPlainTextEdit>(page, "Text1", 1), QStringLiteral("Recorded from the keyboard."));
    const QString wave = m_program->path("keys.wav");
    m_program->dialogs.answerFile(wave);
    press(Qt::Key_F9);
    QCOMPARE(m_program->messages.messages().size(), 1u);
    QCOMPARE(m_program->messages.messages().front().title, QString("File Saved"));
    const WaveReadback read = WaveReadback::read(wave);
    QVERIFY2(read.ok, qPrintable(read.error));
    QVERIFY(read.seconds() > 1.0);
    QVERIFY(read.peak > 1000);
}

void TestKeyboardJourneys::programmedPhraseSpeaksAndStops()
{
    MDIMain& main = m_program->main();
    QVERIFY(User::choose(control<QAction>(main, "mnuModesItems", 2)));
    frmButtons& page = m_program->buttons();
    control<PhraseLabel>(page, "lblButton", 3)->setText(QStringLiteral("Fourth phrase. ") + longProse().left(1500));
    control<QPushButton>(page, "cmdPlayButton", 3)->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), control<QPushButton>(page, "cmdPlayButton", 3));
    ConsoleWatch watch(m_program->console());
    press(Qt::Key_F5);
    QVERIFY(watch.waitForWords(2));
    QCOMPARE(watch.wordsOf(control<PhraseLabel>(page, "lblButton", 3)->text()).mid(0, 2),
        QStringList({ "Fourth", "phrase" }));
    press(Qt::Key_F7);
    QVERIFY(watch.waitForEnd(1, 5000));
}

PARLORA_E2E_MAIN(TestKeyboardJourneys)
#include "tst_KeyboardJourneys.moc"
