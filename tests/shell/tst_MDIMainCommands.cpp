#include "Controls.h"
#include "EditorDocument.h"
#include "MDIMain.h"
#include "MessageBoxes.h"
#include "PdfPrinter.h"
#include "PlatformError.h"
#include "ShellTest.h"
#include "engine/api/SpVoice.h"
#include "frmConsole.h"
#include "frmEditor.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QLocale>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTextCursor>
#include <QTime>
#include <QToolBar>
#include <optional>
#include <sndfile.h>

using namespace ShellTest;

namespace {

enum class Way { Menu, Toolbar, EditorKeys, OtherBoxKeys };

// What the clipboard holds before a command: text, nothing, or a picture only.
enum class Clip { Text, Empty, Picture };

// The number of frames of a wave file, read back with libsndfile; -1 when it cannot be read.
sf_count_t waveFrames(const QString& path)
{
    SF_INFO info {};
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!file)
        return -1;
    sf_close(file);
    return info.frames;
}

} // namespace

Q_DECLARE_METATYPE(Way)
Q_DECLARE_METATYPE(Clip)

class TestMDIMainCommands : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void clipboardCommands_data();
    void clipboardCommands();
    void copiesLineBreaksPlain();
    void undoAndRedo_data();
    void undoAndRedo();
    void dateAndTimeOnlySpeak_data();
    void dateAndTimeOnlySpeak();
    void playPauseStop();
    void toolbarSaveFollowsTheSaveItem();
    void fileItemsRunTheEditorOperations();
    void recordingGoesToTheConsole_data();
    void recordingGoesToTheConsole();
    void toolbarSwallowsFailures();
    void keysReachTheBoxInOtherModes();
    void leavingWithUnsavedWork_data();
    void leavingWithUnsavedWork();
    void exitWritesSettingsFrameCloseDoesNot();

private:
    void setText(const QString& text, int selectionStart, int selectionEnd);
    void runCommand(const QString& name, Way way, QKeySequence keys = {});
    QAction* button(const QString& key) const;

    std::optional<Doubles> m_doubles;
    MDIMain* main = nullptr;
    frmEditor* editor = nullptr;
};

void TestMDIMainCommands::init()
{
    m_doubles.emplace(freshProgram());
    main = &shownMain();
    main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(main));
    editor = &WindowRegistry::get<frmEditor>();
    QGuiApplication::clipboard()->clear();
}

void TestMDIMainCommands::cleanup()
{
    QVERIFY2(m_doubles->messages.unexpected().isEmpty(), qPrintable(m_doubles->messages.unexpected().join('\n')));
    QVERIFY2(m_doubles->dialogs.unexpected().isEmpty(), qPrintable(m_doubles->dialogs.unexpected().join('\n')));
    main = nullptr;
    editor = nullptr;
    m_doubles.reset();
    WindowRegistry::reset();
}

void TestMDIMainCommands::setText(const QString& text, int selectionStart, int selectionEnd)
{
    control<QPlainTextEdit>(*editor, "SayText")->setPlainText(text);
    QTextCursor cursor(control<QPlainTextEdit>(*editor, "SayText")->document());
    cursor.setPosition(selectionStart);
    cursor.setPosition(selectionEnd, QTextCursor::KeepAnchor);
    control<QPlainTextEdit>(*editor, "SayText")->setTextCursor(cursor);
}

QAction* TestMDIMainCommands::button(const QString& key) const
{
    for (QAction* action : control<QToolBar>(*main, "ToolbarA")->actions()) {
        if (action->data().toString() == key)
            return action;
    }
    return nullptr;
}

// Runs an editing command as the user would: from the menu, the toolbar or its shortcut key,
// pressed in the editor's box or in another text box that has the focus.
void TestMDIMainCommands::runCommand(const QString& name, Way way, QKeySequence keys)
{
    const QStringList items { "Undo", "", "Cut", "Copy", "Paste", "Delete" };
    if (keys.isEmpty())
        keys = control<QAction>(*main, "mnuEditItems", items.indexOf(name))->shortcut();
    QWidget* focus = way == Way::OtherBoxKeys
        ? static_cast<QWidget*>(control<QPlainTextEdit>(WindowRegistry::get<frmConsole>(), "MainTxtBox"))
        : control<QPlainTextEdit>(*editor, "SayText");
    switch (way) {
    case Way::Menu:
        control<QAction>(*main, "mnuEditItems", items.indexOf(name))->trigger();
        break;
    case Way::Toolbar:
        button(name)->trigger();
        break;
    case Way::EditorKeys:
    case Way::OtherBoxKeys:
        focus->setFocus();
        QTRY_VERIFY(focus->hasFocus());
        QTest::keyClick(focus, keys[0].key(), keys[0].keyboardModifiers());
        break;
    }
}

