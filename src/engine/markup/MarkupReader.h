#pragma once

#include "engine/markup/MarkupDocument.h"

#include <QString>

// A forgiving reading: the document, and what in the markup could not be read (empty when all
// of it could), described as PlatformError would describe it.
struct MarkupReading {
    MarkupDocument document;
    QString problem;
};

// Reads the engine's XML markup (the speech tags and the SSML <speak> document form) into
// items. Unknown tags are skipped, a stray '<' or '&' is text; a real fault throws PlatformError.
class MarkupReader {
public:
    static MarkupDocument read(const QString& text, bool xml, const MarkupState& initial = {});
    // Never refuses the text, since pasted text (a web address or a mail address in angle
    // brackets) often holds what only looks like markup: a tag that is not well formed is text,
    // as a stray '<' is; a known tag whose values are unusable is skipped like an unknown one;
    // when the markup as a whole cannot be read (end tags that close nothing, an unterminated
    // comment, nesting too deep) the whole text is plain text. The problem names the first fault.
    static MarkupReading readForgiving(const QString& text, bool xml, const MarkupState& initial = {});
};
