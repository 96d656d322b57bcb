#pragma once

#include <QList>
#include <QPair>
#include <QProcess>
#include <QStringList>

// Loads the console in a child copy of the test program, in an environment the test chooses, so
// that a load which ends the program can be watched from outside. The child reports what it saw
// as key=value lines: every message box, and after a load that returned, the output list and the
// event log.
namespace ConsoleChild {

struct Result {
    QProcess::ExitStatus exitStatus = QProcess::CrashExit;
    int exitCode = -1;
    QList<QPair<QString, QString>> lines;

    QStringList values(const QString& key) const;
};

bool isChild(int argc, char** argv);
int load(); // the child's side
Result run(const QList<QPair<QString, QString>>& environment);

} // namespace ConsoleChild