void TestMDIMainCommands::clipboardCommands_data()
{
    QTest::addColumn<Way>("way");
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("selectionStart");
    QTest::addColumn<int>("selectionEnd");
    QTest::addColumn<Clip>("clip");
    QTest::addColumn<QString>("text"); // SayText afterwards; it starts as "Hello world"
    QTest::addColumn<QString>("clipboard"); // text on the clipboard afterwards
    QTest::addColumn<bool>("recorded");

    const std::pair<Way, const char*> ways[] { { Way::Menu, "menu" }, { Way::Toolbar, "toolbar" },
        { Way::EditorKeys, "editor keys" }, { Way::OtherBoxKeys, "keys in another box" } };
    for (const auto& [way, wayName] : ways) {
        const auto row = [&](const char* name, const char* command, int start, int end, Clip clip, const char* text,
                             const char* clipboard, bool recorded) {
            QTest::addRow("%s, %s", wayName, name)
                << way << QString(command) << start << end << clip << QString(text) << QString(clipboard) << recorded;
        };
        row("copy a selection", "Copy", 0, 5, Clip::Text, "Hello world", "Hello", false);
        row("copy nothing", "Copy", 5, 5, Clip::Text, "Hello world", "", false);
        row("cut a selection", "Cut", 0, 6, Clip::Text, "world", "Hello ", true);
        row("cut nothing", "Cut", 3, 3, Clip::Text, "Hello world", "", true);
        row("paste over a selection", "Paste", 6, 11, Clip::Text, "Hello there", "there", true);
        row("paste at the caret", "Paste", 5, 5, Clip::Text, "Hellothere world", "there", true);
        row("paste an empty clipboard", "Paste", 0, 5, Clip::Empty, "Hello world", "", false);
        row("paste a picture", "Paste", 0, 5, Clip::Picture, "Hello world", "", false);
        row("delete a selection", "Delete", 5, 11, Clip::Text, "Hello", "there", true);
        row("delete nothing", "Delete", 2, 2, Clip::Text, "Hello world", "there", true);
    }
}

void TestMDIMainCommands::clipboardCommands()
{
    QFETCH(Way, way);
    QFETCH(QString, command);
    QFETCH(int, selectionStart);
    QFETCH(int, selectionEnd);
    QFETCH(Clip, clip);
    QFETCH(QString, text);
    QFETCH(QString, clipboard);
    QFETCH(bool, recorded);

    QClipboard* board = QGuiApplication::clipboard();
    if (clip == Clip::Text) {
        board->setText("there");
    } else if (clip == Clip::Picture) {
        QImage picture(4, 4, QImage::Format_RGB32);
        picture.fill(Qt::red);
        board->setImage(picture);
    }
    setText("Hello world", selectionStart, selectionEnd);
    QPlainTextEdit* otherBox = control<QPlainTextEdit>(WindowRegistry::get<frmConsole>(), "MainTxtBox");
    otherBox->setPlainText("console box");
    otherBox->selectAll();
    EditorDocument& document = editorDocument();
    document.UndoIndex = 4;
    document.TextModified = false;

    runCommand(command, way);

    QCOMPARE(control<QPlainTextEdit>(*editor, "SayText")->toPlainText(), text);
    QCOMPARE(board->text(), clipboard);
    if (clip == Clip::Picture)
        QVERIFY(board->mimeData()->hasImage());
    QCOMPARE(document.UndoIndex, recorded ? 5 : 4);
    QCOMPARE(document.UndoStrings.at(5), recorded ? text : QString());
    QCOMPARE(document.TextModified, recorded);
    if (recorded)
        QVERIFY(control<QAction>(*main, "mnuFileItems", 2)->isEnabled()
            && control<QAction>(*main, "mnuFileItems", 3)->isEnabled());
    // The box that had the focus kept its text: the key was meant for the editor.
    QCOMPARE(otherBox->toPlainText(), QString("console box"));
}

