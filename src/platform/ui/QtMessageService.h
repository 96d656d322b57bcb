#pragma once

#include "PlatformServices.h"

#include <QMessageBox>

// The real message and input boxes. Button codes other than OK, OK/Cancel, Yes/No/Cancel and
// Yes/No show an OK button.
class QtMessageService : public MessageService {
public:
    int messageBox(QWidget* parent, const QString& text, int style, const QString& title) override;
    std::optional<QString> inputBox(
        QWidget* parent, const QString& prompt, const QString& title, const QString& initial) override;

    static QMessageBox::StandardButtons buttons(int style);
    static QMessageBox::Icon icon(int style);
    static int answer(QMessageBox::StandardButton clicked);
};
