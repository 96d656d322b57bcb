#include "MainToolbar.h"

#include "ImageList.h"
#include "IndexedName.h"

#include <QAction>
#include <QBitmap>
#include <QPixmap>
#include <algorithm>
#include <array>

namespace {

struct ToolbarButton {
    const char* key; // nullptr: a separator
    const char* toolTip;
};

constexpr std::array<ToolbarButton, 20> toolbarButtons { {
    { "New", "New" },
    { "Print", "Print" },
    { "Save", "Save" },
    { "Open", "Open" },
    { nullptr, nullptr },
    { "Cut", "Cut" },
    { "Copy", "Copy" },
    { "Paste", "Paste" },
    { "Delete", "Delete" },
    { nullptr, nullptr },
    { "Undo", "Undo" },
    { "Redo", "Redo" },
    { nullptr, nullptr },
    { "Record", "Record" },
    { "Play", "Play" },
    { "Pause", "Pause" },
    { "Stop", "Stop" },
    { nullptr, nullptr },
    { "Time", "Current Time" },
    { "Date", "Current Date" },
} };

} // namespace

MainToolbar::MainToolbar(ImageList& pictures, QWidget* parent)
    : QToolBar(parent)
{
    loadPictures(pictures);
    setWindowTitle(QStringLiteral("Toolbar"));
    setObjectName(QStringLiteral("ToolbarA"));
    setMovable(false);
    setFloatable(false);
    setIconSize(pictures.size());
    // Only the mode switch shows and hides the toolbar, so the frame's context menu may not.
    toggleViewAction()->setVisible(false);
    addButtons(pictures);
}

void MainToolbar::loadPictures(ImageList& pictures)
{
    for (const ToolbarButton& button : toolbarButtons) {
        if (button.key) {
            const QString key = QLatin1String(button.key);
            pictures.add(QImage(QStringLiteral(":/shell/toolbar/%1.png").arg(key)), key);
        }
    }
}

void MainToolbar::addButtons(const ImageList& pictures)
{
    const QColor mask = ImageList::toQColor(pictures.MaskColor);
    for (std::size_t i = 0; i < toolbarButtons.size(); ++i) {
        const ToolbarButton& button = toolbarButtons[i];
        QAction* action = nullptr;
        if (button.key) {
            const QString key = QLatin1String(button.key);
            QPixmap picture = QPixmap::fromImage(pictures.picture(key));
            picture.setMask(picture.createMaskFromColor(mask, Qt::MaskInColor));
            action = addAction(QIcon(picture), key);
            action->setToolTip(QLatin1String(button.toolTip));
            widgetForAction(action)->setAccessibleName(QLatin1String(button.toolTip));
            action->setData(key);
            // Pause shows pressed while speech stands paused.
            action->setCheckable(key == QLatin1String("Pause"));
        } else {
            action = addSeparator();
        }
        action->setObjectName(indexedName(QStringLiteral("Buttons"), static_cast<int>(i) + 1));
    }
}

QAction* MainToolbar::button(const QString& key) const
{
    const QList<QAction*> buttons = actions();
    const auto found = std::find_if(
        buttons.begin(), buttons.end(), [&key](const QAction* button) { return button->data().toString() == key; });
    return found == buttons.end() ? nullptr : *found;
}