void TestMDIMainCommands::copiesLineBreaksPlain()
{
    setText("one\ntwo\nthree", 0, 7);
    control<QAction>(*main, "mnuEditItems", 3)->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text(), QString("one\ntwo"));
    setText("a\nb", 1, 1);
    control<QAction>(*main, "mnuEditItems", 4)->trigger();
    QCOMPARE(control<QPlainTextEdit>(*editor, "SayText")->toPlainText(), QString("aone\ntwo\nb"));
}

void TestMDIMainCommands::undoAndRedo_data()
{
    QTest::addColumn<Way>("way");
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("index"); // UndoIndex before
    QTest::addColumn<int>("after");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("modified");
    QTest::addColumn<QKeySequence>("keys"); // empty: the item's own
    const QKeySequence own;
    const QKeySequence ctrlZ(Qt::CTRL | Qt::Key_Z);
    QTest::newRow("undo from the menu") << Way::Menu << "Undo" << 2 << 1 << "first" << true << own;
    QTest::newRow("undo at index 1") << Way::Menu << "Undo" << 1 << 1 << "first" << true << own;
    QTest::newRow("undo from the toolbar") << Way::Toolbar << "Undo" << 3 << 2 << "second" << true << own;
    QTest::newRow("undo by Ctrl+U in the editor") << Way::EditorKeys << "Undo" << 2 << 1 << "first" << true << own;
    QTest::newRow("undo by Ctrl+U in another box") << Way::OtherBoxKeys << "Undo" << 2 << 1 << "first" << true << own;
    QTest::newRow("undo by Ctrl+Z in the editor") << Way::EditorKeys << "Undo" << 3 << 2 << "second" << true << ctrlZ;
    QTest::newRow("undo by Ctrl+Z in another box")
        << Way::OtherBoxKeys << "Undo" << 3 << 2 << "second" << true << ctrlZ;
    QTest::newRow("redo onto a filled slot") << Way::Toolbar << "Redo" << 1 << 2 << "second" << true << own;
    QTest::newRow("redo onto an empty slot") << Way::Toolbar << "Redo" << 3 << 3 << "current" << false << own;
}

void TestMDIMainCommands::undoAndRedo()
{
    QFETCH(Way, way);
    QFETCH(QString, command);
    QFETCH(int, index);
    QFETCH(int, after);
    QFETCH(QString, text);
    QFETCH(bool, modified);
    QFETCH(QKeySequence, keys);

    EditorDocument& document = editorDocument();
    document.UndoStrings.set(1, QStringLiteral("first"));
    document.UndoStrings.set(2, QStringLiteral("second"));
    document.UndoStrings.set(3, QStringLiteral("third"));
    document.UndoIndex = index;
    document.TextModified = false;
    setText("current", 0, 0);

    if (command == "Redo")
        button("Redo")->trigger();
    else
        runCommand(command, way, keys);

    QCOMPARE(document.UndoIndex, after);
    QCOMPARE(control<QPlainTextEdit>(*editor, "SayText")->toPlainText(), text);
    QCOMPARE(document.TextModified, modified);
}

void TestMDIMainCommands::dateAndTimeOnlySpeak_data()
{
    QTest::addColumn<QString>("key");
    QTest::newRow("date") << "Date";
    QTest::newRow("time") << "Time";
}

