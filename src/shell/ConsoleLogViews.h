#pragma once

#include <QObject>

class EventLogWindow;
class FailureNotice;
class MDIMain;
class QAction;
class QMenu;
class frmConsole;

// Brings the console's event log, which lies outside the console's strip, to where the user
// looks: each failure line as a notice over the main window, and the whole log in a window of its
// own, opened from the Speech menu's "Event &Log" item (after the menu's own items). It learns of
// the log only through the console's logLineAppended signal and logText.
class ConsoleLogViews : public QObject {
    Q_OBJECT
public:
    // Adds its items to the end of speechMenu and its notices over the main window's child area.
    ConsoleLogViews(MDIMain& main, QMenu& speechMenu, frmConsole& console);

    // A failure line of the console: its fixed text ends in ": ", the house form of every
    // failure's prefix ("Speak Error: ", "Save to Wave file Error: ", "Markup read as text: ").
    static bool isFailure(const QString& text);

    void mnuEventLog_Click();

private:
    void logLineAppended(const QString& text, const QString& tail);

    QAction* mnuEventLogSeparator;
    QAction* mnuEventLog;
    FailureNotice* Notice;
    EventLogWindow* LogWindow;
    frmConsole& m_console;
};
