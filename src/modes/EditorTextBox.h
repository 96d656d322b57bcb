#pragma once

#include <QPlainTextEdit>

class QKeyEvent;

// The editor's text box. It announces every key that gives a character (Enter and Backspace
// included) before the key changes the text. It keeps no undo history of its own: the editor's
// undo store is the one.
class EditorTextBox : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit EditorTextBox(QWidget* parent = nullptr);

    // Whether the key gives a character that the box takes as typing.
    static bool givesCharacter(const QKeyEvent& event);
    // The character code of such a key: 13 for Enter, 8 for Backspace, else its first character.
    static int characterCode(const QKeyEvent& event);

signals:
    void characterKey(int keyAscii);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
};
