#include "OnScreenKeeper.h"

#include <QCoreApplication>
#include <QEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace {

const char* const keepsOwnPlace = "parloraKeepsOwnPlace";
const char* const watchedWindow = "parloraKeptOnScreen";

bool isKept(const QWidget& widget)
{
    if (!widget.isWindow() || widget.property(keepsOwnPlace).toBool())
        return false;
    switch (widget.windowType()) {
    case Qt::Popup:
    case Qt::ToolTip:
    case Qt::SplashScreen:
    case Qt::Desktop:
    case Qt::SubWindow:
        return false;
    default:
        return true;
    }
}

} // namespace

OnScreenKeeper::OnScreenKeeper(QObject* parent)
    : QObject(parent)
{
    QCoreApplication::instance()->installEventFilter(this);
}

void OnScreenKeeper::setKeepsOwnPlace(QWidget& window)
{
    window.setProperty(keepsOwnPlace, true);
}

QRect OnScreenKeeper::fitted(QRect frame, const QRect& area)
{
    frame.setSize(frame.size().boundedTo(area.size()));
    frame.moveLeft(qBound(area.left(), frame.left(), area.right() + 1 - frame.width()));
    frame.moveTop(qBound(area.top(), frame.top(), area.bottom() + 1 - frame.height()));
    return frame;
}

bool OnScreenKeeper::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (isKept(*widget))
            watch(*widget);
    } else if (event->type() == QEvent::Expose && watched->isWindowType()) {
        auto* native = static_cast<QWindow*>(watched);
        const QVariant owner = native->property(watchedWindow);
        if (auto* widget = owner.value<QWidget*>(); widget && native->isExposed()) {
            native->setProperty(watchedWindow, {});
            fit(*widget);
        }
    }
    return QObject::eventFilter(watched, event);
}

// Checked once each time it is shown, at its first exposure: its manager has framed it by then
// and so told its margins. The application's filter sees the native window's events too.
void OnScreenKeeper::watch(QWidget& window)
{
    QWindow* native = window.windowHandle();
    if (!native)
        return;
    native->setProperty(watchedWindow, QVariant::fromValue(&window));
}

void OnScreenKeeper::fit(QWidget& window)
{
    const QScreen* screen = window.screen();
    if (!screen)
        return;
    const QMargins margins = window.windowHandle()->frameMargins();
    const QRect frame = window.geometry().marginsAdded(margins);
    const QRect place = fitted(frame, screen->availableGeometry());
    if (place == frame)
        return;
    window.setGeometry(place.marginsRemoved(margins));
}
