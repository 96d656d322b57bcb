#include "DocumentEditMap.h"

#include <QTextDocument>
#include <algorithm>

DocumentEditMap::DocumentEditMap(QTextDocument& document)
    : m_document(&document)
{
    connect(&document, &QTextDocument::contentsChange, this, &DocumentEditMap::record);
}

// The boxes that are mapped carry plain text, so every change reported moved text.
void DocumentEditMap::record(int position, int removed, int added)
{
    if (removed != 0 || added != 0)
        m_edits.push_back({ position, removed, added });
}

// A start moves with text inserted right before it, an end stays before text inserted right after
// it; a position inside removed text goes to where the removal happened.
int DocumentEditMap::mapped(int position, bool stickToEnd) const
{
    for (const Edit& edit : m_edits) {
        const int removedEnd = edit.position + edit.removed;
        if (position > removedEnd || (position == removedEnd && !stickToEnd))
            position += edit.added - edit.removed;
        else if (position > edit.position)
            position = stickToEnd ? edit.position : edit.position + edit.added;
    }
    return position;
}

std::optional<DocumentEditMap::Span> DocumentEditMap::span(int start, int end) const
{
    if (!m_document)
        return std::nullopt;
    const int last = std::max(0, m_document->characterCount() - 1);
    const int from = std::clamp(mapped(start, false), 0, last);
    const int to = std::clamp(mapped(end, true), 0, last);
    if (to <= from)
        return std::nullopt;
    return Span { from, to };
}
