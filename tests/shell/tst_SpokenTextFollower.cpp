#include "Controls.h"
#include "EditorDocument.h"
#include "HighlightColors.h"
#include "MDIMain.h"
#include "ShellTest.h"
#include "engine/api/SpVoice.h"
#include "frmConsole.h"
#include "frmEditor.h"
#include "frmRandomText.h"

#include <QAction>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>
#include <optional>

using namespace ShellTest;

namespace {

// The word a box marks: its extra selection with a text colour of its own.
QString markedWord(const QPlainTextEdit& box)
{
    for (const QTextEdit::ExtraSelection& mark : box.extraSelections()) {
        if (mark.format.hasProperty(QTextFormat::ForegroundBrush))
            return mark.cursor.selectedText();
    }
    return QString();
}

QColor markColour(const QPlainTextEdit& box, QTextFormat::Property property)
{
    const QList<QTextEdit::ExtraSelection> marks = box.extraSelections();
    return marks.isEmpty() ? QColor() : marks.last().format.brushProperty(property).color();
}

QString markedSentence(const QPlainTextEdit& box)
{
    for (const QTextEdit::ExtraSelection& mark : box.extraSelections()) {
        if (!mark.format.hasProperty(QTextFormat::ForegroundBrush))
            return mark.cursor.selectedText();
    }
    return QString();
}

// One word event as the box showed it: the word the event names in the text spoken, and what the
// box marked when the event had been handled.
struct Seen {
    int position;
    QString spoken;
    QString marked;
    QString sentence;
    QColor wordBack;
    QColor wordText;
};

} // namespace

// The word being spoken marked in the box its text came from, across edits, pauses, stops, the
// setting, reading from the cursor, sentence steps and Automatic Speech; on the real windows and
// the real voice.
class TestSpokenTextFollower : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void editorPlayMarksEachWord();
    void quickTextMarksItsOwnBox();
    void marksFollowEditsWhileSpeaking();
    void pauseKeepsTheMarkStopAndResetClearIt();
    void settingIsRememberedAcrossARestart();
    void readsFromTheCursor_data();
    void readsFromTheCursor();
    void sentenceSteps();
    void automaticSpeechSpeaksTypedSentences();

private:
    QPlainTextEdit* sayText() const { return control<QPlainTextEdit>(*editor, "SayText"); }
    void setEditorText(const QString& text, int caret);
    // Records every word event of the spoken text into m_seen, as the box showed it.
    void watch(const QPlainTextEdit& box, const QString& spoken, int offset = 0);
    bool waitForEnds(QSignalSpy& ends, int count) const;
    void startProgram();
    QAction* toolbarButton(const QString& key) const;

    std::optional<Doubles> m_doubles;
    MDIMain* main = nullptr;
    frmEditor* editor = nullptr;
    frmConsole* console = nullptr;
    QList<Seen> m_seen;
    std::unique_ptr<QObject> m_watching;
};

// One program for all: starting the voice costs more than most of the speaking here.
void TestSpokenTextFollower::initTestCase()
{
    m_doubles.emplace(freshProgram());
    startProgram();
}

void TestSpokenTextFollower::startProgram()
{
    main = &shownMain();
    editor = &WindowRegistry::get<frmEditor>();
    console = &WindowRegistry::get<frmConsole>();
    // Fast speech: what is heard does not matter here, only the events.
    console->voice().setRate(10);
}

void TestSpokenTextFollower::init()
{
    m_seen.clear();
    console->voice().setRate(10);
    editorDocument().TextModified = false;
}

// Each test leaves the program as it found it: silent, in the editor mode, marking and speaking
// typed sentences.
void TestSpokenTextFollower::cleanup()
{
    m_watching.reset();
    QVERIFY(!console->IsSpeaking);
    if (main->currentMode() != 0)
        control<QAction>(*main, "mnuModesItems", 0)->trigger();
    for (const char* item : { "mnuHighlightWords", "mnuAutoSpeech" }) {
        if (!control<QAction>(*main, item)->isChecked())
            control<QAction>(*main, item)->trigger();
    }
    sayText()->clear();
}

