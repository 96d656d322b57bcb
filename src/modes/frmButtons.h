#pragma once

#include <QMdiSubWindow>

// The Programmed Buttons mode page: a borderless child window of the main window that hides
// itself when it loads; the mode switch shows it. The main window gives it the editor page's size.
class frmButtons : public QMdiSubWindow {
    Q_OBJECT
public:
    frmButtons();

    void Form_Load();
};
