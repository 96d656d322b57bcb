#pragma once

#include "PlatformServices.h"

#include <QTemporaryDir>

// Test double for the application folder: a fresh empty folder, removed with the double.
class TemporaryFolder : public FolderService {
public:
    // Puts a new double into the registry's services and returns it (the registry owns it).
    static TemporaryFolder& install();

    QString applicationFolder() const override { return m_folder.path(); }
    QString filePath(const QString& name) const { return m_folder.filePath(name); }
    bool isValid() const { return m_folder.isValid(); }

private:
    QTemporaryDir m_folder;
};
