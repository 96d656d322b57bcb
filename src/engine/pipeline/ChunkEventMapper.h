#pragma once

#include "engine/markup/Chunk.h"
#include "engine/pipeline/SpeechEvent.h"
#include "engine/synth/SynthesizerBackend.h"

#include <functional>
#include <span>
#include <vector>

// Turns what the synthesiser reports for one chunk into the voice's events, in order, with our
// own bookkeeping where the synthesiser's is unreliable: words are the chunk's own words found
// from the reported position (none skipped, none twice), a word it does not report is placed at
// its own phones within the reported word before it, every bookmark is raised even when the
// synthesiser dropped it, and each phoneme waits for the next one to learn its duration and
// successor. Positions are synthesiser samples from the chunk's start until streamPosition()
// converts them.
class ChunkEventMapper {
public:
    using StreamPosition = std::function<qint64(qint64 sample)>;

    ChunkEventMapper(const Chunk& chunk, int stream, int sampleRate, StreamPosition streamPosition);

    void add(std::span<const SynthEvent> events);
    void addLevel(qint64 sample, int level);
    std::vector<SpeechEvent> release(qint64 deliveredSamples); // events nothing later can precede
    std::vector<SpeechEvent> finish(qint64 endSample); // everything left, at the chunk's end

    static int bookmarkId(const QString& name); // its leading digits, 0 without

private:
    struct Held {
        qint64 sample;
        SpeechEvent event;
    };
    void hold(qint64 sample, SpeechEvent event);
    void word(const SynthEvent& e);
    void mark(const SynthEvent& e);
    void phoneme(const SynthEvent& e);
    void resolvePhoneme(qint64 nextSample, short nextId, int nextViseme);
    void emitWord(size_t index, qint64 sample);
    void emitWordsUpTo(size_t index, qint64 sample);
    void closeGroup(size_t end, qint64 endSample);
    qint64 groupLimit() const;
    void emitBookmarksUpTo(size_t index, qint64 sample);
    std::vector<SpeechEvent> take(size_t count);

    const Chunk& m_chunk;
    int m_stream;
    int m_sampleRate;
    StreamPosition m_position;
    std::vector<Held> m_held;
    size_t m_nextWord = 0;
    size_t m_nextBookmark = 0;
    qint64 m_pendingPhoneme = -1; // index into m_held of the phoneme waiting for its successor
    qint64 m_lastPhoneme = 0; // the synthesiser's sample of the latest phoneme
    // The latest reported word and the phones heard since, which the words after it that the
    // synthesiser leaves out share with it.
    struct Group {
        bool open = false;
        size_t first = 0;
        qint64 sample = 0;
        std::vector<QString> phones;
        std::vector<qint64> samples;
    };
    Group m_group;
};
