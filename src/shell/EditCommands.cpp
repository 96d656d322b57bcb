#include "EditCommands.h"

#include "frmEditor.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QTextCursor>

namespace {

// A cursor's selection marks its line breaks as paragraph separators; the clipboard wants them plain.
QString selectionOf(const QPlainTextEdit& box)
{
    QString text = box.textCursor().selectedText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    text.replace(QChar::LineSeparator, u'\n');
    return text;
}

void replaceSelection(QPlainTextEdit& box, const QString& text)
{
    QTextCursor cursor = box.textCursor();
    cursor.insertText(text);
    box.setTextCursor(cursor);
}

} // namespace

namespace EditCommands {

void Copy(frmEditor& editor)
{
    QGuiApplication::clipboard()->setText(selectionOf(*editor.SayText));
}

void Cut(frmEditor& editor)
{
    Copy(editor);
    replaceSelection(*editor.SayText, QString());
    editor.SetUndoString();
}

void Paste(frmEditor& editor)
{
    const QString text = QGuiApplication::clipboard()->text();
    if (text.isEmpty())
        return;
    replaceSelection(*editor.SayText, text);
    editor.SetUndoString();
}

void Delete(frmEditor& editor)
{
    replaceSelection(*editor.SayText, QString());
    editor.SetUndoString();
}

} // namespace EditCommands
