#include "SettingsFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

SettingsFolder::SettingsFolder(QString programFolder, QString installedBinFolder, WritableCheck writable)
    : m_programFolder(std::move(programFolder))
    , m_installedBinFolder(std::move(installedBinFolder))
    , m_writable(std::move(writable))
{
}

QString SettingsFolder::path() const
{
    if (!isInstalledCopy() && m_writable(m_programFolder))
        return m_programFolder;
    QString perUser = perUserFolder();
    QDir().mkpath(perUser);
    return perUser;
}

bool SettingsFolder::isInstalledCopy() const
{
    // Canonical paths see through symbolic links such as /bin -> /usr/bin; a folder that does
    // not exist has none and matches nothing.
    const QString program = QFileInfo(m_programFolder).canonicalFilePath();
    return !program.isEmpty() && program == QFileInfo(m_installedBinFolder).canonicalFilePath();
}

QString SettingsFolder::perUserFolder()
{
    // XDG_CONFIG_HOME when set, else ~/.config.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/parlora");
}

bool SettingsFolder::isWritableFolder(const QString& folder)
{
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable();
}
