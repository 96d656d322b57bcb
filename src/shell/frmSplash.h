#pragma once

#include <QWidget>

class QGroupBox;
class QLabel;
class QTimer;

// The first window of the program: the product caption, the maker's web address and a picture,
// centred on the screen. Its timer fires once, after three seconds, and opens the main window,
// whose loading destroys this window.
class frmSplash : public QWidget {
    Q_OBJECT
public:
    frmSplash();

    void Form_Load();
    void Timer1_Timer();

private:
    QGroupBox* Frame1;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Image1;
    QTimer* Timer1;
};
