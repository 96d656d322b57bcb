#include "SeenTabOrder.h"

#include <QEvent>
#include <QWidget>

namespace {

// The policy a control was built with, kept while it is out of sight.
constexpr const char* builtPolicy = "seenTabOrderPolicy";

Qt::FocusPolicy policyAsBuilt(QWidget& control)
{
    const QVariant kept = control.property(builtPolicy);
    if (kept.isValid())
        return static_cast<Qt::FocusPolicy>(kept.toInt());
    control.setProperty(builtPolicy, int(control.focusPolicy()));
    return control.focusPolicy();
}

} // namespace

SeenTabOrder::SeenTabOrder(QWidget& container)
    : m_container(container)
{
    watchAncestors();
}

// The control's middle inside every widget around it, up to its window; what it covers of itself
// (a scroll area's viewport, say) does not count against it.
bool SeenTabOrder::isSeen(const QWidget& control)
{
    if (!control.isVisible())
        return false;
    QRect shown = control.rect();
    QPoint middle = shown.center();
    for (const QWidget* widget = &control; !widget->isWindow() && widget->parentWidget();) {
        shown.translate(widget->pos());
        middle += widget->pos();
        widget = widget->parentWidget();
        shown &= widget->rect();
    }
    return shown.contains(middle);
}

void SeenTabOrder::refresh()
{
    for (QWidget* control : m_container.findChildren<QWidget*>()) {
        const Qt::FocusPolicy built = policyAsBuilt(*control);
        if (!(built & Qt::TabFocus) || !control->isVisibleTo(&m_container))
            continue;
        const auto wanted = isSeen(*control) ? built : static_cast<Qt::FocusPolicy>(built & ~Qt::TabFocus);
        if (control->focusPolicy() != wanted)
            control->setFocusPolicy(wanted);
    }
}

// The container and every window part around it: any of them moving or changing size can bring
// a control into view or take it out.
void SeenTabOrder::watchAncestors()
{
    for (const QPointer<QWidget>& watched : m_watched) {
        if (watched)
            watched->removeEventFilter(this);
    }
    m_watched.clear();
    for (QWidget* widget = &m_container; widget; widget = widget->parentWidget()) {
        widget->installEventFilter(this);
        m_watched.emplace_back(widget);
        if (widget->isWindow())
            break;
    }
}

// After the event: the watched widget lays out its children while it handles it.
void SeenTabOrder::refreshSoon()
{
    if (m_refreshPending)
        return;
    m_refreshPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_refreshPending = false;
            refresh();
        },
        Qt::QueuedConnection);
}

bool SeenTabOrder::eventFilter(QObject*, QEvent* event)
{
    switch (event->type()) {
    case QEvent::ParentChange:
        watchAncestors();
        refreshSoon();
        break;
    case QEvent::Show:
    case QEvent::Resize:
    case QEvent::Move:
        refreshSoon();
        break;
    default:
        break;
    }
    return false;
}
