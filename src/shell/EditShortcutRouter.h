#pragma once

#include <QObject>
#include <vector>

class QAction;

// Lets the given actions' shortcuts win over the focused widget: a text box normally claims keys
// such as Ctrl+C or Del for itself. While an action is enabled and no modal dialog is open, its
// keys go to the action wherever the focus is; a disabled action leaves them to the focused box.
class EditShortcutRouter : public QObject {
    Q_OBJECT
public:
    // Watches the whole application's key events; parent owns the router.
    EditShortcutRouter(std::vector<QAction*> actions, QObject* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool claims(const QKeySequence& keys) const;

    std::vector<QAction*> m_actions;
};
