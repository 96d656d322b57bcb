#include "Controls.h"
#include "EditorDocument.h"
#include "EightBitCodePage.h"
#include "MDIMain.h"
#include "MessageBoxes.h"
#include "PdfPages.h"
#include "PdfPrinter.h"
#include "QtDialogService.h"
#include "ScriptedDialogs.h"
#include "ScriptedMessages.h"
#include "TemporaryFolder.h"
#include "TextDocumentMirror.h"
#include "Twips.h"
#include "WindowRegistry.h"
#include "frmEditor.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QInputMethodEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <clocale>
#include <memory>

namespace {

const QString question = QStringLiteral("Would you like to save your work?");
const QString cantSave = QStringLiteral("Can't save file.");
const QString cantOpen = QStringLiteral("Can't open file.");
// Stands for whatever description the platform gives a failed write.
const QString anyDescription = QStringLiteral("<description>");

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool storeIsEmpty()
{
    for (int slot = UndoStore::firstSlot; slot <= UndoStore::lastSlot; ++slot) {
        if (!editorDocument().UndoStrings.isEmpty(slot))
            return false;
    }
    return true;
}

// Sets LC_CTYPE for the life of the object.
class CharacterLocale {
public:
    explicit CharacterLocale(const char* name)
        : m_previous(std::setlocale(LC_CTYPE, nullptr))
        , m_set(std::setlocale(LC_CTYPE, name) != nullptr)
    {
    }
    ~CharacterLocale() { std::setlocale(LC_CTYPE, m_previous.constData()); }
    bool isSet() const { return m_set; }

private:
    QByteArray m_previous;
    bool m_set;
};

struct Picture {
    qsizetype white = 0;
    qsizetype dark = 0;
    qsizetype coloured = 0;
    qsizetype total = 0;
};

Picture analyse(const QImage& image)
{
    Picture picture;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const int high = qMax(c.red(), qMax(c.green(), c.blue()));
            const int low = qMin(c.red(), qMin(c.green(), c.blue()));
            picture.white += low > 230;
            picture.dark += high < 90;
            picture.coloured += high - low > 60;
            ++picture.total;
        }
    }
    return picture;
}

} // namespace

Q_DECLARE_METATYPE(TextEncoding)

class TestFrmEditor : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void typingRecordsTheTextBeforeEachKey();
    void keys_data();
    void keys();
    void composedCharacterRecords();
    void stepBackBeforeAnyRecord();
    void undoKeepsTheCaretAtTheChange_data();
    void undoKeepsTheCaretAtTheChange();
    void undoNeverSplitsACharacter();
    void undoKeepsTheView();
    void ring_data();
    void ring();
    void clearKeepsTheIndex();
    void recordsEnableSaving();
    void fileOperations_data();
    void fileOperations();
    void fileBytes_data();
    void fileBytes();
    void savingKeepsTheBytes_data();
    void savingKeepsTheBytes();
    void newDocumentIsWrittenAsNewFiles();
    void print_data();
    void print();

private:
    QString path(const QString& name) const { return name.isEmpty() ? QString() : m_folder->filePath(name); }
    void type(const QString& text);
    // Queues a file dialog's answer: "cancel", a name in the test folder, or nothing for none.
    void answerDialog(const QString& answer);
    QStringList messagesSince(std::size_t first) const;
    QString dialogKinds() const;
    QPlainTextEdit* sayText() const { return control<QPlainTextEdit>(*m_editor, "SayText"); }

    MDIMain* m_main = nullptr;
    frmEditor* m_editor = nullptr;
    ScriptedDialogs* m_dialogs = nullptr;
    ScriptedMessages* m_messages = nullptr;
    PdfPrinter* m_printer = nullptr;
    std::unique_ptr<QTemporaryDir> m_folder;
};

void TestFrmEditor::init()
{
    WindowRegistry::reset();
    resetEditorDocument();
    TemporaryFolder::install();
    m_dialogs = &ScriptedDialogs::install();
    m_messages = &ScriptedMessages::install();
    m_printer = &PdfPrinter::install();
    m_main = &WindowRegistry::get<MDIMain>();
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main));
    m_editor = &WindowRegistry::get<frmEditor>();
    sayText()->setFocus();
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
}

void TestFrmEditor::cleanup()
{
    QVERIFY(m_dialogs->unexpected().isEmpty());
    QCOMPARE(m_dialogs->pending(), 0);
    QVERIFY(m_messages->unexpected().isEmpty());
    QCOMPARE(m_messages->pending(), 0);
    WindowRegistry::reset();
    resetEditorDocument();
}

