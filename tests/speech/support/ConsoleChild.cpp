#include "ConsoleChild.h"
#include "Controls.h"

#include "ConsoleLog.h"
#include "ScriptedMessages.h"
#include "WindowRegistry.h"
#include "frmConsole.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QPlainTextEdit>
#include <cstdio>
#include <cstring>

namespace {

constexpr char childSwitch[] = "--console-child";

void report(const char* key, const QString& value)
{
    std::printf("%s=%s\n", key, value.toUtf8().toPercentEncoding().constData());
    std::fflush(stdout); // the load may end the program before anything else is flushed
}

// Reports each box as it is shown: after it the program may end at once.
class ReportingMessages : public ScriptedMessages {
public:
    int messageBox(QWidget* parent, const QString& text, int style, const QString& title) override
    {
        report("msgbox.style", QString::number(style));
        report("msgbox.title", title);
        report("msgbox.text", text);
        return ScriptedMessages::messageBox(parent, text, style, title);
    }
};

} // namespace

namespace ConsoleChild {

QStringList Result::values(const QString& key) const
{
    QStringList found;
    for (const auto& [k, value] : lines) {
        if (k == key)
            found << value;
    }
    return found;
}

bool isChild(int argc, char** argv)
{
    return argc == 2 && std::strcmp(argv[1], childSwitch) == 0;
}

int load()
{
    WindowRegistry::services().messages = std::make_unique<ReportingMessages>();
    frmConsole& console = WindowRegistry::get<frmConsole>();
    report("loaded", QStringLiteral("1"));
    for (int i = 0; i < control<QComboBox>(console, "AudioOutputCB")->count(); ++i)
        report("outputs", control<QComboBox>(console, "AudioOutputCB")->itemText(i));
    report("outputs.enabled",
        control<QComboBox>(console, "AudioOutputCB")->isEnabled() ? QStringLiteral("1") : QStringLiteral("0"));
    for (const QString& line : consoleLogLines(console.logText()))
        report("log", line);
    // Reset must come through whole, devices or not.
    control<QPlainTextEdit>(console, "MainTxtBox")->setPlainText(QStringLiteral("changed"));
    console.ResetBtn_Click();
    report("reset.text", control<QPlainTextEdit>(console, "MainTxtBox")->toPlainText());
    WindowRegistry::destroyAll();
    return 0;
}

Result run(const QList<QPair<QString, QString>>& environment)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    for (const auto& [name, value] : environment)
        env.insert(name, value);
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), { QString::fromLatin1(childSwitch) });
    Result result;
    if (!child.waitForFinished(120000))
        return result;
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

} // namespace ConsoleChild
