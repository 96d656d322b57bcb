#include "EditCommands.h"

#include "frmEditor.h"

#include <QClipboard>
#include <QGuiApplication>

namespace EditCommands {

void Copy(frmEditor& editor)
{
    QGuiApplication::clipboard()->setText(editor.selectedText());
}

void Cut(frmEditor& editor)
{
    Copy(editor);
    editor.replaceSelection(QString());
    editor.SetUndoString();
}

void Paste(frmEditor& editor)
{
    const QString text = QGuiApplication::clipboard()->text();
    if (text.isEmpty())
        return;
    editor.replaceSelection(text);
    editor.SetUndoString();
}

void Delete(frmEditor& editor)
{
    editor.replaceSelection(QString());
    editor.SetUndoString();
}

} // namespace EditCommands
