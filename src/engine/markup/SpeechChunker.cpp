#include "engine/markup/SpeechChunker.h"

#include "engine/markup/ChunkBuilder.h"
#include "engine/markup/LanguageTable.h"

#include <QStringList>
#include <optional>

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

// Full stops of scripts written without blanks end a sentence with no blank after them.
bool isUnspacedTerminator(QChar ch)
{
    return ch == QChar(0x3002) || ch == QChar(0xFF01) || ch == QChar(0xFF1F) || ch == QChar(0xFF0E);
}

bool isCloser(QChar ch)
{
    return ch.category() == QChar::Punctuation_Close || ch.category() == QChar::Punctuation_FinalQuote;
}

// Titles before a name, which a capital follows without ending the sentence.
bool isTitle(QStringView word)
{
    static const QStringList titles { "Dr", "Mr", "Mrs", "Ms", "Mssrs", "Prof", "St", "Jr", "Sr", "Mt", "Capt", "Gen",
        "Col", "Lt", "Sgt", "Rev", "Hon", "Gov", "Sen", "Rep", "Fr", "Hr", "Hrn", "Nr", "Dipl", "Ing", "Mme", "Mlle",
        "Sra", "Srta", "Dra", "Sig", "Sgr", "Vol", "No", "vs", "bzw", "ca", "vgl", "z", "sog", "usw" };
    return titles.contains(word);
}

// Languages that write ordinal numbers with a full stop: "am 3. Mai".
bool writesOrdinalDot(QStringView language)
{
    static const QStringList languages { "de", "da", "nb", "nn", "no", "fi", "is", "fo", "cs", "sk", "sl", "hr", "sr",
        "bs", "pl", "hu", "et", "lv", "lt", "tr" };
    return languages.contains(language.left(language.indexOf(u'-')).toString(), Qt::CaseInsensitive);
}

// The language a state speaks in, when markup names one: <lang>, or a voice required by language.
QString languageOf(const MarkupState& state)
{
    if (!state.language.isEmpty())
        return state.language;
    for (const QString& part : state.voiceRequired.split(u';')) {
        const QString value = part.section(u'=', 1).trimmed();
        if (part.section(u'=', 0, 0).trimmed().compare(QLatin1String("Language"), Qt::CaseInsensitive) != 0)
            continue;
        const std::optional<unsigned> id = LanguageTable::firstId(value);
        const std::optional<QString> tag = id ? LanguageTable::tag(*id) : std::nullopt;
        return tag.value_or(value);
    }
    return {};
}

bool sameVoice(const MarkupState& a, const MarkupState& b)
{
    return a.voiceRequired == b.voiceRequired && a.voiceOptional == b.voiceOptional && a.language == b.language;
}

} // namespace

// One pass from a chunk's start to its end, feeding the builder, when there is one, on the way.
// A chunk ends after a sentence, before a change of voice or, in a long stretch without either,
// at a blank.
class SpeechChunker::Scan {
public:
    Scan(const SpeechChunker& chunker, ChunkBuilder* builder)
        : m_chunker(chunker)
        , m_builder(builder)
    {
    }

    ChunkCursor run(ChunkCursor start);

private:
    // Each returns where the next chunk starts when this one ends inside the item.
    std::optional<ChunkCursor> item(ChunkCursor cursor);
    std::optional<ChunkCursor> text(const MarkupItem& item, const MarkupState& state, ChunkCursor cursor);
    void character(const MarkupItem& item, const MarkupState& state, QStringView text, qsizetype i);
    bool sentenceEndsAt(QStringView text, qsizetype i) const;
    bool unspacedEndAt(QStringView text, qsizetype i) const;
    bool abbreviationAt(QStringView text, qsizetype i) const;
    qsizetype blanksAfter(const MarkupItem& item, const MarkupState& state, QStringView text, qsizetype i);

    const SpeechChunker& m_chunker;
    ChunkBuilder* m_builder;
    const MarkupState* m_state = nullptr; // the chunk's, from its first text
    bool m_haveText = false;
    qsizetype m_characters = 0;
};

ChunkCursor SpeechChunker::Scan::run(ChunkCursor start)
{
    ChunkCursor cursor = m_chunker.normalised(start);
    std::optional<ChunkCursor> next;
    while (!next && cursor.item < m_chunker.m_document.items.size()) {
        next = item(cursor);
        cursor = { cursor.item + 1, 0 };
    }
    if (m_builder)
        m_builder->finish(m_state);
    return m_chunker.normalised(next.value_or(cursor));
}

