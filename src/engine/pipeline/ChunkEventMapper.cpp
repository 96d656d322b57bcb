#include "engine/pipeline/ChunkEventMapper.h"

#include "engine/synth/PhoneTable.h"

#include <algorithm>

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
    emitWordsUpTo(index + 1, e.sample);
}

void ChunkEventMapper::emitWordsUpTo(size_t index, qint64 sample)
{
    for (; m_nextWord < std::min(index, m_chunk.words.size()); ++m_nextWord) {
        const ChunkSpan& w = m_chunk.words[m_nextWord];
        SpeechEvent e;
        e.kind = SpeechEvent::Kind::Word;
        e.a = static_cast<int>(w.begin);
        e.b = static_cast<int>(w.end - w.begin);
        hold(sample, e);
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
    const PhoneTable::Phone phone = PhoneTable::fromIpa(QString::fromUtf8(e.name));
    resolvePhoneme(e.sample, phone.id, phone.viseme);
    SpeechEvent p;
    p.kind = SpeechEvent::Kind::Phoneme;
    p.c = phone.feature;
    p.d = phone.id;
    SpeechEvent v;
    v.kind = SpeechEvent::Kind::Viseme;
    v.c = phone.feature;
    v.d = phone.viseme;
    hold(e.sample, p);
    const auto at = std::find_if(
        m_held.rbegin(), m_held.rend(), [](const Held& h) { return h.event.kind == SpeechEvent::Kind::Phoneme; });
    m_pendingPhoneme = m_held.rend() - at - 1;
    m_held.insert(m_held.begin() + m_pendingPhoneme + 1, { e.sample, v });
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

std::vector<SpeechEvent> ChunkEventMapper::release(qint64 deliveredSamples)
{
    size_t count = 0;
    const size_t limit = m_pendingPhoneme >= 0 ? static_cast<size_t>(m_pendingPhoneme) : m_held.size();
    while (count < limit && m_held[count].sample < deliveredSamples)
        ++count;
    return take(count);
}

std::vector<SpeechEvent> ChunkEventMapper::finish(qint64 endSample)
{
    emitWordsUpTo(m_chunk.words.size(), endSample);
    emitBookmarksUpTo(m_chunk.bookmarks.size(), endSample);
    resolvePhoneme(endSample, 0, 0);
    return take(m_held.size());
}