void TestSpokenTextFollower::cleanupTestCase()
{
    main = nullptr;
    m_doubles.reset();
    WindowRegistry::reset();
}

void TestSpokenTextFollower::setEditorText(const QString& text, int caret)
{
    sayText()->setPlainText(text);
    QTextCursor cursor(sayText()->document());
    cursor.setPosition(caret);
    sayText()->setTextCursor(cursor);
}

void TestSpokenTextFollower::watch(const QPlainTextEdit& box, const QString& spoken, int offset)
{
    m_watching = std::make_unique<QObject>();
    connect(console, &frmConsole::wordSpoken, m_watching.get(), [this, &box, spoken, offset](int, int pos, int length) {
        m_seen.append({ offset + pos, spoken.mid(pos, length), markedWord(box), markedSentence(box),
            markColour(box, QTextFormat::BackgroundBrush), markColour(box, QTextFormat::ForegroundBrush) });
    });
}

bool TestSpokenTextFollower::waitForEnds(QSignalSpy& ends, int count) const
{
    return QTest::qWaitFor([&] { return ends.size() >= count; }, 20000);
}

QAction* TestSpokenTextFollower::toolbarButton(const QString& key) const
{
    for (QAction* action : control<QToolBar>(*main, "ToolbarA")->actions()) {
        if (action->data().toString() == key)
            return action;
    }
    return nullptr;
}

// Play on the toolbar: each word marked as its event comes, inside its sentence's band, in the
// box's colours; all marks gone at the end; the text, caret, undo store and TextModified untouched.
void TestSpokenTextFollower::editorPlayMarksEachWord()
{
    const QString text = QStringLiteral("One two three. Four five.");
    setEditorText(text, 5);
    EditorDocument& document = editorDocument();
    document.TextModified = false;
    const int undoIndex = document.UndoIndex;
    QSignalSpy ends(console->Voice.get(), &SpVoice::EndStream);
    watch(*sayText(), text);

    toolbarButton(QStringLiteral("Play"))->trigger();
    QVERIFY(waitForEnds(ends, 1));

    QCOMPARE(m_seen.size(), 5);
    // The editor's design colours, green on black: the word in black on green.
    for (const Seen& word : m_seen) {
        QCOMPARE(word.marked, word.spoken);
        QVERIFY2(word.sentence.contains(word.spoken), qPrintable(word.sentence));
        QCOMPARE(word.wordBack, QColor(0, 255, 0));
        QCOMPARE(word.wordText, QColor(0, 0, 0));
    }
    QVERIFY(m_seen[1].sentence.startsWith(QStringLiteral("One two three.")));
    QVERIFY(m_seen[3].sentence.startsWith(QStringLiteral("Four five.")));
    QVERIFY(sayText()->extraSelections().isEmpty());
    QCOMPARE(sayText()->toPlainText(), text);
    QCOMPARE(sayText()->textCursor().position(), 5);
    QVERIFY(!sayText()->textCursor().hasSelection());
    QVERIFY(!document.TextModified);
    QCOMPARE(document.UndoIndex, undoIndex);
    QVERIFY(document.UndoStrings.isEmpty(1));
}

void TestSpokenTextFollower::quickTextMarksItsOwnBox()
{
    control<QAction>(*main, "mnuModesItems", 1)->trigger();
    const QWidget& page = WindowRegistry::get<frmRandomText>();
    auto* box = control<QPlainTextEdit>(page, "Text1", 2);
    auto* other = control<QPlainTextEdit>(page, "Text1", 0);
    const QString text = QStringLiteral("alpha bravo charlie");
    box->setPlainText(text);
    other->setPlainText(text);
    QSignalSpy ends(console->Voice.get(), &SpVoice::EndStream);
    QList<QString> otherMarks;
    watch(*box, text);
    connect(console, &frmConsole::wordSpoken, m_watching.get(), [&] { otherMarks << markedWord(*other); });

    control<QPushButton>(page, "cmdPlay", 2)->click();
    QVERIFY(waitForEnds(ends, 1));

    QCOMPARE(m_seen.size(), 3);
    for (const Seen& word : m_seen)
        QCOMPARE(word.marked, word.spoken);
    QCOMPARE(otherMarks, QList<QString>({ QString(), QString(), QString() }));
    QVERIFY(box->extraSelections().isEmpty());
}

