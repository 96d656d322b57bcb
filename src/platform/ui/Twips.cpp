#include "Twips.h"

#include <QGuiApplication>
#include <QScreen>

namespace {

constexpr double twipsPerInch = 1440.0;

// Without a screen (no application yet) the desktop's usual 96 DPI applies.
double dpiX()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchX() : 96.0;
}

double dpiY()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchY() : 96.0;
}

} // namespace

namespace Twips {

int perPixelX()
{
    return qRound(twipsPerInch / dpiX());
}
int perPixelY()
{
    return qRound(twipsPerInch / dpiY());
}
int toPixelsX(int twips)
{
    return qRound(twips * dpiX() / twipsPerInch);
}
int toPixelsY(int twips)
{
    return qRound(twips * dpiY() / twipsPerInch);
}
int fromPixelsX(int pixels)
{
    return qRound(pixels * twipsPerInch / dpiX());
}
int fromPixelsY(int pixels)
{
    return qRound(pixels * twipsPerInch / dpiY());
}

QRect toPixels(int left, int top, int width, int height)
{
    return QRect(toPixelsX(left), toPixelsY(top), toPixelsX(width), toPixelsY(height));
}

} // namespace Twips
