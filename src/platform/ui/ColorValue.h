#pragma once

#include <QColor>

// Colour values: the platform's 32-bit colour number, red in the lowest byte, then green, then
// blue; a value with the top bit set names a system colour (its low byte is the GetSysColor index).
namespace ColorValue {
constexpr int systemColorFlag = static_cast<int>(0x80000000u);
QColor toQColor(int colorValue);
int fromQColor(const QColor& color);
} // namespace ColorValue
