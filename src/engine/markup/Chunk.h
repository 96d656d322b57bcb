#pragma once

#include "engine/markup/MarkupDocument.h"

#include <QByteArray>
#include <QString>
#include <vector>

// A place in a read document: an item and a character offset into what that item speaks.
struct ChunkCursor {
    size_t item = 0;
    qsizetype offset = 0;
    bool operator==(const ChunkCursor&) const = default;
};

struct ChunkSpan {
    qsizetype begin = 0;
    qsizetype end = 0;
};

// One sentence (or a voice run, or a long stretch without a sentence end) ready for the
// synthesiser: SSML plus the maps from its code points back to the text given to Speak.
struct Chunk {
    ChunkCursor start;
    ChunkCursor next;
    QByteArray ssml; // UTF-8
    std::vector<qsizetype> origins; // per code point of ssml: offset in the original text, -1 for markup
    std::vector<ChunkSpan> words; // in speaking order, punctuation trimmed
    std::vector<QString> spokenWords; // what each of words speaks (an alias for its element)
    ChunkSpan sentence;
    std::vector<QString> bookmarks; // the SSML marks are named "b<index>"
    MarkupState state; // the state of the chunk's first item (its voice and language)
};
