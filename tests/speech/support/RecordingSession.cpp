#include "RecordingSession.h"

#include "Controls.h"
#include "WindowRegistry.h"

#include <QPlainTextEdit>

RecordingSession::RecordingSession()
{
    WindowRegistry::reset();
    m_messages = &ScriptedMessages::install();
    m_dialogs = &ScriptedDialogs::install();
    m_console = &WindowRegistry::get<frmConsole>();
    m_console->show();
    control<QPlainTextEdit>(*m_console, "DebugTxtBox")->clear();
}

RecordingSession::~RecordingSession()
{
    if (m_console->Voice) {
        m_console->Voice->Speak(QString(), SVSFPurgeBeforeSpeak);
        m_console->Voice->Resume();
    }
    WindowRegistry::reset();
}
