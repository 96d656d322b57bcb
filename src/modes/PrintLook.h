#pragma once

#include <QFrame>
#include <QPalette>
#include <QSize>
#include <optional>

class QMdiSubWindow;
class QPlainTextEdit;

// The look of an editor window while it is printed, for the lifetime of this object: the window
// maximised on white, its text box borderless, black on white and larger than the window, so the
// window's picture shows the text as plain print, without a text cursor. The destructor gives the text box back its
// size, colours and border and the window its normal state and background, also when printing
// failed. Sizes are kept in full integers, so a text box of any height comes back as it was.
class PrintLook {
public:
    PrintLook(QMdiSubWindow& window, QPlainTextEdit& box);
    ~PrintLook();
    PrintLook(const PrintLook&) = delete;
    PrintLook& operator=(const PrintLook&) = delete;

    // What the window shows now: the picture of its client area.
    QImage picture() const;

private:
    QMdiSubWindow& m_window;
    QWidget& m_client;
    QPlainTextEdit& m_box;
    bool m_windowHidden;
    std::optional<QPalette> m_clientPalette; // none: the window's background is inherited
    bool m_clientFilled;
    QSize m_boxSize;
    QPalette m_boxPalette;
    QFrame::Shape m_boxShape;
    QFrame::Shadow m_boxShadow;
    int m_boxCursorWidth;
};
