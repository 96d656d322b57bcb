#pragma once

#include <QMdiSubWindow>

// The Quick Text mode page: a borderless child window of the main window, hidden until its mode
// is chosen. The main window gives it the editor page's size.
class frmRandomText : public QMdiSubWindow {
    Q_OBJECT
public:
    frmRandomText();

    void Form_Load();
};
