#pragma once

#include "Controls.h"
#include "frmConsole.h"

#include <QPlainTextEdit>
#include <QStringList>

// The console's event log as the user reads it, one entry a line.
namespace ConsoleLog {

inline QStringList lines(const frmConsole& console)
{
    QStringList lines = control<QPlainTextEdit>(console, "DebugTxtBox")->toPlainText().split(QLatin1Char('\n'));
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    while (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    return lines;
}

// The lines that report a failure ("Speak Error: ...", "Set audio output error: ...").
inline QStringList failures(const frmConsole& console)
{
    QStringList found;
    for (const QString& line : lines(console)) {
        if (line.contains(QLatin1String("rror: ")))
            found << line;
    }
    return found;
}

} // namespace ConsoleLog
