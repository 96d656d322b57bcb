#include "ColorValue.h"

#include "SystemColors.h"

namespace ColorValue {

QColor toQColor(int colorValue)
{
    if (colorValue & systemColorFlag)
        colorValue = GetSysColor(colorValue & 0xFF);
    return QColor(colorValue & 0xFF, (colorValue >> 8) & 0xFF, (colorValue >> 16) & 0xFF);
}

int fromQColor(const QColor& color)
{
    const QColor rgb = color.toRgb();
    return rgb.red() | (rgb.green() << 8) | (rgb.blue() << 16);
}

} // namespace ColorValue
