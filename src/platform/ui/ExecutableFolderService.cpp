#include "ExecutableFolderService.h"

#include <QCoreApplication>

QString ExecutableFolderService::applicationFolder() const
{
    return QCoreApplication::applicationDirPath();
}