// The spoken words lie in the formatted date or time; the editor's text and undo store stay.
void TestMDIMainCommands::dateAndTimeOnlySpeak()
{
    QFETCH(QString, key);
    const auto formatted = [&key] {
        const QLocale system = QLocale::system();
        return key == "Date" ? system.toString(QDate::currentDate(), QLocale::LongFormat)
                             : system.toString(QTime::currentTime(), "hh:mm AP");
    };
    setText("keep me", 2, 4);
    EditorDocument& document = editorDocument();
    document.UndoStrings.set(1, QStringLiteral("slot"));
    document.UndoIndex = 1;
    document.TextModified = false;
    frmConsole& console = WindowRegistry::get<frmConsole>();
    QSignalSpy words(console.Voice.get(), &SpVoice::Word);
    QSignalSpy ends(console.Voice.get(), &SpVoice::EndStream);

    const QString before = formatted();
    button(key)->trigger();
    const QString after = formatted();
    QTRY_COMPARE_WITH_TIMEOUT(ends.size(), 1, 20000);

    QVERIFY(!words.isEmpty());
    const int end = words.last()[2].toInt() + words.last()[3].toInt();
    QVERIFY2(end == before.size() || end == after.size(), qPrintable(QString("%1 in %2").arg(end).arg(before)));
    QCOMPARE(words.first()[2].toInt(), 0);
    if (key == "Time") {
        QVERIFY(QRegularExpression("^\\d\\d:\\d\\d .+$").match(before).hasMatch());
        const int hour = before.left(2).toInt();
        QVERIFY(hour >= 1 && hour <= 12);
    } else {
        QVERIFY(before.contains(QString::number(QDate::currentDate().year())));
    }
    QCOMPARE(control<QPlainTextEdit>(*editor, "SayText")->toPlainText(), QString("keep me"));
    QCOMPARE(control<QPlainTextEdit>(*editor, "SayText")->textCursor().selectedText(), QString("ep"));
    QCOMPARE(document.UndoIndex, 1);
    QCOMPARE(document.UndoStrings.at(1), QString("slot"));
    QVERIFY(document.UndoStrings.isEmpty(2));
    QVERIFY(!document.TextModified);
}

