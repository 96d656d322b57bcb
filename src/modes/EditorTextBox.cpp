#include "EditorTextBox.h"

#include <QInputMethodEvent>
#include <QKeyEvent>

EditorTextBox::EditorTextBox(QWidget* parent)
    : QPlainTextEdit(parent)
{
    setUndoRedoEnabled(false);
}

bool EditorTextBox::givesCharacter(const QKeyEvent& event)
{
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    switch (event.key()) {
    case Qt::Key_Backspace:
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return !(modifiers & Qt::ControlModifier);
    default:
        break;
    }
    // Control with Alt is AltGr on many keyboards, which types characters.
    if ((modifiers & (Qt::ControlModifier | Qt::MetaModifier)) && !(modifiers & Qt::AltModifier))
        return false;
    const QString text = event.text();
    return !text.isEmpty() && (text.front().isPrint() || text.front() == u'\t');
}

int EditorTextBox::characterCode(const QKeyEvent& event)
{
    switch (event.key()) {
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    default:
        return event.text().isEmpty() ? 0 : event.text().front().unicode();
    }
}

void EditorTextBox::keyPressEvent(QKeyEvent* event)
{
    if (givesCharacter(*event))
        emit characterKey(characterCode(*event));
    QPlainTextEdit::keyPressEvent(event);
}

void EditorTextBox::inputMethodEvent(QInputMethodEvent* event)
{
    // Characters composed by an input method arrive here instead of as key presses.
    if (!event->commitString().isEmpty())
        emit characterKey(event->commitString().front().unicode());
    QPlainTextEdit::inputMethodEvent(event);
}
