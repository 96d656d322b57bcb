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

// The layout's figures in pixels, worked out by hand for the 96 DPI that Qt gives its offscreen
// and X screens (15 twips a pixel), so that a wrong conversion shows: the console strip is 2100
// twips (140 px) wide and ends 200 twips (13 px) inside the frame's right edge, 153 px in all.
constexpr int consoleStripPixels = 140;
constexpr int consoleStripStartFromRight = 153;

// Where the layout pass puts the console for the main window's current outer size.
inline QRect expectedConsole(const MDIMain& main)
{
    const QSize outer = outerSize(main);
    return QRect(outer.width() - consoleStripStartFromRight, 0, consoleStripPixels, outer.height());
}

// Where the layout pass puts a visible editor page: everything left of the console strip.
inline QRect expectedEditor(const MDIMain& main)
{
    const QSize outer = outerSize(main);
    return QRect(0, 0, outer.width() - consoleStripStartFromRight, outer.height());
}

// The frames of the child area, oldest first.
inline QList<QMdiSubWindow*> childFrames(const MDIMain& main)
{
    return control<QMdiArea>(main, "mdiArea")->subWindowList(QMdiArea::CreationOrder);
}

} // namespace ShellTest