void TestFrmEditor::type(const QString& text)
{
    QTest::keyClicks(sayText(), text);
}

void TestFrmEditor::answerDialog(const QString& answer)
{
    if (answer == QLatin1String("cancel"))
        m_dialogs->cancelFile();
    else if (!answer.isEmpty())
        m_dialogs->answerFile(path(answer));
}

QStringList TestFrmEditor::messagesSince(std::size_t first) const
{
    QStringList texts;
    const auto& shown = m_messages->messages();
    for (std::size_t i = first; i < shown.size(); ++i) {
        const ScriptedMessages::Message& message = shown[i];
        if (message.text == question) {
            texts << message.text;
            if (message.title != QLatin1String("Sayvanto") || message.style != (vbYesNo | vbQuestion))
                texts << QStringLiteral("<wrong look of the question>");
            continue;
        }
        const bool known = message.text == cantSave || message.text == cantOpen;
        texts << (known || message.text.isEmpty() ? message.text : anyDescription);
        if (message.title != QLatin1String("Error") || message.style != vbCritical)
            texts << QStringLiteral("<wrong look of the error>");
    }
    return texts;
}

// The file dialogs shown, S for save and O for open, each with the editor's title and filter; a
// save dialog asks before it replaces a file.
QString TestFrmEditor::dialogKinds() const
{
    QString kinds;
    for (const FileDialogRequest& request : m_dialogs->fileRequests()) {
        const bool save = request.kind == FileDialogRequest::Kind::Save;
        kinds += save ? u'S' : u'O';
        // The open dialog offers the documents it reads after the text files' two entries.
        const QString textFilter = QStringLiteral("Text files (*.txt)|*.txt|All files (*.*)|*.*");
        const bool filterKept = save ? request.filter == textFilter : request.filter.startsWith(textFilter + u'|');
        if (request.title != QLatin1String("Speech Program") || !filterKept
            || (save && !(request.flags & QtDialogService::overwritePrompt)))
            kinds += u'?';
    }
    return kinds;
}

void TestFrmEditor::typingRecordsTheTextBeforeEachKey()
{
    type(QStringLiteral("ab"));
    const EditorDocument& document = editorDocument();
    QCOMPARE(sayText()->toPlainText(), QStringLiteral("ab"));
    QCOMPARE(document.UndoIndex, 2);
    QCOMPARE(document.UndoStrings.at(1), QString());
    QCOMPARE(document.UndoStrings.at(2), QStringLiteral("a"));
    QVERIFY(document.UndoStrings.isEmpty(3));
    QVERIFY(document.TextModified);

    m_editor->UndoMe_Click();
    QCOMPARE(sayText()->toPlainText(), QString());
    QCOMPARE(document.UndoIndex, 1);
    m_editor->RedoUndoString();
    QCOMPARE(sayText()->toPlainText(), QStringLiteral("a"));
    QCOMPARE(document.UndoIndex, 2);
    m_editor->RedoUndoString();
    QCOMPARE(sayText()->toPlainText(), QStringLiteral("a"));
    QCOMPARE(document.UndoIndex, 2);
}

void TestFrmEditor::keys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("atStart");
    QTest::addColumn<bool>("records");
    QTest::addColumn<QString>("text");
    QTest::addRow("letter") << int(Qt::Key_C) << 0 << false << true << "abc";
    QTest::addRow("Enter") << int(Qt::Key_Return) << 0 << false << true << "ab\n";
    QTest::addRow("Backspace") << int(Qt::Key_Backspace) << 0 << false << true << "a";
    QTest::addRow("Backspace at the start") << int(Qt::Key_Backspace) << 0 << true << true << "ab";
    QTest::addRow("arrow") << int(Qt::Key_Left) << 0 << false << false << "ab";
    QTest::addRow("Shift") << int(Qt::Key_Shift) << int(Qt::ShiftModifier) << false << false << "ab";
    QTest::addRow("Ctrl+A") << int(Qt::Key_A) << int(Qt::ControlModifier) << false << false << "ab";
}