// Text typed before the word being spoken moves the marks along; a word whose text is removed
// before it is reached is not marked.
void TestSpokenTextFollower::marksFollowEditsWhileSpeaking()
{
    const QString text = QStringLiteral("alpha bravo charlie delta echo.");
    setEditorText(text, 0);
    QSignalSpy ends(console->Voice.get(), &SpVoice::EndStream);
    watch(*sayText(), text);
    connect(console, &frmConsole::wordSpoken, m_watching.get(), [this](int, int pos, int) {
        if (pos != 0)
            return;
        QTextCursor edit(sayText()->document());
        edit.insertText(QStringLiteral("new words "));
        edit.setPosition(22); // "charlie " after the insertion
        edit.setPosition(30, QTextCursor::KeepAnchor);
        edit.removeSelectedText();
    });

    toolbarButton(QStringLiteral("Play"))->trigger();
    QVERIFY(waitForEnds(ends, 1));

    QCOMPARE(sayText()->toPlainText(), QStringLiteral("new words alpha bravo delta echo."));
    QCOMPARE(m_seen.size(), 5);
    for (const Seen& word : m_seen)
        QCOMPARE(word.marked, word.spoken == QLatin1String("charlie") ? QString() : word.spoken);
    QVERIFY(sayText()->extraSelections().isEmpty());
}

void TestSpokenTextFollower::pauseKeepsTheMarkStopAndResetClearIt()
{
    const QString text = QStringLiteral("one two three four five six seven eight nine ten eleven twelve.");
    setEditorText(text, 0);
    watch(*sayText(), text);
    QSignalSpy ends(console->Voice.get(), &SpVoice::EndStream);
    toolbarButton(QStringLiteral("Play"))->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(m_seen.size() >= 2, 20000);
    control<QAction>(*main, "mnuSpeechItems", 1)->trigger(); // Pause
    QVERIFY(console->IsPaused);
    const QString held = markedWord(*sayText());
    QVERIFY(!held.isEmpty());
    QTest::qWait(300);
    QCOMPARE(markedWord(*sayText()), held);

    control<QAction>(*main, "mnuSpeechItems", 2)->trigger(); // Stop
    QVERIFY(sayText()->extraSelections().isEmpty());
    QVERIFY(waitForEnds(ends, 1));

    m_seen.clear();
    toolbarButton(QStringLiteral("Play"))->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!m_seen.isEmpty(), 20000);
    QVERIFY(!markedWord(*sayText()).isEmpty());
    control<QPushButton>(*console, "ResetBtn")->click();
    console->voice().setRate(10);
    QVERIFY(sayText()->extraSelections().isEmpty());
    const qsizetype atReset = m_seen.size();
    // Reset leaves the speech going, but nothing of it is marked any more.
    QTRY_VERIFY_WITH_TIMEOUT(m_seen.size() > atReset + 1 || ends.size() == 2, 20000);
    for (qsizetype i = atReset; i < m_seen.size(); ++i)
        QCOMPARE(m_seen[i].marked, QString());
    control<QAction>(*main, "mnuSpeechItems", 2)->trigger();
    QVERIFY(waitForEnds(ends, 2));
}

