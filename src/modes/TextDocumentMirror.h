#pragma once

#include "TextPieces.h"

#include <QObject>

class QTextDocument;

// Keeps a copy of a text document's plain text, line breaks as '\n', up to date from the
// document's change signal, so that the whole text can be had at any moment without reading
// the document (which costs a full pass over it). Edits copy only the pieces they touch.
class TextDocumentMirror : public QObject {
    Q_OBJECT
public:
    explicit TextDocumentMirror(QTextDocument& document);

    const TextPieces& text() const { return m_text; }

    // The document's plain text read afresh, as the mirror holds it.
    static QString plainText(const QTextDocument& document);

private:
    void follow(int position, int removed, int added);
    QString textAt(int position, int count) const;

    QTextDocument& m_document;
    TextPieces m_text;
};
