#include "ExecutableFolderService.h"

#include "SettingsFolder.h"

#include <QCoreApplication>

#ifndef PARLORA_INSTALLED_BINDIR
#define PARLORA_INSTALLED_BINDIR ""
#endif

QString ExecutableFolderService::applicationFolder() const
{
    return SettingsFolder(QCoreApplication::applicationDirPath(), QStringLiteral(PARLORA_INSTALLED_BINDIR)).path();
}
