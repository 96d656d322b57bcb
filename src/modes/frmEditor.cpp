#include "frmEditor.h"

#include "DocumentOpening.h"
#include "EditorDocument.h"
#include "EditorTextBox.h"
#include "EditorTextFile.h"
#include "MessageBoxes.h"
#include "PlatformError.h"
#include "PrintLook.h"
#include "QtDialogService.h"
#include "SpokenTextHighlighter.h"
#include "TextBoxColors.h"
#include "TextDifference.h"
#include "TextDocumentMirror.h"
#include "Twips.h"
#include "TypedSentence.h"
#include "WindowRegistry.h"

#include <QDir>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

namespace {

const QString questionTitle = QStringLiteral("Sayvanto");
const QString errorTitle = QStringLiteral("Error");
const QString saveQuestion = QStringLiteral("Would you like to save your work?");
const QString cantSave = QStringLiteral("Can't save file.");
const QString cantOpen = QStringLiteral("Can't open file.");
const QString textFilter = QStringLiteral("Text files (*.txt)|*.txt|All files (*.*)|*.*");
// The open dialog also offers the documents the editor reads, after the text files' two entries.
const QString openFilter = textFilter
    + QStringLiteral("|HTML pages (*.html;*.htm;*.xhtml)|*.html;*.htm;*.xhtml|EPUB books (*.epub)|*.epub"
                     "|OpenDocument text (*.odt)|*.odt|Word documents (*.docx)|*.docx|PDF documents (*.pdf)|*.pdf"
                     "|Markdown (*.md)|*.md");

// A record after slot 99 goes back to slot 1, so slot 100 is never written.
constexpr int ringEnd = 100;

} // namespace

frmEditor::frmEditor()
    : QMdiSubWindow(nullptr, Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmEditor"));
    setWindowTitle(QStringLiteral("Form1"));
    auto* client = new QWidget;
    setWidget(client);

    auto* box = new EditorTextBox(client);
    SayText = box;
    SayText->setObjectName(QStringLiteral("SayText"));
    SayText->setAccessibleName(tr("Text to speak"));
    SayText->move(Twips::toPixelsX(180), Twips::toPixelsY(300));
    // Both scroll bars, as a box with a horizontal bar does not wrap its lines.
    SayText->setLineWrapMode(QPlainTextEdit::NoWrap);
    SayText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    SayText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette colours = SayText->palette();
    colours.setColor(QPalette::Base, QColor(0, 0, 0));
    colours.setColor(QPalette::Text, QColor(0, 255, 0));
    SayText->setPalette(colours);

    Dialogs.DialogTitle = QStringLiteral("Speech Program");
    Dialogs.Filter = textFilter;
    Dialogs.FilterIndex = 1;

    m_text = std::make_unique<TextDocumentMirror>(*SayText->document());
    connect(box, &EditorTextBox::characterKey, this, &frmEditor::SayText_KeyPress);
    connect(box, &EditorTextBox::characterKey, this, &frmEditor::watchForSentenceEnd);
    m_spokenText = new SpokenTextHighlighter(*SayText);

    resize(Twips::toPixelsX(6685), Twips::toPixelsY(7200));
}

frmEditor::~frmEditor() = default;

void frmEditor::Form_Load()
{
    SayText->resize(width(), height());
}

void frmEditor::Form_Resize()
{
    const int width = Twips::fromPixelsX(this->width()) - 200;
    const int height = Twips::fromPixelsY(this->height()) - 1600;
    // A page smaller than the margins leaves an empty box rather than a failure.
    SayText->resize(Twips::toPixelsX(qMax(width, 0)), Twips::toPixelsY(qMax(height, 0)));
}

void frmEditor::resizeEvent(QResizeEvent* event)
{
    QMdiSubWindow::resizeEvent(event);
    Form_Resize();
}

void frmEditor::SayText_KeyPress(int)
{
    SetUndoString();
}

void frmEditor::SetUndoString()
{
    EditorDocument& document = editorDocument();
    ++document.UndoIndex;
    if (document.UndoIndex == ringEnd)
        document.UndoIndex = 1;
    // An index outside the slots stores nothing, and the record goes on.
    document.UndoStrings.set(document.UndoIndex, m_text->text());
    document.TextModified = true;
    emit saveAvailable(true);
    emit saveAsAvailable(true);
}

void frmEditor::UndoMe_Click()
{
    EditorDocument& document = editorDocument();
    document.UndoIndex = qMax(document.UndoIndex - 1, 1);
    showStoredText(document.UndoStrings.at(document.UndoIndex));
    document.TextModified = true;
}

