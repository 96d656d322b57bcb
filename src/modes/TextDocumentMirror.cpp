#include "TextDocumentMirror.h"

#include <QAbstractTextDocumentLayout>
#include <QTextCursor>
#include <QTextDocument>

namespace {

// The document separates its blocks (and, within them, soft lines) with characters of its own.
QString withLineFeeds(QString text)
{
    for (QChar& c : text) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = u'\n';
    }
    return text;
}

} // namespace

TextDocumentMirror::TextDocumentMirror(QTextDocument& document)
    : m_document(document)
    , m_text(plainText(document))
{
    // A document tells of its changes only once it has a layout.
    document.documentLayout();
    connect(&document, &QTextDocument::contentsChange, this, &TextDocumentMirror::follow);
}

QString TextDocumentMirror::plainText(const QTextDocument& document)
{
    // Unlike toPlainText(), this keeps non-breaking spaces as they are.
    return withLineFeeds(document.toRawText());
}

void TextDocumentMirror::follow(int position, int removed, int added)
{
    const qsizetype length = m_document.characterCount() - 1; // without the closing block separator
    const qsizetype before = m_text.size();
    if (position < 0 || position > before || position > length) {
        m_text = TextPieces(plainText(m_document));
        return;
    }
    // The counts may take in the closing separator, which the text does not hold; a range reported
    // larger on both sides still describes the change rightly.
    const qsizetype gone = qMin<qsizetype>(removed, before - position);
    const qsizetype come = qMin<qsizetype>(added, length - position);
    if (before - gone + come != length) {
        m_text = TextPieces(plainText(m_document));
        return;
    }
    m_text.replace(position, gone, textAt(position, static_cast<int>(come)));
}

QString TextDocumentMirror::textAt(int position, int count) const
{
    if (count <= 0)
        return {};
    QTextCursor cursor(&m_document);
    cursor.setPosition(position);
    cursor.setPosition(position + count, QTextCursor::KeepAnchor);
    return withLineFeeds(cursor.selectedText());
}
