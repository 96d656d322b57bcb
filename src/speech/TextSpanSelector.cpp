#include "TextSpanSelector.h"

#include "PlatformError.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <algorithm>

namespace {

constexpr int invalidPropertyValue = 380;

} // namespace

TextSpanSelector::TextSpanSelector(QPlainTextEdit& box)
    : m_box(box)
{
}

void TextSpanSelector::select(int start, int length)
{
    const auto refused = [](int value) {
        return PlatformError(QStringLiteral("Invalid property value: %1").arg(value), invalidPropertyValue);
    };
    if (start < 0)
        throw refused(start);
    const qint64 end = m_box.document()->characterCount() - 1;
    QTextCursor cursor(m_box.document());
    keepShaped(static_cast<int>(std::min<qint64>(start, end)));
    cursor.setPosition(static_cast<int>(std::min<qint64>(start, end)));
    if (length < 0) {
        m_box.setTextCursor(cursor);
        throw refused(length);
    }
    cursor.setPosition(static_cast<int>(std::min<qint64>(qint64(start) + length, end)), QTextCursor::KeepAnchor);
    m_box.setTextCursor(cursor);
}

// Placing a cursor in a paragraph needs its shaped glyphs, which the text box throws away after
// every repaint; the paragraph being spoken keeps them, so that a stream of word events does not
// shape it again for every word.
void TextSpanSelector::keepShaped(int position)
{
    const QTextBlock block = m_box.document()->findBlock(position);
    if (!block.isValid() || !block.layout())
        return;
    if (block.blockNumber() != m_shapedBlock) {
        const QTextBlock previous = m_box.document()->findBlockByNumber(m_shapedBlock);
        if (previous.isValid() && previous.layout())
            previous.layout()->setCacheEnabled(false);
        m_shapedBlock = block.blockNumber();
    }
    block.layout()->setCacheEnabled(true);
}
