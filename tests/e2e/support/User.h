#pragma once

#include <QString>

class MDIMain;
class QAction;
class QWidget;

// What a user does with the mouse and the keyboard, through the real widgets.
namespace User {

// Clicks the toolbar button with that key ("Play", "Stop", ...); false when it is not shown.
bool clickToolbar(MDIMain& main, const QString& key);
// Chooses a menu item, as the menu does when it is clicked; false when it is disabled.
bool choose(QAction* item);
// Clicks a widget in its middle.
void click(QWidget* widget);
// Puts the focus into the widget and types the text.
void type(QWidget* widget, const QString& text);

} // namespace User
