#pragma once

#include <QIcon>
#include <QString>

class QWidget;

// The program's icon and desktop identity: the icon theme's picture of the application id (the
// installed hicolor icon, or one a theme draws for it), else the same pictures compiled in.
namespace ApplicationIcon {
QString applicationId();
QIcon icon();
// Gives every window the icon and tells the desktop which entry the windows belong to.
void apply();
// Gives a top-level window the icon itself, and an icon name, shown for it when it is minimised
// or listed by the desktop, that follows its title.
void applyTo(QWidget& window);
} // namespace ApplicationIcon
