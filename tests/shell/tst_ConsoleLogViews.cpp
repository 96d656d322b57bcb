#include "AudioOutputRequired.h"
#include "ConsoleLogViews.h"
#include "Controls.h"
#include "EventLogWindow.h"
#include "FailureNotice.h"
#include "ShellTest.h"
#include "SpeechMenu.h"
#include "frmConsole.h"
#include "frmEditor.h"

#include <QAccessible>
#include <QApplication>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>

namespace {

// A log as the user reads it, one entry a line.
QStringList logLines(const QString& log)
{
    return QString(log).replace(u'\r', u'\n').split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

// The console's failures, whose log lies outside its strip, are seen over the main window where
// the user is looking, and the whole log can be read in a window of its own.
class TestConsoleLogViews : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { WindowRegistry::reset(); }

    void failedRecordingShowsANoticeThatGoesByItself();
    void unreadableMarkupShowsANotice();
    void onlyFailureLinesShowANotice_data();
    void onlyFailureLinesShowANotice();
    void noticeKeepsClearOfTheConsole();
    void logWindowShowsTheWholeLogAndFollowsIt();
    void logWindowLetsTheUserReadBack();

private:
    FailureNotice& notice() const { return *control<FailureNotice>(*m_main, "FailureNotice"); }
    EventLogWindow& logWindow() const { return *control<EventLogWindow>(*m_main, "EventLogWindow"); }
    QPlainTextEdit* logText() const { return control<QPlainTextEdit>(logWindow(), "LogText"); }
    frmConsole& console() const { return WindowRegistry::get<frmConsole>(); }
    void failRecording();

    std::unique_ptr<ShellTest::Doubles> m_doubles;
    MDIMain* m_main = nullptr;
};

void TestConsoleLogViews::init()
{
    m_doubles = std::make_unique<ShellTest::Doubles>(ShellTest::freshProgram());
    m_main = &ShellTest::shownMain();
}

// File > "Save to *.wav" into a folder that is not there.
void TestConsoleLogViews::failRecording()
{
    control<QPlainTextEdit>(WindowRegistry::get<frmEditor>(), "SayText")->setPlainText(QStringLiteral("Hello there."));
    const QString folder = m_doubles->folder.applicationFolder();
    m_doubles->dialogs.answerFile(folder + QStringLiteral("/missing/speech.wav"));
    control<QAction>(*m_main, "mnuFileItems", 4)->trigger();
}

void TestConsoleLogViews::failedRecordingShowsANoticeThatGoesByItself()
{
    frmEditor& editor = WindowRegistry::get<frmEditor>();
    control<QPlainTextEdit>(editor, "SayText")->setFocus();
    QTRY_VERIFY(control<QPlainTextEdit>(editor, "SayText")->hasFocus());
    const QRect editorPlace = editor.geometry();
    const QRect consolePlace = m_main->consoleFrame().geometry();
    const QString caption = m_main->windowTitle();
    QVERIFY(!notice().isVisible());

    failRecording();
    const QStringList log = logLines(console().logText());
    QVERIFY(!log.isEmpty() && log.constLast().startsWith(QStringLiteral("Save to Wave file Error: ")));
    QVERIFY(notice().isVisible());
    QCOMPARE(notice().text(), log.constLast());
    QCOMPARE(notice().accessibleName(), log.constLast());
    // Over the child area and above the pages: what the user sees at its middle is the notice.
    const QRect place = notice().geometry();
    QVERIFY(control<QMdiArea>(*m_main, "mdiArea")->rect().contains(place));
    QCOMPARE(control<QMdiArea>(*m_main, "mdiArea")->childAt(place.center()), static_cast<QWidget*>(&notice()));
    QVERIFY(notice().visibleRegion().contains(notice().rect().center()));
    // Nothing else changed: the focus, the windows' places, the caption.
    QVERIFY(control<QPlainTextEdit>(editor, "SayText")->hasFocus());
    QCOMPARE(editor.geometry(), editorPlace);
    QCOMPARE(m_main->consoleFrame().geometry(), consolePlace);
    QCOMPARE(m_main->windowTitle(), caption);

    QTRY_VERIFY_WITH_TIMEOUT(!notice().isVisible(), FailureNotice::shownMilliseconds + 5000);
    QVERIFY(control<QPlainTextEdit>(editor, "SayText")->hasFocus());
}

// Pasted text with an address in angle brackets is still spoken; the user is told why its tags
// were heard as text.
void TestConsoleLogViews::unreadableMarkupShowsANotice()
{
    if (console().Voice->GetAudioOutputs().Count() == 0)
        NO_AUDIO_OUTPUT("no audio output");
    m_main->funcSpeakTTS(QStringLiteral("Write to Ada <ada@example.org> today."));
    QTRY_VERIFY_WITH_TIMEOUT(notice().isVisible(), 30000);
    QVERIFY(notice().text().startsWith(QStringLiteral("Markup read as text: ")));
    QCOMPARE(notice().text(), logLines(console().logText()).filter(QStringLiteral("Markup read")).constLast());
    control<QAction>(*m_main, "mnuSpeechItems", SpeechMenu::Stop)->trigger();
}

void TestConsoleLogViews::onlyFailureLinesShowANotice_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("tail");
    QTest::addColumn<bool>("failure");
    const QString why = QStringLiteral("the device went away");
    for (const char* prefix : { "Speak Error: ", "Save to Wave file Error: ", "Set audio output error: ",
             "Set format error: ", "Skip Error: ", "Markup read as text: ", "Word event error: " })
        QTest::newRow(prefix) << QString::fromLatin1(prefix) << why << true;
    QTest::newRow("highlighting") << QStringLiteral("Failed to high light words. This may be caused by too many "
                                                    "charaters in the main text box.")
                                  << QString() << true;
    for (const char* line : { "Speak", "Stop", "Pause", "Resume", "Skip", "Save to .wav file",
             "  Event: StartStream, StreamNum=1, StreamPos=0" })
        QTest::newRow(line) << QString::fromLatin1(line) << QString() << false;
}

