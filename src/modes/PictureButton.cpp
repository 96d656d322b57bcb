#include "PictureButton.h"

#include <QIcon>
#include <QPushButton>

QPushButton* pictureButton(QWidget* parent, const QString& name, const QString& picture, const QString& tip)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(name);
    button->setIcon(QIcon(picture));
    button->setIconSize(QSize(32, 32));
    button->setToolTip(tip);
    return button;
}
