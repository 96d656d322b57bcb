#pragma once

#include "engine/markup/Chunk.h"
#include "engine/markup/MarkupDocument.h"

#include <QString>

class ChunkBuilder;

// Splits a read document into chunks. Immutable after construction, so the worker and the UI
// thread may both use it.
class SpeechChunker {
public:
    // language: the voice's BCP 47 tag, for what ends a sentence where markup names none.
    SpeechChunker(
        const QString& text, const MarkupDocument& document, bool speakPunctuation, QString language = QString());

    bool atEnd(ChunkCursor cursor) const;
    Chunk chunkAt(ChunkCursor start, int voiceRate) const; // voiceRate: the voice's Rate, −10..10
    ChunkCursor nextStart(ChunkCursor start) const; // the same boundary chunkAt finds, without building
    ChunkCursor begin() const { return normalised({}); }

    static constexpr qsizetype longChunk = 800; // characters before a chunk may end at any blank

private:
    class Scan;
    ChunkCursor scan(ChunkCursor start, ChunkBuilder* builder) const;
    ChunkCursor normalised(ChunkCursor cursor) const;
    QStringView spoken(const MarkupItem& item) const;

    const QString& m_text;
    const MarkupDocument& m_document;
    bool m_speakPunctuation;
    QString m_language;
};