void TestFrmEditor::keys()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(bool, atStart);
    QFETCH(bool, records);
    QFETCH(QString, text);
    sayText()->setPlainText(QStringLiteral("ab"));
    sayText()->moveCursor(atStart ? QTextCursor::Start : QTextCursor::End);
    QTest::keyClick(sayText(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    const EditorDocument& document = editorDocument();
    QCOMPARE(sayText()->toPlainText(), text);
    QCOMPARE(document.UndoIndex, records ? 1 : 0);
    QCOMPARE(document.TextModified, records);
    QCOMPARE(document.UndoStrings.at(1), records ? QStringLiteral("ab") : QString());
}

void TestFrmEditor::composedCharacterRecords()
{
    type(QStringLiteral("a"));
    QInputMethodEvent composed;
    composed.setCommitString(QStringLiteral("\u00e9"));
    QApplication::sendEvent(sayText(), &composed);
    QCOMPARE(sayText()->toPlainText(), QStringLiteral("a\u00e9"));
    QCOMPARE(editorDocument().UndoIndex, 2);
    QCOMPARE(editorDocument().UndoStrings.at(2), QStringLiteral("a"));
}

void TestFrmEditor::stepBackBeforeAnyRecord()
{
    sayText()->setPlainText(QStringLiteral("never recorded"));
    m_editor->UndoMe_Click();
    QCOMPARE(editorDocument().UndoIndex, 1);
    QCOMPARE(sayText()->toPlainText(), QString());
    QVERIFY(editorDocument().TextModified);
}

// Undo and Redo change only what differs, so the caret stands where the change was and typing
// goes on there: "hello world", Undo, "X" gives "hello worX".
void TestFrmEditor::undoKeepsTheCaretAtTheChange_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("caretBefore"); // where the caret is put before the last two keys
    QTest::addColumn<QString>("steps"); // U undo, R redo, through the Edit menu and the toolbar
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("typedAfter");
    QTest::addColumn<QString>("result");
    QTest::addRow("at the end") << "hello world" << -1 << "U"
                                << "hello wor"
                                << "X"
                                << "hello worX";
    QTest::addRow("in the middle") << "one three" << 4 << "U"
                                   << "one ree"
                                   << "X"
                                   << "one Xree";
    QTest::addRow("redo") << "hello world" << -1 << "UUR"
                          << "hello wor"
                          << "X"
                          << "hello worX";
}

void TestFrmEditor::undoKeepsTheCaretAtTheChange()
{
    QFETCH(QString, typed);
    QFETCH(int, caretBefore);
    QFETCH(QString, steps);
    QFETCH(QString, after);
    QFETCH(QString, typedAfter);
    QFETCH(QString, result);
    QPlainTextEdit& box = *sayText();
    if (caretBefore < 0) {
        type(typed);
    } else {
        // The last two keys are typed at caretBefore; the first step back undoes both.
        const QString start = typed.left(caretBefore) + typed.mid(caretBefore + 2);
        type(start);
        QTextCursor caret = box.textCursor();
        caret.setPosition(caretBefore);
        box.setTextCursor(caret);
        type(typed.mid(caretBefore, 2));
        QCOMPARE(box.toPlainText(), typed);
    }
    for (const QChar step : steps) {
        if (step == u'U')
            control<QAction>(*m_main, "mnuEditItems", 0)->trigger();
        else
            m_main->ToolbarA_ButtonClick(QStringLiteral("Redo"));
    }
    QCOMPARE(box.toPlainText(), after);
    type(typedAfter);
    QCOMPARE(box.toPlainText(), result);
}

// Texts that differ only in the first half of a surrogate pair (U+1F200 and U+1F600 share the
// second): the caret goes after the whole character, never between its halves.
void TestFrmEditor::undoNeverSplitsACharacter()
{
    QPlainTextEdit& box = *sayText();
    const QString square = QStringLiteral("x\U0001F200");
    box.setPlainText(square + u'a');
    m_editor->SetUndoString();
    box.setPlainText(QStringLiteral("x\U0001F600a"));
    m_editor->SetUndoString();
    m_editor->UndoMe_Click();
    QCOMPARE(box.toPlainText(), square + u'a');
    QCOMPARE(box.textCursor().position(), 3);
    type(QStringLiteral("X"));
    QCOMPARE(box.toPlainText(), square + QStringLiteral("Xa"));
}

