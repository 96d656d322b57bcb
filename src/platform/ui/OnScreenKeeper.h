#pragma once

#include <QObject>
#include <QRect>

class QWidget;

// Keeps every top-level window of the program wholly on a screen when it opens: the help and
// about windows, dialogs and message boxes. A window manager or Qt may place a window partly off
// the screen (centred on a parent near its edge, under the pointer), so once the window is
// framed its frame is moved, and if need be shrunk, into the available area of its screen.
// Windows that keep a place of their own (the main window, restored from the settings) opt out
// with setKeepsOwnPlace().
class OnScreenKeeper : public QObject {
    Q_OBJECT
public:
    // Watches the whole application; owned by parent.
    explicit OnScreenKeeper(QObject* parent);

    static void setKeepsOwnPlace(QWidget& window);
    // Where a frame of that size and place goes to lie wholly inside area (shrunk if larger).
    static QRect fitted(QRect frame, const QRect& area);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watch(QWidget& window);
    void fit(QWidget& window);
};