void frmEditor::RedoUndoString()
{
    EditorDocument& document = editorDocument();
    ++document.UndoIndex;
    if (document.UndoStrings.isEmpty(document.UndoIndex)) {
        --document.UndoIndex;
        return;
    }
    showStoredText(document.UndoStrings.at(document.UndoIndex));
    document.TextModified = true;
}

// Only the span that differs is replaced, so the caret stands at the end of the change and the
// view stays where it was unless the caret would leave it.
void frmEditor::showStoredText(const QString& stored)
{
    const TextDifference change = TextDifference::between(text(), stored);
    QScrollBar* across = SayText->horizontalScrollBar();
    QScrollBar* down = SayText->verticalScrollBar();
    const int left = across->value();
    const int top = down->value();
    QTextCursor cursor(SayText->document());
    cursor.setPosition(static_cast<int>(change.position));
    cursor.setPosition(static_cast<int>(change.position + change.removed), QTextCursor::KeepAnchor);
    cursor.insertText(change.inserted);
    SayText->setTextCursor(cursor);
    across->setValue(left);
    down->setValue(top);
    SayText->ensureCursorVisible();
}

void frmEditor::ClearUndoString()
{
    editorDocument().UndoStrings.clear();
}

void frmEditor::OpenFile()
{
    EditorDocument& document = editorDocument();
    if (!document.TextModified) {
        openChosenFile(false);
        return;
    }
    if (!askToSave()) {
        openChosenFile(true);
        return;
    }
    const std::optional<QString> saved = saveCopy();
    if (!saved)
        return;
    document.TextModified = false;
    document.EditorFileName = *saved;
    document.Untitled = false;
    emit saveAvailable(true);
    // With the work saved this goes straight to the open dialog; the store is cleared however it ends.
    OpenFile();
    ClearUndoString();
}

void frmEditor::openChosenFile(bool enableSave)
{
    const std::optional<QString> name = chooseFile(FileDialog::Open);
    if (!name)
        return;
    DocumentOpening opening(*name, this);
    if (opening.kind() != DocumentKind::Text) {
        openDocument(*name, opening);
        return;
    }
    LocaleTextCodec::DecodedText content;
    try {
        content = EditorTextFile::read(*name);
    } catch (const PlatformError&) {
        MsgBox(cantOpen, vbCritical, errorTitle, this);
        return;
    }
    SayText->setPlainText(content.text);
    EditorDocument& document = editorDocument();
    document.TextModified = false;
    document.EditorFileName = *name;
    document.Untitled = false;
    document.FileEncoding = content.encoding;
    document.ProposedName.clear();
    if (enableSave)
        emit saveAvailable(true);
    ClearUndoString();
}

// A document is never written back: its text becomes a new, unsaved text, which Save offers to
// keep beside it as a text file of the same name.
void frmEditor::openDocument(const QString& name, DocumentOpening& opening)
{
    std::optional<QString> text;
    try {
        text = opening.read();
    } catch (const PlatformError&) {
        MsgBox(cantOpen, vbCritical, errorTitle, this);
        return;
    }
    if (!text)
        return;
    SayText->setPlainText(*text);
    EditorDocument& document = editorDocument();
    document.TextModified = true;
    document.Untitled = true;
    document.FileEncoding.reset();
    const QFileInfo file(name);
    document.ProposedName = file.dir().filePath(file.completeBaseName() + QStringLiteral(".txt"));
    emit saveAvailable(true);
    emit saveAsAvailable(true);
    ClearUndoString();
}

void frmEditor::NewFile()
{
    EditorDocument& document = editorDocument();
    if (document.TextModified && askToSave() && !saveCopy())
        return;
    SayText->clear();
    document.TextModified = false;
    document.Untitled = true;
    document.ProposedName.clear();
    document.FileEncoding.reset();
    emit saveAvailable(false);
    ClearUndoString();
}

void frmEditor::SaveFile()
{
    EditorDocument& document = editorDocument();
    if (document.EditorFileName.isEmpty() || document.Untitled) {
        SaveAsFile();
        return;
    }
    try {
        writeText(document.EditorFileName);
    } catch (const PlatformError& error) {
        MsgBox(error.description(), vbCritical, errorTitle, this);
        return;
    }
    document.TextModified = false;
}

void frmEditor::SaveAsFile()
{
    const std::optional<QString> name = chooseFile(FileDialog::Save);
    if (!name)
        return;
    try {
        writeText(*name);
    } catch (const PlatformError&) {
        MsgBox(cantOpen, vbCritical, errorTitle, this);
        return;
    }
    EditorDocument& document = editorDocument();
    document.EditorFileName = *name;
    document.TextModified = false;
    document.Untitled = false;
    document.ProposedName.clear();
    ClearUndoString();
}

