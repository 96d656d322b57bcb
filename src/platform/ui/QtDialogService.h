#pragma once

#include "PlatformServices.h"

class QFileDialog;

// The real file and colour dialogs. The toolkit's "|"-separated filter becomes Qt's name filters,
// and the dialog flags it knows are kept: after the user chooses, a name the flags refuse is
// explained and the dialog is shown again.
class QtDialogService : public DialogService {
public:
    // The dialog-flag bits that are honoured.
    static constexpr int overwritePrompt = 2;
    static constexpr int pathMustExist = 2048;
    static constexpr int fileMustExist = 4096;
    static constexpr int noReadOnlyReturn = 32768;

    std::optional<ChosenFile> chooseFile(QWidget* parent, const FileDialogRequest& request) override;
    std::optional<QColor> chooseColor(QWidget* parent, const QColor& initial, int flags) override;

    // "Text (*.txt)|*.txt|All (*.*)|*.*" -> {"Text (*.txt)", "All (*)"}. "*.*" means every file.
    static QStringList nameFilters(const QString& filter);
    // Sets up dialog for request: mode, title, filters with the 1-based index preselected, name.
    static void configure(QFileDialog& dialog, const FileDialogRequest& request);
    // Why the flags refuse fileName; empty when it is acceptable.
    static QString refusal(const QString& fileName, const FileDialogRequest& request);
};
