#pragma once

class QWidget;

// The text and background colours of a text box as colour values. A box keeps the value it was
// given, so a system colour reads back as the system colour it names, not as its current RGB.
namespace TextBoxColors {
int foreColor(const QWidget& box);
int backColor(const QWidget& box);
void setForeColor(QWidget& box, int colorValue);
void setBackColor(QWidget& box, int colorValue);
} // namespace TextBoxColors