// A long text scrolled to its middle in both directions stays there after Undo and Redo (the
// changed line is not the widest, whose length would set how far the view can go).
void TestFrmEditor::undoKeepsTheView()
{
    QPlainTextEdit& box = *sayText();
    QStringList lines;
    for (int i = 0; i < 300; ++i)
        lines << QStringLiteral("line %1 ").arg(i) + QString(i == 10 ? 400 : 200, u'w'); // not the widest line
    box.setPlainText(lines.join(u'\n'));
    QTextCursor caret(box.document()->findBlockByNumber(150));
    caret.movePosition(QTextCursor::EndOfBlock);
    box.setTextCursor(caret);
    box.ensureCursorVisible();
    const int end = caret.position();
    type(QStringLiteral("abc"));
    const int top = box.verticalScrollBar()->value();
    const int left = box.horizontalScrollBar()->value();
    QVERIFY(top > 100 && left > 0);

    control<QAction>(*m_main, "mnuEditItems", 0)->trigger();
    QCOMPARE(box.document()->findBlockByNumber(150).text().right(2), QStringLiteral("wa"));
    QCOMPARE(box.textCursor().position(), end + 1);
    QCOMPARE(box.verticalScrollBar()->value(), top);
    QCOMPARE(box.horizontalScrollBar()->value(), left);
    m_main->ToolbarA_ButtonClick(QStringLiteral("Redo"));
    QCOMPARE(box.document()->findBlockByNumber(150).text().right(2), QStringLiteral("ab"));
    QCOMPARE(box.textCursor().position(), end + 2);
    QCOMPARE(box.verticalScrollBar()->value(), top);
    QCOMPARE(box.horizontalScrollBar()->value(), left);
}

void TestFrmEditor::ring_data()
{
    QTest::addColumn<int>("presses");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("indexAfterUndo");
    QTest::addColumn<int>("lengthAfterUndo");
    // Press k records the k - 1 letters before it; slot 1 is overwritten by press 100.
    QTest::addRow("99th press") << 99 << 99 << 98 << 97;
    QTest::addRow("100th press") << 100 << 1 << 1 << 99;
    QTest::addRow("150th press") << 150 << 51 << 50 << 148;
}

void TestFrmEditor::ring()
{
    QFETCH(int, presses);
    QFETCH(int, index);
    QFETCH(int, indexAfterUndo);
    QFETCH(int, lengthAfterUndo);
    type(QString(presses, u'x'));
    EditorDocument& document = editorDocument();
    QCOMPARE(document.UndoIndex, index);
    QCOMPARE(document.UndoStrings.at(index), QString(presses - 1, u'x'));
    QVERIFY(document.UndoStrings.isEmpty(100));
    // Forward from here finds the next slot empty (slot 100 after the 99th), or a text of the ring.
    if (index == 99) {
        m_editor->RedoUndoString();
        QCOMPARE(document.UndoIndex, 99);
        QCOMPARE(sayText()->toPlainText(), QString(presses, u'x'));
    }
    m_editor->UndoMe_Click();
    QCOMPARE(document.UndoIndex, indexAfterUndo);
    QCOMPARE(sayText()->toPlainText(), QString(lengthAfterUndo, u'x'));
}

void TestFrmEditor::clearKeepsTheIndex()
{
    type(QStringLiteral("abcde"));
    m_editor->ClearUndoString();
    QCOMPARE(editorDocument().UndoIndex, 5);
    QVERIFY(storeIsEmpty());
    type(QStringLiteral("f"));
    QCOMPARE(editorDocument().UndoIndex, 6);
    m_editor->UndoMe_Click();
    QCOMPARE(editorDocument().UndoIndex, 5);
    QCOMPARE(sayText()->toPlainText(), QString());
    m_editor->RedoUndoString();
    QCOMPARE(editorDocument().UndoIndex, 6);
    QCOMPARE(sayText()->toPlainText(), QStringLiteral("abcde"));
}

void TestFrmEditor::recordsEnableSaving()
{
    QAction* save = control<QAction>(*m_main, "mnuFileItems", 2);
    QAction* saveAs = control<QAction>(*m_main, "mnuFileItems", 3);
    m_editor->NewFile();
    QVERIFY(!save->isEnabled());
    saveAs->setEnabled(false);
    type(QStringLiteral("a"));
    QVERIFY(save->isEnabled());
    QVERIFY(saveAs->isEnabled());
}

