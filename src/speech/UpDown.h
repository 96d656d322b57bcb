#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

// An up/down spinner beside a buddy text box. Its arrows (and the Up and Down keys in the box)
// step the number in the box within the range; the box keeps taking free text, and a step starts
// from the number it holds when it holds one.
class UpDown : public QWidget {
    Q_OBJECT
public:
    explicit UpDown(QWidget* parent = nullptr);

    void setBuddy(QLineEdit* buddy);
    QLineEdit* buddy() const { return m_buddy; }
    void setRange(int minimum, int maximum);
    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    void setIncrement(int increment) { m_increment = increment; }
    int increment() const { return m_increment; }
    int value() const { return m_value; }

    void stepBy(int steps);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QToolButton* m_up;
    QToolButton* m_down;
    QLineEdit* m_buddy = nullptr;
    int m_minimum = 0;
    int m_maximum = 10;
    int m_increment = 1;
    int m_value = 0;
};
