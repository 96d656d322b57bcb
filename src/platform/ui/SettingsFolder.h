#pragma once

#include <QString>
#include <functional>

// Where Settings.ini and Buttons.ini live. A copy run from a folder its user can write (a build
// folder, an unpacked portable copy) keeps them beside its executable; otherwise they live in the
// per-user folder $XDG_CONFIG_HOME/parlora (~/.config/parlora), made when it is chosen. An
// installed copy, whose executable lies in the install prefix's bin folder, always uses the
// per-user folder, also when run as root, so the system's bin folder never receives them.
class SettingsFolder {
public:
    using WritableCheck = std::function<bool(const QString& folder)>;

    // programFolder: the executable's folder; installedBinFolder: the prefix's bin folder.
    SettingsFolder(QString programFolder, QString installedBinFolder, WritableCheck writable = isWritableFolder);

    // The chosen folder. The per-user one is created when chosen; when that fails its path is
    // still answered, and writing the files there fails and is reported as before.
    QString path() const;

    bool isInstalledCopy() const;
    static QString perUserFolder();
    static bool isWritableFolder(const QString& folder);

private:
    QString m_programFolder;
    QString m_installedBinFolder;
    WritableCheck m_writable;
};
