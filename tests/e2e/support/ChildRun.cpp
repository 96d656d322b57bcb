#include "ChildRun.h"

#include <QCoreApplication>
#include <QProcessEnvironment>
#include <cstdio>

namespace ChildRun {

QStringList Result::values(const QString& key) const
{
    QStringList found;
    for (const auto& [k, v] : lines) {
        if (k == key)
            found << v;
    }
    return found;
}

QString Result::ending() const
{
    if (!finished)
        return QStringLiteral("did not end in time");
    if (exitStatus == QProcess::CrashExit)
        return QStringLiteral("was ended by a signal");
    return QStringLiteral("exited with %1").arg(exitCode);
}

void report(const char* key, const QString& value)
{
    std::printf("%s=%s\n", key, value.toUtf8().toPercentEncoding().constData());
    std::fflush(stdout);
}

Result run(const QStringList& arguments, const QString& temporaryFolder, int timeoutMs)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("TMPDIR"), temporaryFolder);
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), arguments);
    Result result;
    result.finished = child.waitForFinished(timeoutMs);
    if (!result.finished) {
        child.kill();
        child.waitForFinished(5000);
    }
    result.exitStatus = child.exitStatus();
    result.exitCode = child.exitCode();
    for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals > 0)
            result.lines.append({ QString::fromUtf8(line.left(equals)),
                QString::fromUtf8(QByteArray::fromPercentEncoding(line.mid(equals + 1))) });
    }
    return result;
}

} // namespace ChildRun
