#pragma once

#include <QList>
#include <QPair>
#include <QProcess>
#include <QStringList>

// A part of a test run in a child copy of the test program, where a fault may end the process
// without ending the test. The child tells what it saw as key=value lines on its output.
namespace ChildRun {

struct Result {
    bool finished = false; // false: it did not end in time and was killed
    QProcess::ExitStatus exitStatus = QProcess::CrashExit;
    int exitCode = -1;
    QList<QPair<QString, QString>> lines;

    QStringList values(const QString& key) const;
    QString value(const QString& key) const { return values(key).value(0); }
    // How the child ended, for failure messages.
    QString ending() const;
};

// The child's side: one line, written at once (the next step may end the process).
void report(const char* key, const QString& value);
// Runs this test program again with the arguments, on the offscreen platform. Its temporary
// files go into temporaryFolder, so that a child that dies leaves nothing behind.
Result run(const QStringList& arguments, const QString& temporaryFolder, int timeoutMs);

} // namespace ChildRun
