#pragma once

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>

// Runs a handler that destroys its own window once the event being handled has been delivered:
// while a menu, a button or a close request is handled, the window's own widgets are still
// working on the stack and must not go. Nothing runs if the window has gone in the meantime.
template <typename Window> void runAfterEvent(Window* window, void (Window::*handler)())
{
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [target = QPointer<Window>(window), handler] {
            if (target)
                (target.data()->*handler)();
        },
        Qt::QueuedConnection);
}