std::optional<ChunkCursor> SpeechChunker::Scan::item(ChunkCursor cursor)
{
    const MarkupItem& item = m_chunker.m_document.items[cursor.item];
    if (item.kind == MarkupItem::Kind::SentenceBreak) {
        if (m_haveText)
            return ChunkCursor { cursor.item + 1, 0 };
    } else if (item.kind == MarkupItem::Kind::Bookmark) {
        if (m_builder)
            m_builder->bookmark(item);
    } else if (item.kind == MarkupItem::Kind::Silence) {
        if (m_builder)
            m_builder->silence(item);
    } else {
        return text(item, m_chunker.m_document.states[static_cast<size_t>(item.state)], cursor);
    }
    return std::nullopt;
}

std::optional<ChunkCursor> SpeechChunker::Scan::text(
    const MarkupItem& item, const MarkupState& state, ChunkCursor cursor)
{
    if (m_state && m_haveText && !sameVoice(*m_state, state))
        return cursor;
    // Blanks before a voice's element are spoken in that voice, not the one around it.
    if (!m_haveText)
        m_state = &state;
    const QStringView text = m_chunker.spoken(item);
    for (qsizetype i = cursor.offset; i < text.size(); ++i) {
        character(item, state, text, i);
        if (m_haveText && m_characters >= longChunk && text[i].isSpace())
            return ChunkCursor { cursor.item, i + 1 };
        if (!sentenceEndsAt(text, i))
            continue;
        const qsizetype next = blanksAfter(item, state, text, i);
        // "e.g. this" goes on; a capital, a digit or the end starts a new sentence.
        if (next >= text.size() || !text[next].isLower())
            return ChunkCursor { cursor.item, next };
        m_characters += next - i - 1;
        i = next - 1;
    }
    return std::nullopt;
}

void SpeechChunker::Scan::character(const MarkupItem& item, const MarkupState& state, QStringView text, qsizetype i)
{
    if (m_builder)
        m_builder->character(item, i, text[i], state);
    m_haveText = m_haveText || !text[i].isSpace();
    ++m_characters;
}

// A terminator followed by a blank, after some text, unless it ends an abbreviation; or a full
// stop of a script without blanks, with any closing marks after it.
bool SpeechChunker::Scan::sentenceEndsAt(QStringView text, qsizetype i) const
{
    if (!m_haveText || i + 1 >= text.size())
        return false;
    if (isTerminator(text[i]) && text[i + 1].isSpace())
        return !abbreviationAt(text, i);
    return unspacedEndAt(text, i);
}

bool SpeechChunker::Scan::unspacedEndAt(QStringView text, qsizetype i) const
{
    if (isTerminator(text[i + 1]) || isCloser(text[i + 1]))
        return false;
    qsizetype k = i;
    while (k > 0 && isCloser(text[k]))
        --k;
    return isUnspacedTerminator(text[k]);
}

// "Dr. Smith", and in some languages "am 3. Mai": a full stop after a title or an ordinal.
bool SpeechChunker::Scan::abbreviationAt(QStringView text, qsizetype i) const
{
    if (text[i] != u'.')
        return false;
    qsizetype word = i;
    while (word > 0 && text[word - 1].isLetterOrNumber())
        --word;
    const QStringView before = text.mid(word, i - word);
    if (isTitle(before))
        return true;
    const bool digits = !before.isEmpty() && before.size() <= 2
        && std::all_of(before.begin(), before.end(), [](QChar ch) { return ch.isDigit(); });
    const QString marked = m_state ? languageOf(*m_state) : QString();
    return digits && writesOrdinalDot(marked.isEmpty() ? m_chunker.m_language : marked);
}

// Feeds the blanks after text[i] to the builder; returns where they end.
qsizetype SpeechChunker::Scan::blanksAfter(
    const MarkupItem& item, const MarkupState& state, QStringView text, qsizetype i)
{
    qsizetype j = i + 1;
    for (; j < text.size() && text[j].isSpace(); ++j)
        if (m_builder)
            m_builder->character(item, j, text[j], state);
    return j;
}

SpeechChunker::SpeechChunker(
    const QString& text, const MarkupDocument& document, bool speakPunctuation, QString language)
    : m_text(text)
    , m_document(document)
    , m_speakPunctuation(speakPunctuation)
    , m_language(std::move(language))
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
    ChunkBuilder builder(chunk, voiceRate, m_speakPunctuation);
    chunk.next = scan(chunk.start, &builder);
    return chunk;
}

ChunkCursor SpeechChunker::scan(ChunkCursor start, ChunkBuilder* builder) const
{
    return Scan(*this, builder).run(start);
}
