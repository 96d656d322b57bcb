#include "Program.h"

#include "FramePlacement.h"

#include "EditorDocument.h"
#include "MDIMain.h"
#include "TemporaryFolder.h"
#include "WindowRegistry.h"
#include "frmButtons.h"
#include "frmConsole.h"
#include "frmEditor.h"
#include "frmRandomText.h"
#include "frmSplash.h"

#include <QTest>
#include <QTimer>

namespace {

// The splash's timer is due after three seconds; a slow, shared machine gets some slack.
constexpr int startTimeoutMs = 15000;

// An application folder the test chose.
class GivenFolder : public FolderService {
public:
    explicit GivenFolder(QString path)
        : m_path(std::move(path))
    {
    }
    QString applicationFolder() const override { return m_path; }

private:
    QString m_path;
};

FolderService& installFolder(const QString& path)
{
    if (path.isEmpty())
        return TemporaryFolder::install();
    auto given = std::make_unique<GivenFolder>(path);
    FolderService& installed = *given;
    WindowRegistry::services().folder = std::move(given);
    return installed;
}

} // namespace

FreshProgram::FreshProgram()
{
    WindowRegistry::reset();
    resetEditorDocument();
}

Program::Program(const QString& applicationFolder)
    : folder(installFolder(applicationFolder))
    , messages(ScriptedMessages::install())
    , dialogs(ScriptedDialogs::install())
    , printer(PdfPrinter::install())
{
}

Program::~Program()
{
    WindowRegistry::reset();
    resetEditorDocument();
}

bool Program::start()
{
    m_failure.clear();
    m_endRequests = 0;
    frmSplash& splash = WindowRegistry::get<frmSplash>();
    splash.show();
    if (WindowRegistry::exists<MDIMain>())
        m_failure = QStringLiteral("the main window opened before the splash's timer fired");
    else if (!QTest::qWaitForWindowExposed(&splash))
        m_failure = QStringLiteral("the splash window was not shown");
    else if (!QTest::qWaitFor([] { return WindowRegistry::exists<MDIMain>(); }, startTimeoutMs))
        m_failure = QStringLiteral("the splash's timer did not open the main window");
    else if (WindowRegistry::exists<frmSplash>())
        m_failure = QStringLiteral("the splash window outlived the main window's load");
    if (!m_failure.isEmpty())
        return false;

    MDIMain& window = main();
    window.EndProgram = [this] { ++m_endRequests; };
    if (!QTest::qWaitForWindowExposed(&window)) {
        m_failure = QStringLiteral("the main window was not shown");
        return false;
    }
    if (!QTest::qWaitFor([&window] { return window.placement().isSettled(); })) {
        m_failure = QStringLiteral("the main window was not placed with its frame");
        return false;
    }
    // Keys reach menus and shortcuts only in the active window; a busy manager activates late.
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window)) {
        m_failure = QStringLiteral("the main window did not become active");
        return false;
    }
    return true;
}

bool Program::restart()
{
    end();
    return start();
}

void Program::end()
{
    WindowRegistry::destroyAll();
    resetEditorDocument();
}

MDIMain& Program::main() const
{
    return WindowRegistry::get<MDIMain>();
}

frmConsole& Program::console() const
{
    return WindowRegistry::get<frmConsole>();
}

frmEditor& Program::editor() const
{
    return WindowRegistry::get<frmEditor>();
}

frmRandomText& Program::quickText() const
{
    return WindowRegistry::get<frmRandomText>();
}

frmButtons& Program::buttons() const
{
    return WindowRegistry::get<frmButtons>();
}
