#include "ApplicationIcon.h"
#include "GuardedApplication.h"
#include "MDIMain.h"
#include "WindowRegistry.h"
#include "frmSplash.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    GuardedApplication app(argc, argv, MDIMain::ProductCaption);
    ApplicationIcon::apply();
    WindowRegistry::services() = PlatformServices::real();
    WindowRegistry::get<frmSplash>().show();
    const int status = app.exec();
    WindowRegistry::destroyAll();
    // Qt Multimedia 6.4 takes its PulseAudio connection down at exit without its mainloop's
    // lock, which can abort inside libpulse. Everything of ours is saved and closed by now, so
    // the program leaves without the libraries' exit-time teardown.
    std::fflush(nullptr);
    std::_Exit(status);
}
