#include "GuardedApplication.h"
#include "MDIMain.h"
#include "WindowRegistry.h"
#include "frmSplash.h"

#include <chrono>
#include <thread>

int main(int argc, char** argv)
{
    GuardedApplication app(argc, argv, MDIMain::ProductCaption);
    WindowRegistry::services() = PlatformServices::real();
    WindowRegistry::get<frmSplash>().show();
    const int status = app.exec();
    WindowRegistry::destroyAll();
    // Closing the voice's audio stream makes the sound server send Qt Multimedia a sink change,
    // fetched on its mainloop thread. Qt 6.4 disconnects from the server at exit without that
    // thread's lock, and a reply arriving then aborts inside libpulse: let it arrive first.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    return status;
}
