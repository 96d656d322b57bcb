#include "engine/pipeline/ChunkEventMapper.h"

#include "engine/pipeline/WordPhoneAligner.h"
#include "engine/synth/PhoneTable.h"

#include <algorithm>
#include <limits>

ChunkEventMapper::ChunkEventMapper(const Chunk& chunk, int stream, int sampleRate, StreamPosition streamPosition)
    : m_chunk(chunk)
    , m_stream(stream)
    , m_sampleRate(sampleRate)
    , m_position(std::move(streamPosition))
{
}

int ChunkEventMapper::bookmarkId(const QString& name)
{
    qsizetype digits = 0;
    while (digits < name.size() && name[digits] >= QLatin1Char('0') && name[digits] <= QLatin1Char('9'))
        ++digits;
    bool ok = false;
    const int id = name.left(digits).toInt(&ok);
    return ok ? id : 0;
}

void ChunkEventMapper::hold(qint64 sample, SpeechEvent event)
{
    event.stream = m_stream;
    // Keep samples in order: audio levels are computed behind the synthesiser's own events.
    const auto at
        = std::upper_bound(m_held.begin(), m_held.end(), sample, [](qint64 s, const Held& h) { return s < h.sample; });
    if (m_pendingPhoneme >= 0 && at - m_held.begin() <= m_pendingPhoneme)
        ++m_pendingPhoneme;
    m_held.insert(at, { sample, std::move(event) });
}

void ChunkEventMapper::add(std::span<const SynthEvent> events)
{
    for (const SynthEvent& e : events) {
        switch (e.type) {
        case SynthEvent::Type::Word:
            word(e);
            break;
        case SynthEvent::Type::Mark:
            mark(e);
            break;
        case SynthEvent::Type::Phoneme:
            phoneme(e);
            break;
        case SynthEvent::Type::Sentence:
            break; // sentences are the chunks themselves
        }
    }
}

void ChunkEventMapper::word(const SynthEvent& e)
{
    const auto& origins = m_chunk.origins;
    // The first real character at or after the reported position (it may point into markup or
    // at the last character of an entity).
    qint64 origin = -1;
    for (size_t i = static_cast<size_t>(std::max(0, e.textPosition)); i < origins.size() && origin < 0; ++i)
        origin = origins[i];
    if (origin < 0)
        return;
    const auto& words = m_chunk.words;
    auto it = std::upper_bound(
        words.begin(), words.end(), origin, [](qint64 o, const ChunkSpan& w) { return o < w.begin; });
    size_t index = it == words.begin() ? 0 : static_cast<size_t>(it - words.begin() - 1);
    if (index < words.size() && origin >= words[index].end && index + 1 < words.size())
        ++index;
    if (index >= words.size() || index < m_nextWord)
        return;
    if (m_group.open)
        closeGroup(index, e.sample);
    emitWordsUpTo(index + 1, e.sample);
    m_group = { true, index, e.sample, {}, {} };
}

void ChunkEventMapper::emitWord(size_t index, qint64 sample)
{
    const ChunkSpan& w = m_chunk.words[index];
    SpeechEvent e;
    e.kind = SpeechEvent::Kind::Word;
    e.a = static_cast<int>(w.begin);
    e.b = static_cast<int>(w.end - w.begin);
    hold(sample, e);
    m_nextWord = index + 1;
}

void ChunkEventMapper::emitWordsUpTo(size_t index, qint64 sample)
{
    while (m_nextWord < std::min(index, m_chunk.words.size()))
        emitWord(m_nextWord, sample);
}

// The words from the group's reported one up to end (exclusive) each start at their share of the
// phones; one without a phone of its own starts at endSample.
void ChunkEventMapper::closeGroup(size_t end, qint64 endSample)
{
    m_group.open = false;
    end = std::min(end, m_chunk.words.size());
    if (end <= m_group.first + 1)
        return;
    std::vector<QString> texts;
    for (size_t i = m_group.first; i < end; ++i)
        texts.push_back(i < m_chunk.spokenWords.size() ? m_chunk.spokenWords[i] : QString());
    const std::vector<size_t> starts = WordPhoneAligner::starts(texts, m_group.phones);
    for (size_t j = 1; j < texts.size(); ++j) {
        const qint64 sample = starts[j] < m_group.samples.size() ? m_group.samples[starts[j]] : endSample;
        emitWord(m_group.first + j, std::max(sample, m_group.sample));
    }
}

