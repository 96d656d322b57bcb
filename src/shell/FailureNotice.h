#pragma once

#include <QLabel>

class QTimer;

// A short notice of a failure, over the bottom of the widget it stands in (the main window's child
// area), left of a strip kept free at its right edge. It goes away by itself after a few seconds,
// or at a click; it never takes the focus and changes no window's layout. A screen reader is told
// of it as an alert and reads the failure as its name.
class FailureNotice : public QLabel {
    Q_OBJECT
public:
    static constexpr int shownMilliseconds = 6000;

    FailureNotice(QWidget& area, int keptFreeRight);

    // Shows the line, in place of any notice still shown, for shownMilliseconds from now.
    void showFailure(const QString& line);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void place();

    QWidget& m_area;
    int m_keptFreeRight;
    QTimer* m_timer;
};
