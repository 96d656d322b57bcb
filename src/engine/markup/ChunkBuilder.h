#pragma once

#include "engine/markup/Chunk.h"

#include <QString>
#include <vector>

// Accumulates the SSML of one chunk with the origin of every UTF-16 unit, and the words.
// No <speak> root: the synthesiser reads the tags without one, and a synthesis stopped inside a
// <speak> element loses 1344 bytes in eSpeak NG 1.51 (every skip and stop). The chunk ends in a
// space instead, or a last punctuation mark would go unspoken.
class ChunkBuilder {
public:
    // voiceRate: the voice's Rate, −10..10, which the states' rates are relative to.
    ChunkBuilder(Chunk& chunk, int voiceRate, bool speakPunctuation);

    // item's character at index, spoken in state (an element of the document's states).
    void character(const MarkupItem& item, qsizetype index, QChar ch, const MarkupState& state);
    void bookmark(const MarkupItem& item);
    void silence(const MarkupItem& item);
    // Completes the chunk; state is that of its first text, null when it has none.
    void finish(const MarkupState* state);

private:
    void markup(const QString& tag);
    void text(const QString& escaped, qsizetype origin);
    void extend(QChar ch, qsizetype begin, qsizetype end);
    void endWord();
    void addWord(qsizetype first, qsizetype last); // the word of m_wordText[first, last)
    void splitWord();
    void open(const MarkupState& state);
    QString prosody(const MarkupState& state) const;
    void close();

    Chunk& m_chunk;
    int m_voiceRate;
    bool m_speakPunctuation;
    QString m_ssml;
    std::vector<qsizetype> m_origins;
    const MarkupState* m_open = nullptr;
    QString m_closing;
    QString m_wordText; // the word so far, as spoken
    std::vector<ChunkSpan> m_wordOrigins; // per unit of m_wordText
    bool m_inAlias = false;
    qsizetype m_sentenceBegin = -1, m_sentenceEnd = 0;
};
