#include "engine/pronunciation/TextPositionMap.h"

#include <algorithm>

void TextPositionMap::addReplacement(
    qsizetype rewrittenStart, qsizetype rewrittenLength, qsizetype originalStart, qsizetype originalLength)
{
    m_replacements.push_back(
        { rewrittenStart, rewrittenStart + rewrittenLength, originalStart, originalStart + originalLength });
}

TextPositionMap::Span TextPositionMap::toOriginal(qsizetype start, qsizetype length) const
{
    const qsizetype from = originalOf(start, false);
    const qsizetype to = originalOf(start + length, true);
    return { from, std::max<qsizetype>(0, to - from) };
}

qsizetype TextPositionMap::originalOf(qsizetype position, bool end) const
{
    const auto after = std::upper_bound(m_replacements.begin(), m_replacements.end(), position,
        [](qsizetype at, const Replacement& replacement) { return at < replacement.rewrittenStart; });
    if (after == m_replacements.begin())
        return position;
    const Replacement& replacement = *(after - 1);
    if (position < replacement.rewrittenEnd)
        return end && position > replacement.rewrittenStart ? replacement.originalEnd : replacement.originalStart;
    return position - replacement.rewrittenEnd + replacement.originalEnd;
}
