#include "FailureNotice.h"

#include <QAccessible>
#include <QEvent>
#include <QTimer>

namespace {

constexpr int spacing = 12;
constexpr int padding = 8;

} // namespace

FailureNotice::FailureNotice(QWidget& area, int keptFreeRight)
    : QLabel(&area)
    , m_area(area)
    , m_keptFreeRight(keptFreeRight)
    , m_timer(new QTimer(this))
{
    setObjectName(QStringLiteral("FailureNotice"));
    setAccessibleDescription(QStringLiteral("Speech failure notice"));
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setFocusPolicy(Qt::NoFocus);
    setFrameShape(QFrame::Box);
    setMargin(padding);
    // The colours of a tooltip: a passing note, readable on any theme.
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, colours.color(QPalette::ToolTipBase));
    colours.setColor(QPalette::WindowText, colours.color(QPalette::ToolTipText));
    setPalette(colours);
    hide();

    m_timer->setSingleShot(true);
    m_timer->setInterval(shownMilliseconds);
    connect(m_timer, &QTimer::timeout, this, &QWidget::hide);
    area.installEventFilter(this);
}

void FailureNotice::showFailure(const QString& line)
{
    setText(line);
    setAccessibleName(line);
    place();
    raise();
    show();
    m_timer->start();
    QAccessibleEvent alert(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

// Across the part of the area left of the kept strip, as wide as the text needs, at its bottom.
void FailureNotice::place()
{
    const int room = qMax(m_area.width() - m_keptFreeRight - 2 * spacing, 1);
    // One pixel more than the text, which a label would otherwise wrap at its last word.
    const int textWidth = fontMetrics().horizontalAdvance(text()) + 2 * (padding + frameWidth()) + 1;
    const int width = qMin(textWidth, room);
    const int height = heightForWidth(width);
    const int left = spacing + (room - width) / 2;
    setGeometry(left, qMax(m_area.height() - spacing - height, 0), width, height);
}

bool FailureNotice::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_area && event->type() == QEvent::Resize && isVisible())
        place();
    return QLabel::eventFilter(watched, event);
}

void FailureNotice::mousePressEvent(QMouseEvent*)
{
    m_timer->stop();
    hide();
}
