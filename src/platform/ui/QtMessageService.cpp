#include "QtMessageService.h"

#include "MessageBoxes.h"

#include <QFontMetrics>
#include <QInputDialog>
#include <QLineEdit>
#include <QScreen>

namespace {

// Wide enough for a sentence of this many characters, so a phrase can be read while typed.
constexpr int sentenceCharacters = 80;

// The entry field fits a sentence, or as much of one as the screen holds.
void widenForSentence(QInputDialog& dialog)
{
    auto* field = dialog.findChild<QLineEdit*>();
    if (!field)
        return;
    const int sentence = field->fontMetrics().averageCharWidth() * sentenceCharacters;
    const QScreen* screen = dialog.screen();
    const int room = screen ? screen->availableGeometry().width() * 3 / 4 : sentence;
    field->setMinimumWidth(qMin(sentence, room));
}

} // namespace

QMessageBox::StandardButtons QtMessageService::buttons(int style)
{
    switch (style & 0xF) {
    case vbOKCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case vbYesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case vbYesNo:
        return QMessageBox::Yes | QMessageBox::No;
    default:
        return QMessageBox::Ok;
    }
}

QMessageBox::Icon QtMessageService::icon(int style)
{
    switch (style & 0x70) {
    case vbCritical:
        return QMessageBox::Critical;
    case vbQuestion:
        return QMessageBox::Question;
    case vbExclamation:
        return QMessageBox::Warning;
    case vbInformation:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

int QtMessageService::answer(QMessageBox::StandardButton clicked)
{
    switch (clicked) {
    case QMessageBox::Cancel:
        return vbCancel;
    case QMessageBox::Yes:
        return vbYes;
    case QMessageBox::No:
        return vbNo;
    default:
        return vbOK;
    }
}

int QtMessageService::messageBox(QWidget* parent, const QString& text, int style, const QString& title)
{
    QMessageBox box(icon(style), title, text, buttons(style), parent);
    // Closing the box by its frame answers Cancel where there is one, else No, else OK.
    return answer(static_cast<QMessageBox::StandardButton>(box.exec()));
}

std::optional<QString> QtMessageService::inputBox(
    QWidget* parent, const QString& prompt, const QString& title, const QString& initial)
{
    QInputDialog dialog(parent);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setTextValue(initial);
    widenForSentence(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}
