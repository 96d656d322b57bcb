#include "PlatformServices.h"

#include "ExecutableFolderService.h"
#include "QtDialogService.h"
#include "QtMessageService.h"
#include "QtPrinterService.h"

PlatformServices PlatformServices::real()
{
    PlatformServices services;
    services.dialogs = std::make_unique<QtDialogService>();
    services.messages = std::make_unique<QtMessageService>();
    services.printer = std::make_unique<QtPrinterService>();
    services.folder = std::make_unique<ExecutableFolderService>();
    return services;
}
