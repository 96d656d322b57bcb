#pragma once

#include "PlatformServices.h"

// The folder that holds the running executable.
class ExecutableFolderService : public FolderService {
public:
    QString applicationFolder() const override;
};