void TestConsoleLogViews::onlyFailureLinesShowANotice()
{
    QFETCH(QString, text);
    QFETCH(QString, tail);
    QFETCH(bool, failure);
    console().AppendLogText(text, tail);
    QCOMPARE(notice().isVisible(), failure);
    if (failure)
        QCOMPARE(notice().text(), text + tail);
}

// A long failure wraps within the part of the window left of the console, at its bottom, and
// follows the window when it grows.
void TestConsoleLogViews::noticeKeepsClearOfTheConsole()
{
    const QString description = QStringLiteral("the audio output could not be opened ").repeated(8);
    console().AppendLogText(QStringLiteral("Speak Error: "), description);
    const int consoleLeft = m_main->consoleFrame().geometry().left();
    QRect place = notice().geometry();
    QVERIFY2(place.right() < consoleLeft, "left of the console's strip");
    QVERIFY(place.height() > notice().fontMetrics().height() * 2); // wrapped, not cut
    QVERIFY(place.bottom() < control<QMdiArea>(*m_main, "mdiArea")->height()
        && place.bottom() > control<QMdiArea>(*m_main, "mdiArea")->height() - 40);

    ShellTest::setOuterSize(*m_main, 12000, 10000);
    QTRY_VERIFY(notice().geometry().bottom() > control<QMdiArea>(*m_main, "mdiArea")->height() - 40
        && notice().geometry().bottom() < control<QMdiArea>(*m_main, "mdiArea")->height());
    QVERIFY(notice().geometry().right() < m_main->consoleFrame().geometry().left());
}

// The log window opens from the Speech menu's item after its four own, shows every line the
// console has written and follows each new one.
void TestConsoleLogViews::logWindowShowsTheWholeLogAndFollowsIt()
{
    failRecording();
    const QList<QAction*> items = control<QMenu>(*m_main, "mnuSpeech")->actions();
    QCOMPARE(items.value(5), control<QAction>(*m_main, "mnuEventLog"));
    items.value(5)->trigger();
    EventLogWindow& window = logWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(window.isWindow());
    QCOMPARE(window.windowTitle(), QStringLiteral("Parlora v1.0 - Event Log"));
    QCOMPARE(window.windowIconText(), window.windowTitle());
    QVERIFY(!window.windowIcon().isNull());
    QCOMPARE(logLines(logText()->toPlainText()), logLines(console().logText()));
    QVERIFY(logText()->toPlainText().contains(QStringLiteral("Save to Wave file Error: ")));

    for (int i = 0; i < 200; ++i)
        console().AppendLogText(QStringLiteral("Skip"), QString());
    const QString why = QStringLiteral("the number is not one the voice can skip ").repeated(6);
    console().AppendLogText(QStringLiteral("Skip Error: "), why);
    QTRY_COMPARE(logLines(logText()->toPlainText()), logLines(console().logText()));
    const QScrollBar* bar = logText()->verticalScrollBar();
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value(), bar->maximum());
    // The new line is seen from its first character on.
    const QRect start = logText()->cursorRect(QTextCursor(logText()->document()->lastBlock()));
    QVERIFY(logText()->viewport()->rect().contains(start.center()));
    QVERIFY(notice().isVisible());

    // Opened again after closing, it shows the log as it now stands.
    window.close();
    console().AppendLogText(QStringLiteral("Stop"), QString());
    control<QAction>(*m_main, "mnuEventLog")->trigger();
    QCOMPARE(logLines(logText()->toPlainText()).constLast(), QStringLiteral("Stop"));
}

// Scrolled back to read, the window stays where the user is while new lines come.
void TestConsoleLogViews::logWindowLetsTheUserReadBack()
{
    for (int i = 0; i < 300; ++i)
        console().AppendLogText(QStringLiteral("Pause"), QString());
    control<QAction>(*m_main, "mnuEventLog")->trigger();
    EventLogWindow& window = logWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QScrollBar* bar = logText()->verticalScrollBar();
    QCOMPARE(bar->value(), bar->maximum());
    bar->setValue(10);
    console().AppendLogText(QStringLiteral("Resume"), QString());
    QTRY_COMPARE(logLines(logText()->toPlainText()).constLast(), QStringLiteral("Resume"));
    QCOMPARE(bar->value(), 10);
}

QTEST_MAIN(TestConsoleLogViews)
#include "tst_ConsoleLogViews.moc"