// Preferences.ini keeps the choice beside Settings.ini, which keeps its seven fields.
void TestSpokenTextFollower::settingIsRememberedAcrossARestart()
{
    QAction* item = control<QAction>(*main, "mnuHighlightWords");
    const QList<QAction*> items = control<QMenu>(*main, "mnuSettings")->actions();
    // Only the pronunciation item comes after it.
    QCOMPARE(items.at(items.size() - 2), item);
    QCOMPARE(item->text(), QStringLiteral("Highlight Spoken Words"));
    QVERIFY(item->isChecked());
    const QByteArray settings = fileBytes(m_doubles->folder.filePath("Settings.ini"));

    item->trigger();
    QVERIFY(!item->isChecked());
    const QString preferences = m_doubles->folder.filePath("Preferences.ini");
    QCOMPARE(main->preferencesPath(), preferences);
    QCOMPARE(QSettings(preferences, QSettings::IniFormat).value("Speech/HighlightSpokenWords").toBool(), false);
    QCOMPARE(fileBytes(m_doubles->folder.filePath("Settings.ini")), settings);

    restartProgram();
    startProgram();
    QVERIFY(!control<QAction>(*main, "mnuHighlightWords")->isChecked());

    const QString text = QStringLiteral("not marked now");
    setEditorText(text, 0);
    QSignalSpy ends(console->Voice.get(), &SpVoice::EndStream);
    watch(*sayText(), text);
    toolbarButton(QStringLiteral("Play"))->trigger();
    QVERIFY(waitForEnds(ends, 1));
    QCOMPARE(m_seen.size(), 3);
    for (const Seen& word : m_seen)
        QCOMPARE(word.marked, QString());

    control<QAction>(*main, "mnuHighlightWords")->trigger();
    QCOMPARE(QSettings(preferences, QSettings::IniFormat).value("Speech/HighlightSpokenWords").toBool(), true);
}

void TestSpokenTextFollower::readsFromTheCursor_data()
{
    QTest::addColumn<int>("anchor");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QStringList>("words");
    // "One two three four" on the first line, "five six" on the second.
    QTest::newRow("caret inside a word") << 10 << 10 << QStringList { "three", "four", "five", "six" };
    QTest::newRow("caret at a word's start") << 4 << 4 << QStringList { "two", "three", "four", "five", "six" };
    QTest::newRow("selection") << 4 << 13 << QStringList { "two", "three" };
    QTest::newRow("selection made backwards") << 24 << 14 << QStringList { "four", "five" };
}

// Each word marked where it stands in the whole text, though only a part of it was spoken.
void TestSpokenTextFollower::readsFromTheCursor()
{
    QFETCH(int, anchor);
    QFETCH(int, caret);
    QFETCH(QStringList, words);
    const QString text = QStringLiteral("One two three four\nfive six");
    sayText()->setPlainText(text);
    QTextCursor cursor(sayText()->document());
    cursor.setPosition(anchor);
    cursor.setPosition(caret, QTextCursor::KeepAnchor);
    sayText()->setTextCursor(cursor);
    QSignalSpy ends(console->Voice.get(), &SpVoice::EndStream);
    const int from = std::min(anchor, caret) == std::max(anchor, caret)
        ? static_cast<int>(text.lastIndexOf(u' ', caret - 1) + 1)
        : std::min(anchor, caret);
    watch(*sayText(), text.mid(from), from);

    QAction* item = control<QAction>(*main, "mnuReadItems", 0);
    QCOMPARE(item->text(), QStringLiteral("Read From &Cursor"));
    item->trigger();
    QVERIFY(waitForEnds(ends, 1));

    QStringList marked;
    for (const Seen& word : m_seen) {
        QCOMPARE(word.marked, text.mid(word.position, word.spoken.size()));
        marked << word.marked;
    }
    QCOMPARE(marked, words);
    QCOMPARE(sayText()->textCursor().anchor(), anchor);
    QCOMPARE(sayText()->textCursor().position(), caret);
}

