#include "GuardedApplication.h"

#include "MessageBoxes.h"
#include "PlatformError.h"
#include "WindowRegistry.h"

#include <csignal>

GuardedApplication::GuardedApplication(int& argc, char** argv, QString caption)
    : QApplication(argc, argv)
    , m_caption(std::move(caption))
{
    // A file that reaches the process's size limit must fail its write, which the program
    // reports, instead of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
}

bool GuardedApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        report(m_caption, error);
    }
    // The failing handler had the event; it is not handed on to another one.
    return true;
}

void GuardedApplication::report(const QString& caption, const std::exception& error)
{
    WindowRegistry::services().messages->messageBox(nullptr, failureText(error), vbOKOnly | vbCritical, caption);
}
