#include "PhraseLabel.h"

#include <QEvent>
#include <QFontMetrics>

namespace {

// Taller than any label, so the measured text is never cut by the measuring box.
constexpr int unboundedHeight = 1 << 20;

} // namespace

PhraseLabel::PhraseLabel(const QString& phrase, QWidget* parent)
    : QLabel(parent)
{
    // A phrase is shown as typed, never as markup.
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setPhrase(phrase);
}

void PhraseLabel::setPhrase(const QString& phrase)
{
    setText(phrase);
    updateToolTip();
}

bool PhraseLabel::isClipped() const
{
    const QRect room = contentsRect();
    const QRect needed = fontMetrics().boundingRect(
        QRect(0, 0, room.width(), unboundedHeight), static_cast<int>(alignment()) | Qt::TextWordWrap, text());
    return needed.width() > room.width() || needed.height() > room.height();
}

void PhraseLabel::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    updateToolTip();
}

void PhraseLabel::changeEvent(QEvent* event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        updateToolTip();
}

void PhraseLabel::updateToolTip()
{
    setToolTip(isClipped() ? text() : QString());
}
