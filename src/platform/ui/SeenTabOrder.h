#pragma once

#include <QObject>
#include <QPointer>
#include <vector>

class QWidget;

// Keeps Tab and Shift+Tab on the controls of a container that a person can see. A control whose
// middle lies outside what the window shows (beyond a clipping edge, scrolled away) leaves the
// Tab order; it can still be clicked and used by code, and it returns to the order once seen.
class SeenTabOrder final : public QObject {
public:
    explicit SeenTabOrder(QWidget& container);

    void refresh();
    static bool isSeen(const QWidget& control);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watchAncestors();
    void refreshSoon();

    QWidget& m_container;
    std::vector<QPointer<QWidget>> m_watched;
    bool m_refreshPending = false;
};
