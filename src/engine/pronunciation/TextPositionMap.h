#pragma once

#include <QtGlobal>
#include <vector>

// Where the positions of a rewritten text lie in the text it was made from. Each replaced span
// is recorded; between them the two texts are the same. A position inside a replacement stands
// for the whole span it replaced, so a word spoken from a replacement marks the words written.
class TextPositionMap {
public:
    // Replacements are added in the order of the text, none overlapping.
    void addReplacement(
        qsizetype rewrittenStart, qsizetype rewrittenLength, qsizetype originalStart, qsizetype originalLength);
    bool isIdentity() const { return m_replacements.empty(); }

    struct Span {
        qsizetype start;
        qsizetype length;
    };
    // The span of the original text that a span of the rewritten text came from.
    Span toOriginal(qsizetype start, qsizetype length) const;

private:
    qsizetype originalOf(qsizetype position, bool end) const;

    struct Replacement {
        qsizetype rewrittenStart;
        qsizetype rewrittenEnd;
        qsizetype originalStart;
        qsizetype originalEnd;
    };
    std::vector<Replacement> m_replacements;
};