void frmEditor::PrintFile()
{
    try {
        // The look is restored when this block is left, before any message.
        const PrintLook look(*this, *SayText);
        WindowRegistry::services().printer->printPage(look.picture());
    } catch (const PlatformError& error) {
        MsgBox(error.description(), vbCritical, errorTitle, this);
    }
}

bool frmEditor::OfferToSaveWork()
{
    if (!editorDocument().TextModified || !askToSave())
        return true;
    return saveCopy().has_value();
}

std::optional<QString> frmEditor::chooseFile(FileDialog kind)
{
    const EditorDocument& document = editorDocument();
    Dialogs.CancelError = true;
    if (kind == FileDialog::Open) {
        Dialogs.Filter = openFilter;
        Dialogs.Flags = QtDialogService::fileMustExist | QtDialogService::pathMustExist;
        Dialogs.FileName.clear();
    } else {
        Dialogs.Filter = textFilter;
        Dialogs.Flags = QtDialogService::overwritePrompt | QtDialogService::pathMustExist;
        Dialogs.FileName = document.Untitled ? document.ProposedName : document.EditorFileName;
    }
    try {
        if (kind == FileDialog::Open)
            Dialogs.ShowOpen();
        else
            Dialogs.ShowSave();
    } catch (const PlatformError& error) {
        if (error.number() == CommonDialog::cancelErrorNumber)
            return std::nullopt;
        throw;
    }
    if (Dialogs.FileName.isEmpty())
        return std::nullopt;
    return Dialogs.FileName;
}

bool frmEditor::askToSave()
{
    return MsgBox(saveQuestion, vbYesNo | vbQuestion, questionTitle, this) == vbYes;
}

std::optional<QString> frmEditor::saveCopy()
{
    std::optional<QString> name = chooseFile(FileDialog::Save);
    if (!name)
        return std::nullopt;
    try {
        writeText(*name);
    } catch (const PlatformError&) {
        MsgBox(cantSave, vbCritical, errorTitle, this);
        return std::nullopt;
    }
    return name;
}

// Saving keeps the encoding the document was read in, or takes the one it had to change to.
void frmEditor::writeText(const QString& path)
{
    EditorDocument& document = editorDocument();
    const TextEncoding encoding = document.FileEncoding.value_or(LocaleTextCodec::newFileEncoding());
    document.FileEncoding = EditorTextFile::write(path, text(), encoding);
}

QString frmEditor::text() const
{
    return m_text->text().toString();
}

// Only the paragraph the key is typed in is read: a sentence never runs past a line break.
void frmEditor::watchForSentenceEnd(int keyAscii)
{
    const QTextCursor cursor = SayText->textCursor();
    const int at = cursor.selectionStart();
    const QTextBlock paragraph = SayText->document()->findBlock(at);
    const auto sentence = TypedSentence::finishedBy(paragraph.text().left(at - paragraph.position()), keyAscii);
    if (sentence)
        emit sentenceTyped(paragraph.position() + sentence->start, sentence->text);
}

frmEditor::Passage frmEditor::passageFromCursor() const
{
    QTextCursor cursor = SayText->textCursor();
    if (!cursor.hasSelection())
        cursor.movePosition(QTextCursor::StartOfWord);
    const int start = cursor.selectionStart();
    const int end = cursor.hasSelection() ? cursor.selectionEnd() : SayText->document()->characterCount() - 1;
    return Passage { start, text().mid(start, end - start) };
}

QString frmEditor::plainText() const
{
    return SayText->toPlainText();
}

// A cursor's selection marks its line breaks as paragraph separators; the clipboard wants them plain.
QString frmEditor::selectedText() const
{
    QString text = SayText->textCursor().selectedText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    text.replace(QChar::LineSeparator, u'\n');
    return text;
}

void frmEditor::replaceSelection(const QString& text)
{
    QTextCursor cursor = SayText->textCursor();
    cursor.insertText(text);
    SayText->setTextCursor(cursor);
}

int frmEditor::foreColor() const
{
    return TextBoxColors::foreColor(*SayText);
}

int frmEditor::backColor() const
{
    return TextBoxColors::backColor(*SayText);
}

void frmEditor::setForeColor(int colorValue)
{
    TextBoxColors::setForeColor(*SayText, colorValue);
}

void frmEditor::setBackColor(int colorValue)
{
    TextBoxColors::setBackColor(*SayText, colorValue);
}