void TestFrmEditor::fileOperations_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("startName"); // "new": the document of a New
    QTest::addColumn<bool>("modified");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("dialogAnswers");
    QTest::addColumn<QString>("dialogs");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("modifiedAfter");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<bool>("cleared");
    QTest::addColumn<bool>("saveEnabled");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<QString>("written");
    QTest::addColumn<bool>("mayLeave"); // what OfferToSaveWork answers
    const QString opened = QStringLiteral("Opened\nfile\n");
    const QString b = QStringLiteral("before.txt");
    const QString c = QStringLiteral("chosen.txt");
    const QString s = QStringLiteral("saved.txt");
    const QString t = QStringLiteral("typed");
    const QStringList none;
    const QStringList q { question };
    const int yes = vbYes;
    const int no = vbNo;
    using L = QStringList;
    // clang-format off
    QTest::addRow("Open saved work") << "Open" << b << false << 0 << L { "doc.txt" } << "O" << opened << false << "doc.txt" << true << false << none << "" << true;
    QTest::addRow("Open saved work, cancelled") << "Open" << b << false << 0 << L { "cancel" } << "O" << t << false << b << false << false << none << "" << true;
    QTest::addRow("Open saved work, read fails") << "Open" << b << false << 0 << L { "absent.txt" } << "O" << t << false << b << false << false << L { cantOpen } << "" << true;
    QTest::addRow("Open, Yes, saved, opens") << "Open" << b << true << yes << L { s, "doc.txt" } << "SO" << opened << false << "doc.txt" << true << true << q << s << true;
    QTest::addRow("Open, Yes, saved, open cancelled") << "Open" << b << true << yes << L { s, "cancel" } << "SO" << t << false << s << true << true << q << s << true;
    QTest::addRow("Open, Yes, saved, read fails") << "Open" << b << true << yes << L { s, "absent.txt" } << "SO" << t << false << s << true << true << L { question, cantOpen } << s << true;
    QTest::addRow("Open, Yes, save cancelled") << "Open" << b << true << yes << L { "cancel" } << "S" << t << true << b << false << false << q << "" << true;
    QTest::addRow("Open, Yes, write fails") << "Open" << b << true << yes << L { "missing/saved.txt" } << "S" << t << true << b << false << false << L { question, cantSave } << "" << true;
    QTest::addRow("Open, No, opens") << "Open" << b << true << no << L { "doc.txt" } << "O" << opened << false << "doc.txt" << true << true << q << "" << true;
    QTest::addRow("Open, No, cancelled") << "Open" << b << true << no << L { "cancel" } << "O" << t << true << b << false << false << q << "" << true;
    QTest::addRow("Open, No, read fails") << "Open" << b << true << no << L { "absent.txt" } << "O" << t << true << b << false << false << L { question, cantOpen } << "" << true;
    QTest::addRow("New on saved work") << "New" << b << false << 0 << none << "" << "" << false << b << true << false << none << "" << true;
    QTest::addRow("New, Yes, saved") << "New" << b << true << yes << L { s } << "S" << "" << false << b << true << false << q << s << true;
    QTest::addRow("New, Yes, cancelled") << "New" << b << true << yes << L { "cancel" } << "S" << t << true << b << false << false << q << "" << true;
    QTest::addRow("New, Yes, write fails") << "New" << b << true << yes << L { "missing/saved.txt" } << "S" << t << true << b << false << false << L { question, cantSave } << "" << true;
    QTest::addRow("New, No") << "New" << b << true << no << none << "" << "" << false << b << true << false << q << "" << true;
    QTest::addRow("Save to the file") << "Save" << b << true << 0 << none << "" << t << false << b << false << false << none << b << true;
    QTest::addRow("Save without a file") << "Save" << "" << true << 0 << L { c } << "S" << t << false << c << true << false << none << c << true;
    QTest::addRow("Save after New") << "Save" << "new" << true << 0 << L { c } << "S" << t << false << c << true << false << none << c << true;
    QTest::addRow("Save fails") << "Save" << "missing/before.txt" << true << 0 << none << "" << t << true << "missing/before.txt" << false << false << L { anyDescription } << "" << true;
    QTest::addRow("Save As") << "SaveAs" << b << true << 0 << L { c } << "S" << t << false << c << true << false << none << c << true;
    QTest::addRow("Save As cancelled") << "SaveAs" << b << true << 0 << L { "cancel" } << "S" << t << true << b << false << false << none << "" << true;
    QTest::addRow("Save As fails") << "SaveAs" << b << true << 0 << L { "missing/chosen.txt" } << "S" << t << true << b << false << false << L { cantOpen } << "" << true;
    QTest::addRow("Leave saved work") << "Leave" << b << false << 0 << none << "" << t << false << b << false << false << none << "" << true;
    QTest::addRow("Leave, Yes, saved") << "Leave" << b << true << yes << L { s } << "S" << t << true << b << false << false << q << s << true;
    QTest::addRow("Leave, Yes, cancelled") << "Leave" << b << true << yes << L { "cancel" } << "S" << t << true << b << false << false << q << "" << false;
    QTest::addRow("Leave, Yes, write fails") << "Leave" << b << true << yes << L { "missing/saved.txt" } << "S" << t << true << b << false << false << L { question, cantSave } << "" << false;
    // clang-format on
}

