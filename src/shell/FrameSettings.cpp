#include "FrameSettings.h"

#include "FramePlacement.h"
#include "PlatformError.h"
#include "SettingsFile.h"
#include "Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cmath>

namespace {

// How much of a title bar must lie on a screen for a user to take hold of it: its whole height
// (at least this many pixels before the window manager has told it) and this much of its width.
constexpr int smallestTitleHeight = 8;
constexpr int smallestTitleGrip = 48;

// A stored size or position in pixels; the window refuses what no desktop could show.
int windowPixels(float twips, int (*toPixels)(int), bool isSize)
{
    const auto refuse = [] { throw PlatformError(QStringLiteral("Invalid property value")); };
    if (!std::isfinite(twips) || std::fabs(twips) > 1.0e7f)
        refuse();
    const int pixels = toPixels(static_cast<int>(std::lround(twips)));
    if (std::abs(pixels) > FrameSettings::largestWindowPixels || (isSize && pixels < 0))
        refuse();
    return pixels;
}

QRect availableDesktop()
{
    QRect desktop;
    for (const QScreen* screen : QGuiApplication::screens())
        desktop |= screen->availableGeometry();
    return desktop;
}

} // namespace

FrameSettings::FrameSettings(FramePlacement& placement)
    : m_placement(placement)
{
}

// Fields are converted as they are applied, so a fault keeps the effect of the fields before it.
void FrameSettings::apply(const SettingsFields& file)
{
    // A size stored on a larger desktop is cut to what the screens can show.
    const QSize desktop = availableDesktop().size();
    const int width = windowPixels(SettingsFile::toSingle(file.fields[0]), Twips::toPixelsX, true);
    m_placement.setFrameSize(QSize(qMin(width, desktop.width()), m_placement.frame().height()));
    const int height = windowPixels(SettingsFile::toSingle(file.fields[1]), Twips::toPixelsY, true);
    m_placement.setFrameSize(QSize(m_placement.frame().width(), qMin(height, desktop.height())));
    const int left = windowPixels(SettingsFile::toSingle(file.fields[2]), Twips::toPixelsX, false);
    const int top = windowPixels(SettingsFile::toSingle(file.fields[3]), Twips::toPixelsY, false);
    placeOnScreen(left, top);
}

void FrameSettings::placeOnScreen(int leftPixels, int topPixels)
{
    const int titleHeight = qMax(m_placement.margins().top(), smallestTitleHeight);
    const QRect title(leftPixels, topPixels, m_placement.frame().width(), titleHeight);
    const QList<QScreen*> screens = QGuiApplication::screens();
    const bool reachable = std::any_of(screens.begin(), screens.end(), [&title](const QScreen* screen) {
        const QRect shown = screen->availableGeometry().intersected(title);
        return shown.height() == title.height() && shown.width() >= qMin(title.width(), smallestTitleGrip);
    });
    if (!reachable)
        throw PlatformError(
            QStringLiteral("Invalid property value: the window's title bar would stand off every screen."));
    m_placement.moveFrame(QPoint(leftPixels, topPixels));
}

SettingsValues FrameSettings::stored(Qt::WindowStates state) const
{
    SettingsValues values;
    const QRect frame = m_placement.frame();
    if (state & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) {
        values.width = 8400;
        values.height = 9735;
    } else {
        values.width = static_cast<float>(Twips::fromPixelsX(frame.width()));
        values.height = static_cast<float>(Twips::fromPixelsY(frame.height()));
    }
    values.left = static_cast<float>(Twips::fromPixelsX(frame.x()));
    values.top = static_cast<float>(Twips::fromPixelsY(frame.y()));
    return values;
}
