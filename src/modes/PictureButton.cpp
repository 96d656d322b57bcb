#include "PictureButton.h"

#include <QIcon>
#include <QPushButton>

QPushButton* pictureButton(
    QWidget* parent, const QString& name, const QString& picture, const QString& tip, const QString& spokenName)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(name);
    button->setIcon(QIcon(picture));
    button->setIconSize(QSize(32, 32));
    button->setToolTip(tip);
    button->setAccessibleName(spokenName);
    return button;
}