void TestFrmEditor::fileOperations()
{
    QFETCH(QString, operation);
    QFETCH(QString, startName);
    QFETCH(bool, modified);
    QFETCH(int, answer);
    QFETCH(QStringList, dialogAnswers);
    QFETCH(QString, dialogs);
    QFETCH(QString, text);
    QFETCH(bool, modifiedAfter);
    QFETCH(QString, fileName);
    QFETCH(bool, cleared);
    QFETCH(bool, saveEnabled);
    QFETCH(QStringList, messages);
    QFETCH(QString, written);
    QFETCH(bool, mayLeave);
    QFile doc(path(QStringLiteral("doc.txt")));
    QVERIFY(doc.open(QIODevice::WriteOnly));
    doc.write("Opened\r\nfile\r\n");
    doc.close();
    EditorDocument& document = editorDocument();
    document.EditorFileName = path(startName == QLatin1String("new") ? QStringLiteral("before.txt") : startName);
    if (startName == QLatin1String("new"))
        m_editor->NewFile();
    type(QStringLiteral("typed"));
    document.TextModified = modified;
    control<QAction>(*m_main, "mnuFileItems", 2)->setEnabled(false);
    if (answer)
        m_messages->answer(answer);
    for (const QString& dialogAnswer : dialogAnswers)
        answerDialog(dialogAnswer);
    const std::size_t shown = m_messages->messages().size();
    const int index = document.UndoIndex;

    bool left = true;
    if (operation == QLatin1String("Open"))
        m_editor->OpenFile();
    else if (operation == QLatin1String("New"))
        m_editor->NewFile();
    else if (operation == QLatin1String("Save"))
        m_editor->SaveFile();
    else if (operation == QLatin1String("SaveAs"))
        m_editor->SaveAsFile();
    else
        left = m_editor->OfferToSaveWork();
    QCOMPARE(left, mayLeave);
    QCOMPARE(dialogKinds(), dialogs);
    QCOMPARE(messagesSince(shown), messages);
    QCOMPARE(sayText()->toPlainText(), text);
    QCOMPARE(document.TextModified, modifiedAfter);
    QCOMPARE(document.EditorFileName, path(fileName));
    QCOMPARE(storeIsEmpty(), cleared);
    QCOMPARE(document.UndoIndex, index);
    QCOMPARE(control<QAction>(*m_main, "mnuFileItems", 2)->isEnabled(), saveEnabled);
    if (!written.isEmpty())
        QCOMPARE(contentOf(path(written)), QByteArray("typed\r\n"));
    if (written != QLatin1String("before.txt"))
        QVERIFY(!QFile::exists(path(QStringLiteral("before.txt"))));
}

void TestFrmEditor::fileBytes_data()
{
    QTest::addColumn<QByteArray>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reopened");
    const QString accented = QStringLiteral("Zeile eins\nZweite: \u00e9 \u00df");
    QTest::addRow("C locale, Latin-1") << QByteArray("C") << accented
                                       << QByteArray("Zeile eins\r\nZweite: \xe9 \xdf\r\n") << accented + u'\n';
    QTest::addRow("C locale, ends with a line end")
        << QByteArray("C") << QStringLiteral("one\n") << QByteArray("one\r\n") << QStringLiteral("one\n");
    QTest::addRow("C locale, empty") << QByteArray("C") << QString() << QByteArray("\r\n") << QStringLiteral("\n");
    // Every byte but the line ends is one character of Windows-1252 there, and comes back as it was.
    QByteArray everyByte;
    for (int code = 1; code < 256; ++code) {
        if (code != '\r' && code != '\n')
            everyByte += char(code);
    }
    const QString everyCharacter = EightBitCodePage::windows1252().decode(everyByte);
    QTest::addRow("C locale, every byte") << QByteArray("C") << everyCharacter << everyByte + "\r\n"
                                          << everyCharacter + u'\n';
    QTest::addRow("C locale, euro of Windows-1252") << QByteArray("C") << QStringLiteral("\u20ac5")
                                                    << QByteArray("\x80"
                                                                  "5\r\n")
                                                    << QStringLiteral("\u20ac5\n");
    // Nothing is replaced by '?': a text the code page cannot hold is written as UTF-8.
    QTest::addRow("C locale, beyond Windows-1252")
        << QByteArray("C") << QStringLiteral("\u2192 \u00e9") << QByteArray("\xe2\x86\x92 \xc3\xa9\r\n")
        << QStringLiteral("\u2192 \u00e9\n");
    QTest::addRow("UTF-8 locale") << QByteArray("C.UTF-8") << accented
                                  << QByteArray("Zeile eins\r\nZweite: \xc3\xa9 \xc3\x9f\r\n") << accented + u'\n';
}

