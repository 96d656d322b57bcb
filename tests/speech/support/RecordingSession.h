#pragma once

#include "ConsoleLog.h"
#include "ScriptedDialogs.h"
#include "ScriptedMessages.h"
#include "frmConsole.h"

#include <QStringList>
#include <QTemporaryDir>

// A fresh program for recording tests: the console shown with an empty log, the dialogs and
// boxes scripted, and a temporary folder for the files. Ending it stops the voice and resets the
// program.
class RecordingSession {
public:
    RecordingSession();
    ~RecordingSession();
    RecordingSession(const RecordingSession&) = delete;
    RecordingSession& operator=(const RecordingSession&) = delete;

    bool ready() const { return m_folder.isValid(); }
    frmConsole& console() const { return *m_console; }
    ScriptedDialogs& dialogs() const { return *m_dialogs; }
    ScriptedMessages& messages() const { return *m_messages; }
    QString path(const QString& name) const { return m_folder.filePath(name); }
    QString folder() const { return m_folder.path(); }
    QStringList log() const { return consoleLogLines(m_console->logText()); }

private:
    ScriptedMessages* m_messages = nullptr;
    ScriptedDialogs* m_dialogs = nullptr;
    frmConsole* m_console = nullptr;
    QTemporaryDir m_folder;
};
