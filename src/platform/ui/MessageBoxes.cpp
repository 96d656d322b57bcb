#include "MessageBoxes.h"

#include "WindowRegistry.h"

#include <QGuiApplication>

namespace {

// Without a title the boxes carry the program's name, as the toolkit's do.
QString titleOrProgramName(const QString& title)
{
    return title.isEmpty() ? QGuiApplication::applicationDisplayName() : title;
}

} // namespace

int MsgBox(const QString& text, int style, const QString& title, QWidget* parent)
{
    return WindowRegistry::services().messages->messageBox(parent, text, style, titleOrProgramName(title));
}

QString InputBox(const QString& prompt, const QString& title, const QString& initial, bool* cancelled, QWidget* parent)
{
    const std::optional<QString> typed
        = WindowRegistry::services().messages->inputBox(parent, prompt, titleOrProgramName(title), initial);
    if (cancelled)
        *cancelled = !typed.has_value();
    return typed.value_or(QString());
}
