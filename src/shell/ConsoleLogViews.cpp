#include "ConsoleLogViews.h"

#include "EventLogWindow.h"
#include "FailureNotice.h"
#include "MDIMain.h"
#include "Twips.h"
#include "frmConsole.h"

#include <QAction>
#include <QMenu>

ConsoleLogViews::ConsoleLogViews(MDIMain& main, QMenu& speechMenu, frmConsole& console)
    : QObject(&main)
    , m_console(console)
{
    mnuEventLogSeparator = speechMenu.addSeparator();
    mnuEventLogSeparator->setObjectName(QStringLiteral("mnuEventLogSeparator"));
    mnuEventLog = speechMenu.addAction(QStringLiteral("Event &Log"));
    mnuEventLog->setObjectName(QStringLiteral("mnuEventLog"));
    connect(mnuEventLog, &QAction::triggered, this, &ConsoleLogViews::mnuEventLog_Click);

    // Clear of the console's strip and its inset from the main window's right edge.
    Notice = new FailureNotice(
        *main.centralWidget(), Twips::toPixelsX(MDIMain::ConsoleStripWidth + MDIMain::ConsoleStripInset));
    LogWindow = new EventLogWindow(&main);
    connect(&console, &frmConsole::logLineAppended, this, &ConsoleLogViews::logLineAppended);
}

bool ConsoleLogViews::isFailure(const QString& text)
{
    // The word highlighting's failure is a whole sentence of its own, without a description.
    return text.endsWith(QLatin1String(": ")) || text.startsWith(QLatin1String("Failed "));
}

void ConsoleLogViews::mnuEventLog_Click()
{
    if (!LogWindow->isVisible())
        LogWindow->setLog(m_console.logText());
    LogWindow->show();
    LogWindow->raise();
    LogWindow->activateWindow();
}

void ConsoleLogViews::logLineAppended(const QString& text, const QString& tail)
{
    if (LogWindow->isVisible())
        LogWindow->appendLine(text + tail);
    if (isFailure(text))
        Notice->showFailure(text + tail);
}
