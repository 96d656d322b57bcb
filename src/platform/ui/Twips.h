#pragma once

#include <QRect>

// Positions and sizes are written in twips (1/1440 inch); the screen's logical DPI turns them
// into pixels (15 twips a pixel at 96 DPI).
namespace Twips {
int perPixelX();
int perPixelY();
int toPixelsX(int twips);
int toPixelsY(int twips);
int fromPixelsX(int pixels);
int fromPixelsY(int pixels);
QRect toPixels(int left, int top, int width, int height);
} // namespace Twips
