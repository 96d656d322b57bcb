#pragma once

#include <QMdiSubWindow>

class QPlainTextEdit;

// The text editor mode page: a borderless child window of the main window whose text box
// SayText holds the text to be spoken. Sizes in its handlers are twips of the window's outer size.
class frmEditor : public QMdiSubWindow {
    Q_OBJECT
public:
    frmEditor();

    void Form_Load();
    void Form_Resize();

    QPlainTextEdit* SayText;

protected:
    void resizeEvent(QResizeEvent* event) override;
};
