#include "QtDialogService.h"

#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace {

QString qtPatterns(const QString& patterns)
{
    QStringList result;
    for (const QString& pattern : patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString trimmed = pattern.trimmed();
        // On the toolkit "*.*" matches names without a dot too.
        result << (trimmed == QLatin1String("*.*") ? QStringLiteral("*") : trimmed);
    }
    return result.join(QLatin1Char(' '));
}

// "Wave Files (*.wav)" -> "Wave Files": Qt shows the patterns itself.
QString withoutPatternList(const QString& description)
{
    QString trimmed = description.trimmed();
    const qsizetype open = trimmed.lastIndexOf(QLatin1Char('('));
    if (trimmed.endsWith(QLatin1Char(')')) && open > 0)
        return trimmed.left(open).trimmed();
    return trimmed;
}

bool isReadOnly(const QFileInfo& info)
{
    // The owner's write bit too: the superuser may write anything, but the file is still marked read-only.
    return !info.isWritable() || !(info.permissions() & QFileDevice::WriteOwner);
}

} // namespace

QStringList QtDialogService::nameFilters(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString patterns = qtPatterns(parts[i + 1]);
        if (patterns.isEmpty())
            continue;
        const QString name = withoutPatternList(parts[i]);
        result << (name.isEmpty() ? patterns : name + QStringLiteral(" (") + patterns + QLatin1Char(')'));
    }
    return result;
}

void QtDialogService::configure(QFileDialog& dialog, const FileDialogRequest& request)
{
    const bool save = request.kind == FileDialogRequest::Kind::Save;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(!save && (request.flags & fileMustExist) ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !(request.flags & overwritePrompt));
    dialog.setWindowTitle(request.title);
    dialog.setDefaultSuffix({});
    const QStringList filters = nameFilters(request.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const qsizetype index
            = request.filterIndex >= 1 && request.filterIndex <= filters.size() ? request.filterIndex : 1;
        dialog.selectNameFilter(filters[index - 1]);
    }
    if (!request.fileName.isEmpty()) {
        const QFileInfo initial(request.fileName);
        if (!initial.path().isEmpty() && initial.path() != QLatin1String("."))
            dialog.setDirectory(initial.absolutePath());
        dialog.selectFile(initial.fileName());
    }
}

QString QtDialogService::refusal(const QString& fileName, const FileDialogRequest& request)
{
    const QFileInfo info(fileName);
    if ((request.flags & pathMustExist) && !info.absoluteDir().exists())
        return QStringLiteral("%1\nThe folder does not exist.\nCheck the path and try again.").arg(fileName);
    if ((request.flags & fileMustExist) && !info.exists())
        return QStringLiteral("%1\nFile not found.\nCheck the file name and try again.").arg(fileName);
    if ((request.flags & noReadOnlyReturn) && info.exists() && isReadOnly(info))
        return QStringLiteral("%1\nThis file is set to read-only.\nTry again with a different file name.")
            .arg(fileName);
    return {};
}

std::optional<ChosenFile> QtDialogService::chooseFile(QWidget* parent, const FileDialogRequest& request)
{
    QFileDialog dialog(parent);
    configure(dialog, request);
    for (;;) {
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        const QString chosen = dialog.selectedFiles().constFirst();
        const QString why = refusal(chosen, request);
        if (why.isEmpty())
            return ChosenFile(chosen, static_cast<int>(dialog.nameFilters().indexOf(dialog.selectedNameFilter())) + 1);
        QMessageBox::warning(parent, request.title, why);
    }
}

std::optional<QColor> QtDialogService::chooseColor(
    QWidget* parent, const QColor& initial, int /*flags: information only*/)
{
    const QColor chosen = QColorDialog::getColor(initial, parent);
    if (!chosen.isValid())
        return std::nullopt;
    return chosen;
}
