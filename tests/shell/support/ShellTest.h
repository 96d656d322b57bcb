#pragma once

#include "Controls.h"
#include "EditorDocument.h"
#include "FileBytes.h"
#include "FramePlacement.h"
#include "MDIMain.h"
#include "ScriptedDialogs.h"
#include "ScriptedMessages.h"
#include "TemporaryFolder.h"
#include "Twips.h"
#include "WindowRegistry.h"

#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRect>
#include <QTest>

// Shared steps of the shell's tests: a fresh program's main window, and sizes in twips.
namespace ShellTest {

// The doubles a fresh program asks instead of a person or the machine.
struct Doubles {
    TemporaryFolder& folder;
    ScriptedMessages& messages;
    ScriptedDialogs& dialogs;
};

// A fresh program with an empty application folder and scripted boxes and dialogs; no window
// exists yet, so the main window's load reads the folder's Settings.ini when a test creates it.
inline Doubles freshProgram()
{
    WindowRegistry::reset();
    resetEditorDocument();
    return { TemporaryFolder::install(), ScriptedMessages::install(), ScriptedDialogs::install() };
}

// The program ended and started again: every window goes, the folder and the doubles stay.
inline void restartProgram()
{
    WindowRegistry::destroyAll();
    resetEditorDocument();
}

// The main window of the running program, shown and placed with the frame its manager gave it.
inline MDIMain& shownMain()
{
    MDIMain& main = WindowRegistry::get<MDIMain>();
    main.show();
    if (!QTest::qWaitForWindowExposed(&main))
        qWarning("The main window was not exposed");
    if (!QTest::qWaitFor([&main] { return main.placement().isSettled(); }))
        qWarning("The main window was not placed with its frame");
    return main;
}

using ::fileBytes;
using ::writeFile;

// The main window's outer frame in pixels, title bar included.
inline QRect outerFrame(const MDIMain& main)
{
    return main.placement().frame();
}

inline QSize outerSize(const MDIMain& main)
{
    return outerFrame(main).size();
}

// Gives the main window an outer size in twips, as a user dragging its frame would.
inline void setOuterSize(MDIMain& main, int widthTwips, int heightTwips)
{
    const QMargins margins = main.placement().margins();
    const QSize frameExtra(margins.left() + margins.right(), margins.top() + margins.bottom());
    main.resize(Twips::toPixelsX(widthTwips) - frameExtra.width(), Twips::toPixelsY(heightTwips) - frameExtra.height());
}

// Where the layout pass puts the console for the main window's current outer size.
inline QRect expectedConsole(const MDIMain& main)
{
    const int width = Twips::fromPixelsX(outerSize(main).width());
    const int height = Twips::fromPixelsY(outerSize(main).height());
    return QRect(Twips::toPixelsX(width - 2100 - 200), 0, Twips::toPixelsX(2100), Twips::toPixelsY(height));
}

// Where the layout pass puts a visible editor page.
inline QRect expectedEditor(const MDIMain& main)
{
    const int width = Twips::fromPixelsX(outerSize(main).width());
    const int height = Twips::fromPixelsY(outerSize(main).height());
    return Twips::toPixels(0, 0, width - 2100 - 200, height);
}

// The frames of the child area, oldest first.
inline QList<QMdiSubWindow*> childFrames(const MDIMain& main)
{
    return control<QMdiArea>(main, "mdiArea")->subWindowList(QMdiArea::CreationOrder);
}

} // namespace ShellTest
