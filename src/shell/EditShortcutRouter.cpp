#include "EditShortcutRouter.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>

EditShortcutRouter::EditShortcutRouter(std::vector<QAction*> actions, QObject* parent)
    : QObject(parent)
    , m_actions(std::move(actions))
{
    for (QAction* action : m_actions)
        action->setShortcutContext(Qt::ApplicationShortcut);
    qApp->installEventFilter(this);
}

// Swallowing the override request unanswered is what hands the key to the shortcut.
bool EditShortcutRouter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (claims(QKeySequence(key->keyCombination())))
            return true;
    }
    return QObject::eventFilter(watched, event);
}

bool EditShortcutRouter::claims(const QKeySequence& keys) const
{
    if (QApplication::activeModalWidget())
        return false;
    for (const QAction* action : m_actions) {
        if (action->isEnabled() && action->shortcuts().contains(keys))
            return true;
    }
    return false;
}
