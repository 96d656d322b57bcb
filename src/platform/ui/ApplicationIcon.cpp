#include "ApplicationIcon.h"

#include <QGuiApplication>
#include <QWidget>

// Q_INIT_RESOURCE declares its function where it stands, so it is called outside the namespace.
static void loadBundledIcon()
{
    Q_INIT_RESOURCE(appicon);
}

QString ApplicationIcon::applicationId()
{
    return QStringLiteral(PARLORA_APP_ID);
}

QIcon ApplicationIcon::icon()
{
    loadBundledIcon();
    QIcon bundled;
    for (const int size : { 16, 22, 24, 32, 48, 64, 128, 256 })
        bundled.addFile(QStringLiteral(":/appicon/%1.png").arg(size), QSize(size, size));
    return QIcon::fromTheme(applicationId(), bundled);
}

void ApplicationIcon::apply()
{
    QGuiApplication::setWindowIcon(icon());
    QGuiApplication::setDesktopFileName(applicationId());
}

void ApplicationIcon::applyTo(QWidget& window)
{
    window.setWindowIcon(icon());
    window.setWindowIconText(window.windowTitle());
    QObject::connect(&window, &QWidget::windowTitleChanged, &window, &QWidget::setWindowIconText);
}