void TestFrmEditor::fileBytes()
{
    QFETCH(QByteArray, locale);
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reopened);
    const CharacterLocale characters(locale.constData());
    if (!characters.isSet())
        QSKIP("The locale is not installed.");
    sayText()->setPlainText(text);
    const QString file = path(QStringLiteral("text.txt"));
    m_dialogs->answerFile(file);
    m_editor->SaveAsFile();
    QCOMPARE(contentOf(file), bytes);

    m_dialogs->answerFile(file);
    m_editor->OpenFile();
    QCOMPARE(TextDocumentMirror::plainText(*sayText()->document()), reopened);
    m_editor->SaveFile();
    QCOMPARE(contentOf(file), bytes);
}

void TestFrmEditor::savingKeepsTheBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("typed"); // added at the end before saving
    QTest::addColumn<QByteArray>("saved");
    QTest::addColumn<TextEncoding>("encoding");
    const QString cafe = QStringLiteral("Caf\u00e9 cr\u00e8me br\u00fbl\u00e9e\nna\u00efve\n");
    const QByteArray latin1 = "Caf\xe9 cr\xe8me br\xfbl\xe9\x65\r\nna\xefve\r\n";
    const QByteArray utf8 = "Caf\xc3\xa9 cr\xc3\xa8me br\xc3\xbbl\xc3\xa9\x65\r\nna\xc3\xafve\r\n";
    const QByteArray bom = "\xef\xbb\xbf";
    QTest::addRow("Latin-1") << latin1 << cafe << "" << latin1 << TextEncoding::CodePage;
    const QByteArray windows1252 = "\x93"
                                   "Caf\xe9\x94 \x80 5 \x85 \x8a\x9a\x9f \x81\x8d\x8f\x90\x9d\r\n";
    QTest::addRow("Windows-1252")
        << windows1252
        << QStringLiteral("\u201cCaf\u00e9\u201d \u20ac 5 \u2026 \u0160\u0161\u0178 \u0081\u008d\u008f\u0090\u009d\n")
        << "" << windows1252 << TextEncoding::CodePage;
    QTest::addRow("UTF-8") << utf8 << cafe << "" << utf8 << TextEncoding::Utf8;
    QTest::addRow("UTF-8 with byte order mark") << bom + utf8 << cafe << "" << bom + utf8 << TextEncoding::Utf8WithBom;
    const QByteArray mixed = "Caf\xc3\xa9 cr\xe8me\r\n";
    QTest::addRow("mixed bytes") << mixed << QStringLiteral("Caf\u00c3\u00a9 cr\u00e8me\n") << "" << mixed
                                 << TextEncoding::CodePage;
    QByteArray everyByte;
    for (int code = 1; code < 256; ++code) {
        if (code != '\r' && code != '\n')
            everyByte += char(code);
    }
    everyByte += "\r\n";
    QTest::addRow("every byte") << everyByte << EightBitCodePage::windows1252().decode(everyByte).remove(u'\r') << ""
                                << everyByte << TextEncoding::CodePage;
    QTest::addRow("Latin-1, typed in the code page")
        << latin1 << cafe << QStringLiteral("\u00e0 \u20ac") << latin1 + "\xe0 \x80\r\n"
        << TextEncoding::CodePage;
    QTest::addRow("Latin-1, typed beyond the code page")
        << latin1 << cafe << QStringLiteral("\u2192") << utf8 + "\xe2\x86\x92\r\n"
        << TextEncoding::Utf8;
    QTest::addRow("UTF-8 with byte order mark, typed")
        << bom + utf8 << cafe << QStringLiteral("\u00e0") << bom + utf8 + "\xc3\xa0\r\n"
        << TextEncoding::Utf8WithBom;
}

// Opened with the dialog, shown as the characters it holds, saved without a question: the file
// is the same bytes (or, after an edit, the bytes of the edited text in the same encoding). Save
// As to another name writes the same bytes there.
void TestFrmEditor::savingKeepsTheBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, shown);
    QFETCH(QString, typed);
    QFETCH(QByteArray, saved);
    QFETCH(TextEncoding, encoding);
    const QString file = path(QStringLiteral("opened.txt"));
    QFile written(file);
    QVERIFY(written.open(QIODevice::WriteOnly));
    QCOMPARE(written.write(bytes), bytes.size());
    written.close();

    m_dialogs->answerFile(file);
    m_editor->OpenFile();
    QCOMPARE(TextDocumentMirror::plainText(*sayText()->document()), shown);
    QCOMPARE(editorDocument().EditorFileName, file);
    sayText()->moveCursor(QTextCursor::End);
    sayText()->insertPlainText(typed);
    m_editor->SaveFile();
    QCOMPARE(contentOf(file), saved);
    QCOMPARE(editorDocument().FileEncoding, std::optional<TextEncoding>(encoding));

    const QString copy = path(QStringLiteral("copy.txt"));
    m_dialogs->answerFile(copy);
    m_editor->SaveAsFile();
    QCOMPARE(contentOf(copy), saved);
    QCOMPARE(contentOf(file), saved);
}

