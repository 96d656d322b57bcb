#include "TypedSentence.h"

#include <algorithm>

namespace {

constexpr int enterKey = 13;

bool isSentenceMark(QChar c)
{
    return c == u'.' || c == u'!' || c == u'?' || c == u'\u2026';
}

bool isClosing(QChar c)
{
    return c == u'"' || c == u'\'' || c == u')' || c == u']' || c == u'\u201D' || c == u'\u2019' || c == u'\u00BB';
}

// Whether the text up to end closes a sentence: a mark, with closing quotes or brackets after it.
bool endsSentence(const QString& text, qsizetype end)
{
    while (end > 0 && isClosing(text.at(end - 1)))
        --end;
    return end > 0 && isSentenceMark(text.at(end - 1));
}

// Where the sentence that ends at end begins: after the last mark before it that a blank follows.
qsizetype sentenceStart(const QString& text, qsizetype end)
{
    for (qsizetype i = end - 1; i > 0; --i) {
        if (text.at(i).isSpace() && endsSentence(text, i))
            return i;
    }
    return 0;
}

} // namespace

std::optional<TypedSentence> TypedSentence::finishedBy(const QString& paragraph, int keyAscii)
{
    const qsizetype end = paragraph.size();
    if (keyAscii != enterKey && !(keyAscii == u' ' && endsSentence(paragraph, end)))
        return std::nullopt;
    qsizetype start = sentenceStart(paragraph, end);
    while (start < end && paragraph.at(start).isSpace())
        ++start;
    const QString text = paragraph.mid(start, end - start);
    // Enter after a sentence already spoken, on an empty line, or marks alone finish none.
    if (std::none_of(text.begin(), text.end(), [](QChar c) { return c.isLetterOrNumber(); }))
        return std::nullopt;
    return TypedSentence { static_cast<int>(start), text };
}