void ChunkEventMapper::mark(const SynthEvent& e)
{
    if (!e.name.startsWith('b'))
        return;
    bool ok = false;
    const auto index = e.name.mid(1).toUInt(&ok);
    if (ok && index >= m_nextBookmark)
        emitBookmarksUpTo(index + 1, e.sample);
}

void ChunkEventMapper::emitBookmarksUpTo(size_t index, qint64 sample)
{
    for (; m_nextBookmark < std::min(index, m_chunk.bookmarks.size()); ++m_nextBookmark) {
        SpeechEvent e;
        e.kind = SpeechEvent::Kind::Bookmark;
        e.text = m_chunk.bookmarks[m_nextBookmark];
        e.a = bookmarkId(e.text);
        hold(sample, e);
    }
}

void ChunkEventMapper::phoneme(const SynthEvent& e)
{
    const QString ipa = QString::fromUtf8(e.name);
    const PhoneTable::Phone phone = PhoneTable::fromIpa(ipa);
    // At high rates the synthesiser reports some zero-length phonemes a little before the one
    // they follow; they keep their order instead.
    const qint64 sample = std::max(e.sample, m_lastPhoneme);
    m_lastPhoneme = sample;
    if (m_group.open && !ipa.isEmpty()) {
        m_group.phones.push_back(ipa);
        m_group.samples.push_back(sample);
    }
    resolvePhoneme(sample, phone.id, phone.viseme);
    SpeechEvent p;
    p.kind = SpeechEvent::Kind::Phoneme;
    p.c = phone.feature;
    p.d = phone.id;
    SpeechEvent v;
    v.kind = SpeechEvent::Kind::Viseme;
    v.c = phone.feature;
    v.d = phone.viseme;
    hold(sample, p);
    const auto at = std::find_if(
        m_held.rbegin(), m_held.rend(), [](const Held& h) { return h.event.kind == SpeechEvent::Kind::Phoneme; });
    m_pendingPhoneme = m_held.rend() - at - 1;
    m_held.insert(m_held.begin() + m_pendingPhoneme + 1, { sample, v });
    m_held[static_cast<size_t>(m_pendingPhoneme + 1)].event.stream = m_stream;
}

void ChunkEventMapper::resolvePhoneme(qint64 nextSample, short nextId, int nextViseme)
{
    if (m_pendingPhoneme < 0)
        return;
    Held& p = m_held[static_cast<size_t>(m_pendingPhoneme)];
    Held& v = m_held[static_cast<size_t>(m_pendingPhoneme + 1)];
    const int ms
        = static_cast<int>((std::max<qint64>(0, nextSample - p.sample) * 1000 + m_sampleRate / 2) / m_sampleRate);
    p.event.a = ms;
    p.event.b = nextId;
    v.event.a = ms;
    v.event.b = nextViseme;
    m_pendingPhoneme = -1;
}

void ChunkEventMapper::addLevel(qint64 sample, int level)
{
    SpeechEvent e;
    e.kind = SpeechEvent::Kind::AudioLevel;
    e.a = level;
    hold(sample, e);
}

std::vector<SpeechEvent> ChunkEventMapper::take(size_t count)
{
    std::vector<SpeechEvent> out;
    out.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        m_held[i].event.position = m_position(m_held[i].sample);
        out.push_back(std::move(m_held[i].event));
    }
    m_held.erase(m_held.begin(), m_held.begin() + static_cast<qint64>(count));
    if (m_pendingPhoneme >= 0)
        m_pendingPhoneme -= static_cast<qint64>(count);
    return out;
}

// A word the synthesiser left out may still start at the group's second phone or later.
qint64 ChunkEventMapper::groupLimit() const
{
    if (!m_group.open)
        return std::numeric_limits<qint64>::max();
    if (m_group.samples.size() >= 2)
        return m_group.samples[1];
    return m_group.samples.empty() ? m_group.sample : m_group.samples.back();
}

std::vector<SpeechEvent> ChunkEventMapper::release(qint64 deliveredSamples)
{
    size_t count = 0;
    const size_t limit = m_pendingPhoneme >= 0 ? static_cast<size_t>(m_pendingPhoneme) : m_held.size();
    const qint64 before = std::min(deliveredSamples, groupLimit());
    while (count < limit && m_held[count].sample < before)
        ++count;
    return take(count);
}

std::vector<SpeechEvent> ChunkEventMapper::finish(qint64 endSample)
{
    if (m_group.open)
        closeGroup(m_chunk.words.size(), endSample);
    emitWordsUpTo(m_chunk.words.size(), endSample);
    emitBookmarksUpTo(m_chunk.bookmarks.size(), endSample);
    resolvePhoneme(endSample, 0, 0);
    return take(m_held.size());
}
