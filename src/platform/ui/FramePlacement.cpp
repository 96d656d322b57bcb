#include "FramePlacement.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>

FramePlacement::FramePlacement(QWidget& window)
    : QObject(&window)
    , m_window(window)
    , m_wanted(window.frameGeometry())
{
    m_window.installEventFilter(this);
    watchNativeWindow();
}

QRect FramePlacement::frame() const
{
    // Qt keeps the margins it first saw; a manager changes them, for one, when it maximises.
    return m_wanted ? *m_wanted : m_window.geometry().marginsAdded(margins());
}

void FramePlacement::setFrameSize(QSize size)
{
    QRect outer = frame();
    outer.setSize(size);
    if (m_wanted)
        m_wanted = outer;
    apply(outer);
}

void FramePlacement::moveFrame(QPoint topLeft)
{
    QRect outer = frame();
    outer.moveTopLeft(topLeft);
    if (m_wanted)
        m_wanted = outer;
    apply(outer);
}

QMargins FramePlacement::margins() const
{
    const QWindow* native = m_window.windowHandle();
    return native && native->handle() ? native->frameMargins() : QMargins();
}

// The client area is what Qt places; the frame goes around it by the margins known now.
void FramePlacement::apply(const QRect& outer)
{
    const QMargins frameMargins = margins();
    const QSize client = outer.size().shrunkBy(frameMargins).expandedTo(QSize(1, 1));
    if (!m_window.testAttribute(Qt::WA_WState_Created)) {
        // Not yet created, the window takes its position as the frame's, which the window
        // manager keeps when it frames it.
        m_window.resize(client);
        m_window.move(outer.topLeft());
        return;
    }
    // Place and size in one step, so that the resize the window reports has its place too.
    const QRect wanted(outer.topLeft() + QPoint(frameMargins.left(), frameMargins.top()), client);
    if (m_window.geometry() != wanted)
        m_window.setGeometry(wanted);
}

void FramePlacement::watchNativeWindow()
{
    if (m_watching || !m_window.windowHandle())
        return;
    m_window.windowHandle()->installEventFilter(this);
    m_watching = true;
}

// The manager has framed the window by the time it is exposed: the margins are known then.
void FramePlacement::settle()
{
    if (!m_wanted)
        return;
    const QRect wanted = *m_wanted;
    m_wanted.reset();
    apply(wanted);
    emit settled();
}

bool FramePlacement::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_window) {
        if (event->type() == QEvent::WinIdChange || event->type() == QEvent::Show)
            watchNativeWindow();
    } else if (event->type() == QEvent::Expose && m_window.windowHandle()->isExposed()) {
        settle();
    }
    return QObject::eventFilter(watched, event);
}