// Play releases the pressed Pause button before it speaks; Pause and Stop reach the console.
void TestMDIMainCommands::playPauseStop()
{
    frmConsole& console = WindowRegistry::get<frmConsole>();
    QSignalSpy starts(console.Voice.get(), &SpVoice::StartStream);
    QSignalSpy words(console.Voice.get(), &SpVoice::Word);
    QAction* pause = button("Pause");
    QVERIFY(pause->isCheckable());
    pause->setChecked(true);
    setText("Speaking from the editor is what this sentence is for.", 0, 0);

    button("Play")->trigger();
    QVERIFY(!pause->isChecked());
    QVERIFY(console.IsSpeaking);
    QTRY_COMPARE_WITH_TIMEOUT(starts.size(), 1, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(!words.isEmpty(), 20000);
    QCOMPARE(words.first()[3].toInt(), int(QString("Speaking").size()));

    pause->trigger();
    QVERIFY(pause->isChecked());
    QVERIFY(console.IsPaused);
    pause->trigger();
    QVERIFY(!console.IsPaused);

    button("Stop")->trigger();
    QVERIFY(!console.IsSpeaking);
}

void TestMDIMainCommands::toolbarSaveFollowsTheSaveItem()
{
    const QString path = m_doubles->folder.filePath("document.txt");
    EditorDocument& document = editorDocument();
    document.EditorFileName = path;
    setText("saved text", 0, 0);
    control<QAction>(*main, "mnuFileItems", 2)->setEnabled(true);
    button("Save")->trigger();
    QCOMPARE(fileBytes(path), QByteArray("saved text\r\n"));
    QVERIFY(m_doubles->dialogs.fileRequests().empty());

    // With "&Save" disabled the button asks for a name, as Save As does.
    control<QAction>(*main, "mnuFileItems", 2)->setEnabled(false);
    const QString other = m_doubles->folder.filePath("other.txt");
    m_doubles->dialogs.answerFile(other);
    button("Save")->trigger();
    QCOMPARE(m_doubles->dialogs.fileRequests().size(), std::size_t(1));
    QCOMPARE(m_doubles->dialogs.fileRequests()[0].kind, FileDialogRequest::Kind::Save);
    QCOMPARE(fileBytes(other), QByteArray("saved text\r\n"));
    QCOMPARE(document.EditorFileName, other);
}

void TestMDIMainCommands::fileItemsRunTheEditorOperations()
{
    PdfPrinter& printer = PdfPrinter::install();
    const QString path = m_doubles->folder.filePath("opened.txt");
    QVERIFY(writeFile(path, "from a file"));

    m_doubles->dialogs.answerFile(path);
    control<QAction>(*main, "mnuFileItems", 1)->trigger();
    QCOMPARE(control<QPlainTextEdit>(*editor, "SayText")->toPlainText(), QString("from a file"));
    QCOMPARE(editorDocument().EditorFileName, path);

    const QString copy = m_doubles->folder.filePath("copy.txt");
    m_doubles->dialogs.answerFile(copy);
    control<QAction>(*main, "mnuFileItems", 3)->trigger();
    QCOMPARE(fileBytes(copy), QByteArray("from a file\r\n"));

    setText("changed", 0, 0);
    control<QAction>(*main, "mnuFileItems", 2)->setEnabled(true);
    control<QAction>(*main, "mnuFileItems", 2)->trigger();
    QCOMPARE(fileBytes(copy), QByteArray("changed\r\n"));

    control<QAction>(*main, "mnuFileItems", 6)->trigger();
    QCOMPARE(printer.pages().size(), std::size_t(1));
    button("Print")->trigger();
    QCOMPARE(printer.pages().size(), std::size_t(2));

    control<QAction>(*main, "mnuFileItems", 0)->trigger();
    QVERIFY(control<QPlainTextEdit>(*editor, "SayText")->toPlainText().isEmpty());
    setText("again", 0, 0);
    button("New")->trigger();
    QVERIFY(control<QPlainTextEdit>(*editor, "SayText")->toPlainText().isEmpty());

    m_doubles->dialogs.answerFile(path);
    button("Open")->trigger();
    QCOMPARE(control<QPlainTextEdit>(*editor, "SayText")->toPlainText(), QString("from a file"));
    QCOMPARE(m_doubles->dialogs.pending(), 0);
}

void TestMDIMainCommands::recordingGoesToTheConsole_data()
{
    QTest::addColumn<QString>("way");
    QTest::newRow("File > Save to *.wav") << "menu";
    QTest::newRow("toolbar Record") << "toolbar";
    QTest::newRow("funcRecordWavTTS") << "page";
}

// The whole editor text, or the page's text, is spoken into the wave file the user names.
void TestMDIMainCommands::recordingGoesToTheConsole()
{
    QFETCH(QString, way);
    const QString path = m_doubles->folder.filePath("speech.wav");
    m_doubles->dialogs.answerFile(path);
    setText("Recorded words", 0, 3);
    if (way == "menu")
        control<QAction>(*main, "mnuFileItems", 4)->trigger();
    else if (way == "toolbar")
        button("Record")->trigger();
    else
        main->funcRecordWavTTS("Words of a page");
    QCOMPARE(m_doubles->dialogs.fileRequests().size(), std::size_t(1));
    QCOMPARE(m_doubles->dialogs.fileRequests()[0].kind, FileDialogRequest::Kind::Save);
    QVERIFY(waveFrames(path) > 2000);
    QCOMPARE(m_doubles->messages.messages().size(), std::size_t(1));
    QCOMPARE(m_doubles->messages.messages()[0].title, QString("File Saved"));
}

// A failing command ends quietly from the toolbar; called directly, the same step fails.
void TestMDIMainCommands::toolbarSwallowsFailures()
{
    frmConsole& console = WindowRegistry::get<frmConsole>();
    console.Form_Unload();
    QVERIFY_THROWS_EXCEPTION(PlatformError, console.VoicePause());
    button("Pause")->trigger();
    main->ToolbarA_ButtonClick("Pause");
    button("Pause")->setChecked(true);
    setText("still here", 0, 0);
    main->ToolbarA_ButtonClick("Play");
    // Done before the failure stays done.
    QVERIFY(!button("Pause")->isChecked());
    main->ToolbarA_ButtonClick("No such key");
    QCOMPARE(control<QPlainTextEdit>(*editor, "SayText")->toPlainText(), QString("still here"));
    QVERIFY(m_doubles->messages.messages().empty());
}

// With the Edit items disabled the keys belong to the focused box again.
void TestMDIMainCommands::keysReachTheBoxInOtherModes()
{
    setText("editor text", 0, 6);
    control<QAction>(*main, "mnuModesItems", 1)->trigger();
    QPlainTextEdit* box = control<QPlainTextEdit>(WindowRegistry::get<frmConsole>(), "MainTxtBox");
    box->setPlainText("console words");
    box->setFocus();
    QTRY_VERIFY(box->hasFocus());
    box->selectAll();
    QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QString("console words"));
    QTest::keyClick(box, Qt::Key_Delete);
    QVERIFY(box->toPlainText().isEmpty());
    QCOMPARE(control<QPlainTextEdit>(*editor, "SayText")->toPlainText(), QString("editor text"));

    // Back in the editor mode the same keys act on the editor's selection from this box.
    control<QAction>(*main, "mnuModesItems", 0)->trigger();
    box->setPlainText("console words");
    box->setFocus();
    QTRY_VERIFY(box->hasFocus());
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QCOMPARE(box->toPlainText(), QString("console words"));
    QCOMPARE(control<QPlainTextEdit>(*editor, "SayText")->toPlainText(), QString(" text"));
}

