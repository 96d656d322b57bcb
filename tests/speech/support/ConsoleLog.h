#pragma once

#include <QString>
#include <QStringList>

// The console's log as lines, split where the console ends each one, at CR LF. Nothing is
// dropped: a blank line, a CR or LF of its own inside a line, or a last line without its CR LF
// all show in what is returned.
inline QStringList consoleLogLines(const QString& logText)
{
    QStringList lines = logText.split(QStringLiteral("\r\n"));
    if (lines.constLast().isEmpty())
        lines.removeLast();
    else
        lines.last() += QStringLiteral("<no line end>");
    return lines;
}
