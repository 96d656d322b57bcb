#pragma once

#include <QString>

class QWidget;

// Message-box style bits and answers, as the message box of the windowing toolkit numbers them.
enum MsgBoxStyle {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
};
enum MsgBoxResult { vbOK = 1, vbCancel = 2, vbYes = 6, vbNo = 7 };

// Through the registry's MessageService.
int MsgBox(const QString& text, int style = vbOKOnly, const QString& title = {}, QWidget* parent = nullptr);
// The typed text; an empty string when cancelled (cancelled tells which).
QString InputBox(const QString& prompt, const QString& title = {}, const QString& initial = {},
    bool* cancelled = nullptr, QWidget* parent = nullptr);
