#pragma once

#include <QString>

class QWidget;

// The common dialog control: set its properties, then ShowOpen, ShowSave or ShowColor. With
// CancelError true a cancel throws PlatformError number 32755 ("Cancel was selected."); otherwise
// a cancel leaves FileName and Color as they were. Answers come from the registry's DialogService.
class CommonDialog {
public:
    static constexpr int cancelErrorNumber = 32755;

    explicit CommonDialog(QWidget* owner = nullptr)
        : m_owner(owner)
    {
    }

    QString DialogTitle;
    QString Filter;
    int FilterIndex = 0; // after ShowOpen or ShowSave, the entry the user chose
    int Flags = 0;
    QString FileName;
    int Color = 0; // colour value: red in the lowest byte
    bool CancelError = false;

    void ShowOpen();
    void ShowSave();
    void ShowColor();

private:
    void showFile(bool save);
    QWidget* m_owner;
};
