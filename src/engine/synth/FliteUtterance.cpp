#include "engine/synth/FliteUtterance.h"

#include "engine/synth/FlitePhones.h"

#include <flite/flite.h>

#include <algorithm>
#include <cstring>

namespace {
cst_item* tokenOf(cst_item* segment)
{
    cst_item* syllable = item_parent(item_as(segment, "SylStructure"));
    cst_item* word = syllable ? item_parent(syllable) : nullptr;
    return word ? item_parent(item_as(word, "Token")) : nullptr;
}

bool stressed(cst_item* segment)
{
    cst_item* syllable = item_parent(item_as(segment, "SylStructure"));
    return syllable && item_feat_present(syllable, "stress")
        && std::strcmp(item_feat_string(syllable, "stress"), "1") == 0;
}

int length(cst_item* token, const char* feature)
{
    return item_feat_present(token, feature) ? static_cast<int>(std::strlen(item_feat_string(token, feature))) : 0;
}
} // namespace

FliteUtterance::FliteUtterance(cst_utterance_struct* utterance, const FliteScript::Piece& piece, int sampleRate)
    : m_piece(piece)
{
    const QByteArray& text = piece.text;
    for (int i = 0; i < text.size();) {
        while (i < text.size() && text[i] == ' ')
            ++i;
        const int begin = i;
        while (i < text.size() && text[i] != ' ')
            ++i;
        if (i > begin)
            m_blankSeparated.push_back({ begin, i });
    }
    qint64 start = 0;
    cst_item* lastToken = nullptr;
    for (cst_item* segment = relation_head(utt_relation(utterance, "Segment")); segment; segment = item_next(segment)) {
        const qint64 end = std::llround(static_cast<double>(item_feat_float(segment, "end")) * sampleRate);
        cst_item* token = tokenOf(segment);
        if (token && token != lastToken)
            word(token, start);
        lastToken = token ? token : lastToken;
        SynthEvent phoneme;
        phoneme.type = SynthEvent::Type::Phoneme;
        phoneme.sample = start;
        phoneme.name = FlitePhones::ipa(item_feat_string(segment, "name"), stressed(segment));
        m_events.push_back(phoneme);
        if (!phoneme.name.isEmpty()) {
            m_soundBegin = m_soundBegin < 0 ? start : m_soundBegin;
            m_soundEnd = end;
        }
        start = std::max(start, end);
    }
    m_soundBegin = std::max<qint64>(0, m_soundBegin);
    marksUpTo(static_cast<int>(text.size()), m_soundEnd);
}

// The bytes of a token's written form (without the punctuation around it) in the piece's text.
// Flite notes where its tokenizer stood after a token: one byte past the blank that ended it.
FliteUtterance::Span FliteUtterance::writtenSpan(cst_item* item) const
{
    const int last = item_feat_int(item, "file_pos") - 2;
    auto it = std::find_if(
        m_blankSeparated.rbegin(), m_blankSeparated.rend(), [last](const Span& s) { return s.begin <= last; });
    if (it == m_blankSeparated.rend())
        return { 0, 1 };
    const int begin = std::min(it->begin + length(item, "prepunctuation"), it->end - 1);
    const int end = std::max(begin + 1, it->end - length(item, "punc"));
    return { begin, end };
}

void FliteUtterance::word(cst_item* token, qint64 sample)
{
    const Span span = writtenSpan(token);
    marksUpTo(span.begin, sample);
    SynthEvent word;
    word.type = SynthEvent::Type::Word;
    word.sample = sample;
    word.textPosition = m_piece.origins[static_cast<size_t>(span.begin)];
    // An entity at the token's end counts as its first code point; the engine reads only the start.
    word.length = m_piece.origins[static_cast<size_t>(span.end - 1)] - word.textPosition + 1;
    m_events.push_back(word);
}

void FliteUtterance::marksUpTo(int byte, qint64 sample)
{
    for (; m_nextMark < m_piece.marks.size() && m_piece.marks[m_nextMark].byte <= byte; ++m_nextMark) {
        SynthEvent mark;
        mark.type = SynthEvent::Type::Mark;
        mark.sample = sample;
        mark.textPosition = m_piece.origins.empty()
            ? 0
            : m_piece
                  .origins[std::min(static_cast<size_t>(m_piece.marks[m_nextMark].byte), m_piece.origins.size() - 1)];
        mark.name = m_piece.marks[m_nextMark].name;
        m_events.push_back(mark);
    }
}
