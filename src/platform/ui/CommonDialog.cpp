#include "CommonDialog.h"

#include "ColorValue.h"
#include "PlatformError.h"
#include "WindowRegistry.h"

namespace {

[[noreturn]] void throwCancel()
{
    throw PlatformError(QStringLiteral("Cancel was selected."), CommonDialog::cancelErrorNumber);
}

} // namespace

void CommonDialog::ShowOpen()
{
    showFile(false);
}

void CommonDialog::ShowSave()
{
    showFile(true);
}

void CommonDialog::ShowColor()
{
    const std::optional<QColor> chosen
        = WindowRegistry::services().dialogs->chooseColor(m_owner, ColorValue::toQColor(Color), Flags);
    if (!chosen) {
        if (CancelError)
            throwCancel();
        return;
    }
    Color = ColorValue::fromQColor(*chosen);
}

void CommonDialog::showFile(bool save)
{
    FileDialogRequest request;
    request.kind = save ? FileDialogRequest::Kind::Save : FileDialogRequest::Kind::Open;
    request.title = DialogTitle;
    request.filter = Filter;
    request.filterIndex = FilterIndex;
    request.flags = Flags;
    request.fileName = FileName;
    const std::optional<ChosenFile> chosen = WindowRegistry::services().dialogs->chooseFile(m_owner, request);
    if (!chosen) {
        if (CancelError)
            throwCancel();
        return;
    }
    FileName = chosen->fileName;
    if (chosen->filterIndex > 0)
        FilterIndex = chosen->filterIndex;
}