void TestMDIMainCommands::leavingWithUnsavedWork_data()
{
    QTest::addColumn<bool>("exit"); // File > Exit, else closing the frame
    QTest::addColumn<int>("answer"); // 0: no question expected
    QTest::addColumn<QString>("saveTo"); // "": cancel the save dialog, "folder": a name that cannot be written
    QTest::addColumn<bool>("left");
    for (const bool exit : { true, false }) {
        const char* way = exit ? "exit" : "frame close";
        QTest::addRow("%s, nothing unsaved", way) << exit << 0 << QString() << true;
        QTest::addRow("%s, No", way) << exit << int(vbNo) << QString() << true;
        QTest::addRow("%s, Yes and saved", way) << exit << int(vbYes) << "work.txt" << true;
        QTest::addRow("%s, Yes and cancelled", way) << exit << int(vbYes) << QString() << false;
        QTest::addRow("%s, Yes and failed", way) << exit << int(vbYes) << "folder" << false;
    }
}

void TestMDIMainCommands::leavingWithUnsavedWork()
{
    QFETCH(bool, exit);
    QFETCH(int, answer);
    QFETCH(QString, saveTo);
    QFETCH(bool, left);

    int ended = 0;
    main->EndProgram = [&ended] { ++ended; };
    if (answer != 0) {
        control<QPlainTextEdit>(*editor, "SayText")->setFocus();
        QTest::keyClicks(control<QPlainTextEdit>(*editor, "SayText"), "unsaved");
        QVERIFY(editorDocument().TextModified);
        m_doubles->messages.answer(answer);
    }
    const QString target = m_doubles->folder.filePath(saveTo);
    if (saveTo == "folder")
        QVERIFY(QDir().mkdir(target));
    if (answer == vbYes)
        saveTo.isEmpty() ? m_doubles->dialogs.cancelFile() : m_doubles->dialogs.answerFile(target);

    if (exit)
        control<QAction>(*main, "mnuFileItems", 8)->trigger();
    else
        QCOMPARE(main->close(), left);

    const auto& asked = m_doubles->messages.messages();
    QVERIFY(!asked.empty() || answer == 0);
    if (answer != 0) {
        QCOMPARE(asked[0].text, QString("Would you like to save your work?"));
        QCOMPARE(asked[0].title, QString("Sayvanto"));
        QCOMPARE(asked[0].style & 7, int(vbYesNo));
    }
    if (saveTo == "folder")
        QCOMPARE(asked.back().title, QString("Error"));
    if (saveTo == "work.txt")
        QCOMPARE(fileBytes(target), QByteArray("unsaved\r\n"));
    QCOMPARE(exit ? ended == 1 : !main->isVisible(), left);
    QCOMPARE(m_doubles->messages.pending(), 0);
    QCOMPARE(m_doubles->dialogs.pending(), 0);
}

void TestMDIMainCommands::exitWritesSettingsFrameCloseDoesNot()
{
    const QString settings = m_doubles->folder.filePath("Settings.ini");
    int ended = 0;
    main->EndProgram = [&ended] { ++ended; };
    main->move(Twips::toPixelsX(300), Twips::toPixelsY(150));

    QVERIFY(QFile::remove(settings));
    QVERIFY(main->close());
    QVERIFY(!QFile::exists(settings));

    main->show();
    QVERIFY(QTest::qWaitForWindowExposed(main));
    QFile::remove(settings);
    QVERIFY(!QFile::exists(settings));
    control<QAction>(*main, "mnuFileItems", 8)->trigger();
    QCOMPARE(ended, 1);
    const QByteArray line = fileBytes(settings);
    QVERIFY2(line.endsWith(",300,150,65280,0,#TRUE#\r\n"), line.constData());
}

QTEST_MAIN(TestMDIMainCommands)
#include "tst_MDIMainCommands.moc"
