#include "User.h"

#include "Controls.h"
#include "MDIMain.h"

#include <QAction>
#include <QTest>
#include <QToolBar>

namespace User {

bool clickToolbar(MDIMain& main, const QString& key)
{
    for (QAction* button : control<QToolBar>(main, "ToolbarA")->actions()) {
        if (button->data().toString() != key)
            continue;
        QWidget* shown = control<QToolBar>(main, "ToolbarA")->widgetForAction(button);
        if (!shown || !shown->isVisible() || !shown->isEnabled())
            return false;
        QTest::mouseClick(shown, Qt::LeftButton);
        return true;
    }
    return false;
}

bool choose(QAction* item)
{
    if (!item || !item->isEnabled())
        return false;
    item->trigger();
    return true;
}

void click(QWidget* widget)
{
    QTest::mouseClick(widget, Qt::LeftButton);
}

void type(QWidget* widget, const QString& text)
{
    widget->setFocus();
    QTest::keyClicks(widget, text);
}

} // namespace User
