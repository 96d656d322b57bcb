#include "ApplicationIcon.h"
#include "GuardedApplication.h"
#include "MDIMain.h"
#include "WindowRegistry.h"
#include "frmSplash.h"

int main(int argc, char** argv)
{
    GuardedApplication app(argc, argv, MDIMain::ProductCaption);
    ApplicationIcon::apply();
    WindowRegistry::services() = PlatformServices::real();
    WindowRegistry::get<frmSplash>().show();
    const int status = app.exec();
    WindowRegistry::destroyAll();
    return status;
}
