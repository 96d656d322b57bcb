#pragma once

#include <QString>

class QPushButton;
class QWidget;

// A push button that shows a 32 x 32 picture instead of a caption, with its tooltip and the name a
// screen reader announces for it.
QPushButton* pictureButton(
    QWidget* parent, const QString& name, const QString& picture, const QString& tip, const QString& spokenName);
