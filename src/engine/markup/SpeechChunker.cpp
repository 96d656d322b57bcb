#include "engine/markup/SpeechChunker.h"

#include <cmath>

namespace {
bool isTerminator(QChar ch)
{
    switch (ch.unicode()) {
    case '.':
    case '!':
    case '?':
    case 0x2026: // ellipsis
    case 0x3002: // ideographic full stop
    case 0xFF01:
    case 0xFF1F:
        return true;
    default:
        return false;
    }
}

bool sameVoice(const MarkupState& a, const MarkupState& b)
{
    return a.voiceRequired == b.voiceRequired && a.voiceOptional == b.voiceOptional && a.language == b.language;
}

bool isWordCharacter(QChar ch)
{
    // Symbols such as & % $ @ are read out as words.
    return ch.isLetterOrNumber() || ch.isMark() || ch.isSurrogate() || ch.isSymbol()
        || QStringView(u"&@#%").contains(ch);
}

QString percent(double factor)
{
    const int change = static_cast<int>(std::lround((factor - 1.0) * 100.0));
    return (change >= 0 ? QStringLiteral("+%1%") : QStringLiteral("%1%")).arg(change);
}
} // namespace

// Accumulates the SSML of one chunk with the origin of every UTF-16 unit, and the words.
class SpeechChunker::Builder {
public:
    Builder(Chunk& chunk, int voiceRate, bool speakPunctuation)
        : m_chunk(chunk)
        , m_voiceRate(voiceRate)
        , m_speakPunctuation(speakPunctuation)
    {
        // No <speak> root: the synthesiser reads the tags without one, and a synthesis stopped
        // inside a <speak> element loses 1344 bytes in eSpeak NG 1.51 (every skip and stop).
        // The chunk ends in a space instead, or a last punctuation mark would go unspoken.
    }

    void character(const MarkupItem& item, qsizetype index, QChar ch, const MarkupState& state)
    {
        if (&state != m_open)
            open(state);
        const bool replaced = !item.replacement.isNull();
        const qsizetype begin = replaced ? item.begin : item.begin + index;
        const qsizetype end = replaced ? item.end : item.begin + index + 1;
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
        if (ch.isSpace()) {
            endWord();
            return;
        }
        if (m_sentenceBegin < 0)
            m_sentenceBegin = begin;
        m_sentenceEnd = end;
        if (m_wordBegin < 0)
            m_wordBegin = begin;
        m_wordEnd = end;
        if (isWordCharacter(ch)) {
            if (m_letterBegin < 0)
                m_letterBegin = begin;
            m_letterEnd = end;
        }
    }

    void bookmark(const MarkupItem& item)
    {
        endWord();
        markup(QStringLiteral("<mark name=\"b%1\"/>").arg(m_chunk.bookmarks.size()));
        m_chunk.bookmarks.push_back(item.name);
    }

    void silence(const MarkupItem& item)
    {
        endWord();
        markup(QStringLiteral("<break time=\"%1ms\"/>").arg(std::max(0, item.milliseconds)));
    }

    void finish(const MarkupState* state)
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

private:
    void markup(const QString& tag)
    {
        m_ssml.append(tag);
        m_origins.insert(m_origins.end(), static_cast<size_t>(tag.size()), -1);
    }

    void text(const QString& escaped, qsizetype origin)
    {
        m_ssml.append(escaped);
        m_origins.insert(m_origins.end(), static_cast<size_t>(escaped.size()), origin);
    }

    void endWord()
    {
        if (m_letterBegin >= 0)
            m_chunk.words.push_back({ m_letterBegin, m_letterEnd });
        else if (m_wordBegin >= 0 && m_speakPunctuation)
            m_chunk.words.push_back({ m_wordBegin, m_wordEnd });
        m_wordBegin = m_letterBegin = -1;
    }

