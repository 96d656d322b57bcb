#pragma once

#include "MDIMain.h"
#include "Twips.h"
#include "WindowRegistry.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRect>
#include <QTest>

// Shared steps of the shell's tests: a fresh program's main window, and sizes in twips.
namespace ShellTest {

// The main window's outer size in pixels.
inline QSize outerSize(const MDIMain& main)
{
    return main.frameGeometry().size();
}

// Gives the main window an outer size in twips, as a user dragging its frame would.
inline void setOuterSize(MDIMain& main, int widthTwips, int heightTwips)
{
    const QSize frameExtra = main.frameGeometry().size() - main.size();
    main.resize(Twips::toPixelsX(widthTwips) - frameExtra.width(), Twips::toPixelsY(heightTwips) - frameExtra.height());
}

// Where the layout pass puts the console for the main window's current outer size.
inline QRect expectedConsole(const MDIMain& main, int top)
{
    const int width = Twips::fromPixelsX(outerSize(main).width());
    const int height = Twips::fromPixelsY(outerSize(main).height());
    return QRect(Twips::toPixelsX(width - 2100 - 200), top, Twips::toPixelsX(2100), Twips::toPixelsY(height));
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
    return main.mdiArea->subWindowList(QMdiArea::CreationOrder);
}

} // namespace ShellTest
