#include "engine/markup/ChunkBuilder.h"

#include <QList>
#include <QTextBoundaryFinder>
#include <algorithm>
#include <cmath>

namespace {

bool isWordCharacter(QChar ch)
{
    // Symbols such as & % $ @ are read out as words.
    return ch.isLetterOrNumber() || ch.isMark() || ch.isSurrogate() || ch.isSymbol()
        || QStringView(u"&@#%").contains(ch);
}

// Scripts written without blanks between words; their words are found by their word breaks.
bool unspaced(uint codePoint)
{
    switch (QChar::script(codePoint)) {
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
    case QChar::Script_Bopomofo:
    case QChar::Script_Thai:
    case QChar::Script_Lao:
    case QChar::Script_Khmer:
    case QChar::Script_Myanmar:
    case QChar::Script_Tibetan:
    case QChar::Script_Yi:
        return true;
    default:
        return false;
    }
}

QString percent(double factor)
{
    const int change = static_cast<int>(std::lround((factor - 1.0) * 100.0));
    return (change >= 0 ? QStringLiteral("+%1%") : QStringLiteral("%1%")).arg(change);
}

} // namespace

ChunkBuilder::ChunkBuilder(Chunk& chunk, int voiceRate, bool speakPunctuation)
    : m_chunk(chunk)
    , m_voiceRate(voiceRate)
    , m_speakPunctuation(speakPunctuation)
{
}

void ChunkBuilder::character(const MarkupItem& item, qsizetype index, QChar ch, const MarkupState& state)
{
    if (&state != m_open)
        open(state);
    const bool replaced = !item.replacement.isNull();
    const bool alias = item.contentBegin >= 0;
    // An alias is one word, its element's content, however many words it speaks.
    if (alias != m_inAlias)
        endWord();
    m_inAlias = alias;
    const qsizetype begin = alias ? item.contentBegin : replaced ? item.begin : item.begin + index;
    const qsizetype end = alias ? item.contentEnd : replaced ? item.end : item.begin + index + 1;
    switch (ch.unicode()) {
    case '&':
        text(QStringLiteral("&amp;"), begin);
        break;
    case '<':
        text(QStringLiteral("&lt;"), begin);
        break;
    case '>':
        text(QStringLiteral("&gt;"), begin);
        break;
    default:
        m_ssml.append(ch);
        m_origins.push_back(begin);
    }
    if (ch.isSpace() && !alias)
        endWord();
    else
        extend(ch, begin, end);
}

// The sentence and the word grow to include a character that is no blank.
void ChunkBuilder::extend(QChar ch, qsizetype begin, qsizetype end)
{
    if (m_sentenceBegin < 0)
        m_sentenceBegin = begin;
    m_sentenceEnd = end;
    m_wordText.append(ch);
    m_wordOrigins.push_back({ begin, end });
}

void ChunkBuilder::bookmark(const MarkupItem& item)
{
    endWord();
    markup(QStringLiteral("<mark name=\"b%1\"/>").arg(m_chunk.bookmarks.size()));
    m_chunk.bookmarks.push_back(item.name);
}

void ChunkBuilder::silence(const MarkupItem& item)
{
    endWord();
    markup(QStringLiteral("<break time=\"%1ms\"/>").arg(std::max(0, item.milliseconds)));
}

void ChunkBuilder::finish(const MarkupState* state)
{
    endWord();
    close();
    markup(QStringLiteral(" "));
    if (state)
        m_chunk.state = *state;
    m_chunk.sentence = m_sentenceBegin < 0 ? ChunkSpan {} : ChunkSpan { m_sentenceBegin, m_sentenceEnd };
    // The synthesiser counts code points, so low surrogates drop out of the map.
    m_chunk.origins.reserve(m_origins.size());
    for (qsizetype i = 0; i < m_ssml.size(); ++i)
        if (!m_ssml[i].isLowSurrogate())
            m_chunk.origins.push_back(m_origins[static_cast<size_t>(i)]);
    m_chunk.ssml = m_ssml.toUtf8();
}

void ChunkBuilder::markup(const QString& tag)
{
    m_ssml.append(tag);
    m_origins.insert(m_origins.end(), static_cast<size_t>(tag.size()), -1);
}

void ChunkBuilder::text(const QString& escaped, qsizetype origin)
{
    m_ssml.append(escaped);
    m_origins.insert(m_origins.end(), static_cast<size_t>(escaped.size()), origin);
}

void ChunkBuilder::endWord()
{
    const QList<uint> codePoints = m_wordText.toUcs4();
    if (std::any_of(codePoints.begin(), codePoints.end(), unspaced))
        splitWord();
    else if (!m_wordText.isEmpty())
        addWord(0, m_wordText.size());
    m_wordText.clear();
    m_wordOrigins.clear();
}

void ChunkBuilder::splitWord()
{
    QTextBoundaryFinder breaks(QTextBoundaryFinder::Word, m_wordText);
    qsizetype first = 0;
    while (breaks.toNextBoundary() >= 0) {
        addWord(first, breaks.position());
        first = breaks.position();
    }
}

// Its letters, or its punctuation when that is spoken.
void ChunkBuilder::addWord(qsizetype first, qsizetype last)
{
    qsizetype letterBegin = -1, letterEnd = -1;
    for (qsizetype i = first; i < last; ++i) {
        if (!isWordCharacter(m_wordText[i]))
            continue;
        if (letterBegin < 0)
            letterBegin = m_wordOrigins[size_t(i)].begin;
        letterEnd = m_wordOrigins[size_t(i)].end;
    }
    const QString spoken = m_wordText.mid(first, last - first);
    if (letterBegin >= 0)
        m_chunk.words.push_back({ letterBegin, letterEnd });
    else if (m_speakPunctuation && last > first)
        m_chunk.words.push_back({ m_wordOrigins[size_t(first)].begin, m_wordOrigins[size_t(last - 1)].end });
    else
        return;
    m_chunk.spokenWords.push_back(spoken);
}

void ChunkBuilder::open(const MarkupState& state)
{
    close();
    m_open = &state;
    const QString attributes = prosody(state);
    if (!attributes.isEmpty()) {
        markup(QStringLiteral("<prosody") + attributes + QStringLiteral(">"));
        m_closing.prepend(QStringLiteral("</prosody>"));
    }
    if (state.emphasis) {
        markup(QStringLiteral("<emphasis>"));
        m_closing.prepend(QStringLiteral("</emphasis>"));
    }
    if (state.spell) {
        markup(QStringLiteral("<say-as interpret-as=\"characters\">"));
        m_closing.prepend(QStringLiteral("</say-as>"));
    }
}

// The <prosody> attributes of a state, empty when it speaks as the voice does.
QString ChunkBuilder::prosody(const MarkupState& state) const
{
    QString attributes;
    const int rate = std::clamp(state.rateAbsolute ? state.rate : m_voiceRate + state.rate, -10, 10);
    if (rate != m_voiceRate)
        attributes
            += QStringLiteral(" rate=\"%1%\"").arg(std::lround(100.0 * std::pow(3.0, (rate - m_voiceRate) / 10.0)));
    if (state.pitch != 0)
        attributes
            += QStringLiteral(" pitch=\"%1\"").arg(percent(std::pow(2.0, std::clamp(state.pitch, -10, 10) / 10.0)));
    if (state.volume != 100)
        attributes += QStringLiteral(" volume=\"%1\"").arg(std::clamp(state.volume, 0, 100));
    return attributes;
}

void ChunkBuilder::close()
{
    if (!m_closing.isEmpty())
        markup(m_closing);
    m_closing.clear();
    m_open = nullptr;
}
