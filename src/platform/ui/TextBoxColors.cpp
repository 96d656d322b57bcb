#include "TextBoxColors.h"

#include "ColorValue.h"

#include <QPalette>
#include <QVariant>
#include <QWidget>

namespace {

constexpr const char* foreProperty = "ForeColor";
constexpr const char* backProperty = "BackColor";

int colorOf(const QWidget& box, const char* property, QPalette::ColorRole role)
{
    const QVariant stored = box.property(property);
    return stored.isValid() ? stored.toInt() : ColorValue::fromQColor(box.palette().color(role));
}

void setColor(QWidget& box, const char* property, QPalette::ColorRole role, int colorValue)
{
    QPalette colours = box.palette();
    colours.setColor(role, ColorValue::toQColor(colorValue));
    box.setPalette(colours);
    box.setProperty(property, colorValue);
}

} // namespace

namespace TextBoxColors {

int foreColor(const QWidget& box)
{
    return colorOf(box, foreProperty, QPalette::Text);
}

int backColor(const QWidget& box)
{
    return colorOf(box, backProperty, QPalette::Base);
}

void setForeColor(QWidget& box, int colorValue)
{
    setColor(box, foreProperty, QPalette::Text, colorValue);
}

void setBackColor(QWidget& box, int colorValue)
{
    setColor(box, backProperty, QPalette::Base, colorValue);
}

} // namespace TextBoxColors
