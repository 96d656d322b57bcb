#include "SystemColors.h"

#include "ColorValue.h"

#include <QApplication>
#include <QPalette>

int GetSysColor(int index)
{
    const QPalette palette = QApplication::palette();
    switch (index) {
    case COLOR_WINDOW:
        return ColorValue::fromQColor(palette.color(QPalette::Base));
    case COLOR_WINDOWTEXT:
        return ColorValue::fromQColor(palette.color(QPalette::Text));
    case COLOR_APPWORKSPACE:
        return ColorValue::fromQColor(palette.color(QPalette::Dark));
    case COLOR_HIGHLIGHT:
        return ColorValue::fromQColor(palette.color(QPalette::Highlight));
    case COLOR_HIGHLIGHTTEXT:
        return ColorValue::fromQColor(palette.color(QPalette::HighlightedText));
    case COLOR_BTNFACE:
        return ColorValue::fromQColor(palette.color(QPalette::Button));
    case COLOR_GRAYTEXT:
        return ColorValue::fromQColor(palette.color(QPalette::Disabled, QPalette::Text));
    case COLOR_BTNTEXT:
        return ColorValue::fromQColor(palette.color(QPalette::ButtonText));
    default:
        return 0;
    }
}
