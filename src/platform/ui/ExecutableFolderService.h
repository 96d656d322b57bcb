#pragma once

#include "PlatformServices.h"

// The folder for the program's settings files: the executable's own folder, or the per-user
// folder when that cannot be used (SettingsFolder).
class ExecutableFolderService : public FolderService {
public:
    QString applicationFolder() const override;
};
