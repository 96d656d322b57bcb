#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The about box: a fixed, modeless dialog with the product caption, the maker's name and web
// address, the rights notice, the legal warning and a picture. OK (or closing it) destroys it;
// the next About loads a fresh one.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    static const QString MakerName;
    static const QString MakerAddress;
    static const QString RightsNotice;
    static const QString LegalWarning;

    frmAbout();

    void Form_Load();
    void cmdOK_Click();

public slots:
    // Escape and the close box end the box as OK does.
    void reject() override;

private:
    QLabel* addLabel(const QString& name, const QRect& place);

    QLabel* Image1;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QPushButton* cmdOK;
};