// Next Sentence during the first sentence's first word goes on at the second sentence; Previous
// during the third goes back before it.
void TestSpokenTextFollower::sentenceSteps()
{
    const QString text = QStringLiteral("Alpha bravo charlie. Delta echo foxtrot. Golf hotel india. Juliet kilo lima.");
    setEditorText(text, 0);
    QSignalSpy ends(console->Voice.get(), &SpVoice::EndStream);
    watch(*sayText(), text);
    const int golf = static_cast<int>(text.indexOf(QStringLiteral("Golf")));
    bool steppedBack = false;
    connect(console, &frmConsole::wordSpoken, m_watching.get(), [&](int, int pos, int) {
        if (pos == 0)
            control<QAction>(*main, "mnuReadItems", 1)->trigger();
        if (pos == golf && !steppedBack) {
            steppedBack = true;
            control<QAction>(*main, "mnuReadItems", 2)->trigger();
        }
    });

    toolbarButton(QStringLiteral("Play"))->trigger();
    QVERIFY(waitForEnds(ends, 1));

    QStringList marked;
    for (const Seen& word : m_seen) {
        QCOMPARE(word.marked, word.spoken);
        marked << word.marked;
    }
    QVERIFY2(!marked.contains(QStringLiteral("bravo")), qPrintable(marked.join(' ')));
    QCOMPARE(marked.value(1), QStringLiteral("Delta"));
    const qsizetype golfAt = marked.indexOf(QStringLiteral("Golf"));
    QVERIFY2(golfAt > 0 && marked.mid(golfAt + 1).contains(QStringLiteral("Delta")), qPrintable(marked.join(' ')));
    QCOMPARE(marked.last(), QStringLiteral("lima"));
    // Their keys are taken by nothing else.
    QCOMPARE(control<QAction>(*main, "mnuReadItems", 1)->shortcut(), QKeySequence(Qt::ALT | Qt::Key_Right));
    QCOMPARE(control<QAction>(*main, "mnuReadItems", 2)->shortcut(), QKeySequence(Qt::ALT | Qt::Key_Left));
}

// Each sentence typed is queued as it is finished, marked as it is spoken; typing goes on
// meanwhile, and the speaking changes nothing of the text, caret, undo store or TextModified.
void TestSpokenTextFollower::automaticSpeechSpeaksTypedSentences()
{
    QVERIFY(control<QAction>(*main, "mnuAutoSpeech")->isChecked());
    main->activateWindow();
    sayText()->setFocus();
    QSignalSpy ends(console->Voice.get(), &SpVoice::EndStream);
    QSignalSpy starts(console->Voice.get(), &SpVoice::StartStream);
    const QString typed = QStringLiteral("Hello there. Good day");
    const QString text = typed + QStringLiteral(".\n");
    watch(*sayText(), QString());
    m_watching = std::make_unique<QObject>();
    QList<QString> marked;
    connect(console, &frmConsole::wordSpoken, m_watching.get(), [&] { marked << markedWord(*sayText()); });

    QTest::keyClicks(sayText(), typed);
    QTest::keyClick(sayText(), Qt::Key_Period);
    QTest::keyClick(sayText(), Qt::Key_Return);
    EditorDocument& document = editorDocument();
    const int undoIndex = document.UndoIndex;
    const QString lastSlot = document.UndoStrings.at(undoIndex);
    QCOMPARE(undoIndex, static_cast<int>(text.size()));
    QVERIFY(document.TextModified);
    document.TextModified = false;

    QVERIFY(waitForEnds(ends, 2));
    QCOMPARE(starts.size(), 2);
    QCOMPARE(marked, QList<QString>({ "Hello", "there", "Good", "day" }));
    QCOMPARE(sayText()->toPlainText(), text);
    QCOMPARE(sayText()->textCursor().position(), text.size());
    QCOMPARE(document.UndoIndex, undoIndex);
    QCOMPARE(document.UndoStrings.at(undoIndex), lastSlot);
    QVERIFY(!document.TextModified);
    QVERIFY(sayText()->extraSelections().isEmpty());

    // Off: typing speaks nothing.
    control<QAction>(*main, "mnuAutoSpeech")->trigger();
    const int streams = console->lastStreamNumber();
    QTest::keyClicks(sayText(), QStringLiteral("Quiet now. "));
    QCOMPARE(console->lastStreamNumber(), streams);
}

QTEST_MAIN(TestSpokenTextFollower)
#include "tst_SpokenTextFollower.moc"