    void open(const MarkupState& state)
    {
        close();
        m_open = &state;
        QString prosody;
        const int rate = std::clamp(state.rateAbsolute ? state.rate : m_voiceRate + state.rate, -10, 10);
        if (rate != m_voiceRate)
            prosody
                += QStringLiteral(" rate=\"%1%\"").arg(std::lround(100.0 * std::pow(3.0, (rate - m_voiceRate) / 10.0)));
        if (state.pitch != 0)
            prosody
                += QStringLiteral(" pitch=\"%1\"").arg(percent(std::pow(2.0, std::clamp(state.pitch, -10, 10) / 10.0)));
        if (state.volume != 100)
            prosody += QStringLiteral(" volume=\"%1\"").arg(std::clamp(state.volume, 0, 100));
        if (!prosody.isEmpty()) {
            markup(QStringLiteral("<prosody") + prosody + QStringLiteral(">"));
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

    void close()
    {
        if (!m_closing.isEmpty())
            markup(m_closing);
        m_closing.clear();
        m_open = nullptr;
    }

    Chunk& m_chunk;
    int m_voiceRate;
    bool m_speakPunctuation;
    QString m_ssml;
    std::vector<qsizetype> m_origins;
    const MarkupState* m_open = nullptr;
    QString m_closing;
    qsizetype m_wordBegin = -1, m_wordEnd = -1, m_letterBegin = -1, m_letterEnd = -1;
    qsizetype m_sentenceBegin = -1, m_sentenceEnd = 0;
};

SpeechChunker::SpeechChunker(const QString& text, const MarkupDocument& document, bool speakPunctuation)
    : m_text(text)
    , m_document(document)
    , m_speakPunctuation(speakPunctuation)
{
}

QStringView SpeechChunker::spoken(const MarkupItem& item) const
{
    if (!item.replacement.isNull())
        return item.replacement;
    return QStringView(m_text).mid(item.begin, item.end - item.begin);
}

ChunkCursor SpeechChunker::normalised(ChunkCursor cursor) const
{
    const auto& items = m_document.items;
    while (cursor.item < items.size() && items[cursor.item].kind == MarkupItem::Kind::Text
        && cursor.offset >= spoken(items[cursor.item]).size())
        cursor = { cursor.item + 1, 0 };
    return cursor;
}

bool SpeechChunker::atEnd(ChunkCursor cursor) const
{
    return normalised(cursor).item >= m_document.items.size();
}

ChunkCursor SpeechChunker::nextStart(ChunkCursor start) const
{
    return scan(start, nullptr);
}

Chunk SpeechChunker::chunkAt(ChunkCursor start, int voiceRate) const
{
    Chunk chunk;
    chunk.start = normalised(start);
    Builder builder(chunk, voiceRate, m_speakPunctuation);
    chunk.next = scan(chunk.start, &builder);
    return chunk;
}

ChunkCursor SpeechChunker::scan(ChunkCursor start, Builder* builder) const
{
    const auto& items = m_document.items;
    ChunkCursor cursor = normalised(start);
    const MarkupState* chunkState = nullptr;
    bool haveText = false;
    qsizetype characters = 0;
    const auto done = [&](ChunkCursor next) {
        if (builder)
            builder->finish(chunkState);
        return normalised(next);
    };
    while (cursor.item < items.size()) {
        const MarkupItem& item = items[cursor.item];
        const MarkupState& state = m_document.states[static_cast<size_t>(item.state)];
        if (item.kind == MarkupItem::Kind::SentenceBreak) {
            if (haveText)
                return done({ cursor.item + 1, 0 });
        } else if (item.kind == MarkupItem::Kind::Bookmark) {
            if (builder)
                builder->bookmark(item);
        } else if (item.kind == MarkupItem::Kind::Silence) {
            if (builder)
                builder->silence(item);
        } else {
            if (chunkState && haveText && !sameVoice(*chunkState, state))
                return done(cursor);
            if (!chunkState)
                chunkState = &state;
            const QStringView text = spoken(item);
            for (qsizetype i = cursor.offset; i < text.size(); ++i) {
                const QChar ch = text[i];
                if (builder)
                    builder->character(item, i, ch, state);
                haveText = haveText || !ch.isSpace();
                ++characters;
                if (haveText && characters >= longChunk && ch.isSpace())
                    return done({ cursor.item, i + 1 });
                if (!haveText || !isTerminator(ch) || i + 1 >= text.size() || !text[i + 1].isSpace())
                    continue;
                qsizetype j = i + 1;
                for (; j < text.size() && text[j].isSpace(); ++j)
                    if (builder)
                        builder->character(item, j, text[j], state);
                // "e.g. this" goes on; a capital, a digit or the end starts a new sentence.
                if (j >= text.size() || !text[j].isLower())
                    return done({ cursor.item, j });
                characters += j - i - 1;
                i = j - 1;
            }
        }
        cursor = { cursor.item + 1, 0 };
    }
    return done(cursor);
}
