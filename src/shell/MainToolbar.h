#pragma once

#include <QToolBar>

class ImageList;

// The main window's toolbar: the editor's file, editing and speech commands and the spoken date
// and time, as picture buttons named "Buttons(1)" on. Each button carries its command's key
// ("Open", "Play", ...) as its data and shows its tooltip, which also names it for screen readers.
// It neither moves nor floats, and only the mode switch shows or hides it.
class MainToolbar : public QToolBar {
    Q_OBJECT
public:
    // Fills the list with the buttons' pictures, by key, and makes the buttons from it.
    MainToolbar(ImageList& pictures, QWidget* parent);

    // The button of a command key; nullptr for a key without one.
    QAction* button(const QString& key) const;

private:
    void loadPictures(ImageList& pictures);
    void addButtons(const ImageList& pictures);
};
