#pragma once

#include "engine/markup/MarkupDocument.h"

#include <QString>

// The text of one Speak call as it is heard, for what is written alongside the speech (subtitles):
// a span of the text given to Speak, as Word and Sentence events give it, comes back without its
// markup, with entities read and blanks as they stand.
class SpokenText {
public:
    // text and flags as given to Speak; a file's text is read as Speak reads it. Throws
    // PlatformError when that file cannot be read.
    SpokenText(const QString& text, int flags);

    QString span(qsizetype position, qsizetype length) const;

    // A text file's text as Speak reads it: UTF-8, or else 8-bit text, which loses nothing.
    static QString readFile(const QString& fileName);

private:
    QString m_text;
    MarkupDocument m_document;
};