// New forgets the encoding of the file before: the new text is written as new files are.
void TestFrmEditor::newDocumentIsWrittenAsNewFiles()
{
    const CharacterLocale characters("C.UTF-8");
    const QString latin1 = path(QStringLiteral("latin1.txt"));
    QFile written(latin1);
    QVERIFY(written.open(QIODevice::WriteOnly));
    written.write("caf\xe9\r\n");
    written.close();
    m_dialogs->answerFile(latin1);
    m_editor->OpenFile();
    QCOMPARE(sayText()->toPlainText(), QStringLiteral("caf\u00e9\n"));

    m_editor->NewFile();
    sayText()->insertPlainText(QStringLiteral("th\u00e9"));
    const QString fresh = path(QStringLiteral("new.txt"));
    m_dialogs->answerFile(fresh);
    m_editor->SaveFile();
    QCOMPARE(contentOf(fresh), QByteArray("th\xc3\xa9\r\n"));
    QCOMPARE(contentOf(latin1), QByteArray("caf\xe9\r\n"));
}

void TestFrmEditor::print_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<int>("heightTwips"); // of the window; 0 leaves it as laid out
    QTest::addRow("printed") << QString() << 0;
    // Taller than a 16-bit count of twips can hold.
    QTest::addRow("tall text box") << QString() << 40000;
    QTest::addRow("printer fails") << QStringLiteral("The printer is out of paper.") << 0;
}

void TestFrmEditor::print()
{
    QFETCH(QString, failure);
    QFETCH(int, heightTwips);
    if (heightTwips) {
        m_editor->resize(m_editor->width(), Twips::toPixelsY(heightTwips));
        QVERIFY(Twips::fromPixelsY(sayText()->height()) > 32767);
    }
    type(QStringLiteral("Hello printer"));
    const QRect geometry = m_editor->geometry();
    const QColor background = m_editor->widget()->palette().color(QPalette::Window);
    if (!failure.isEmpty())
        m_printer->failNext(failure);
    const std::size_t shown = m_messages->messages().size();
    m_editor->PrintFile();

    QCOMPARE(messagesSince(shown), failure.isEmpty() ? QStringList() : QStringList { anyDescription });
    if (!failure.isEmpty())
        QCOMPARE(m_messages->messages().back().text, failure);
    // The look of the window comes back, printed or not.
    const QPalette box = sayText()->palette();
    QCOMPARE(box.color(QPalette::Text), QColor(0, 255, 0));
    QCOMPARE(box.color(QPalette::Base), QColor(0, 0, 0));
    QCOMPARE(sayText()->frameShape(), QFrame::StyledPanel);
    QCOMPARE(m_editor->widget()->palette().color(QPalette::Window), background);
    QVERIFY(!m_editor->isMaximized());
    QCOMPARE(m_editor->geometry(), geometry);
    QCOMPARE(sayText()->height(), Twips::toPixelsY(Twips::fromPixelsY(geometry.height()) - 1600));
    QCOMPARE(sayText()->toPlainText(), QStringLiteral("Hello printer"));
    QCOMPARE(editorDocument().UndoIndex, 13);

    QCOMPARE(m_printer->files().size(), failure.isEmpty() ? 1 : 0);
    if (!failure.isEmpty())
        return;
    const QByteArray pdf = contentOf(m_printer->files().front());
    QCOMPARE(PdfPages::pageCount(pdf), 1);
    const QImage page = PdfPages::firstImage(pdf);
    QVERIFY(!page.isNull());
    const Picture picture = analyse(page);
    QVERIFY2(picture.white > picture.total * 9 / 10, qPrintable(QString::number(picture.white)));
    QVERIFY2(picture.dark > 30, qPrintable(QString::number(picture.dark)));
    QVERIFY2(picture.coloured < picture.total / 1000, qPrintable(QString::number(picture.coloured)));
}

QTEST_MAIN(TestFrmEditor)
#include "tst_frmEditor.moc"
