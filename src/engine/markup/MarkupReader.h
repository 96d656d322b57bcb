#pragma once

#include <QString>
#include <vector>

// Attribute state in force over a stretch of spoken text. Rates and pitches are in the voice's
// own units (-10..10); relative values add to the voice's Rate, absolute ones replace it.
struct MarkupState {
    int rate = 0;
    bool rateAbsolute = false;
    int pitch = 0;
    bool pitchAbsolute = false;
    int volume = 100; // percent of the voice's Volume, 0..100
    bool emphasis = false;
    bool spell = false;
    QString voiceRequired; // "Name=...;Gender=..." attribute list, empty for the current voice
    QString voiceOptional;
    QString language; // BCP 47 tag such as "en-US", empty for the voice's own

    bool operator==(const MarkupState&) const = default;
};

// One element of a read document. Spans are QString offsets into the text given to the reader.
struct MarkupItem {
    enum class Kind {
        Text, // speaks text[begin, end), or replacement when it is not null (an entity, an alias)
        Bookmark, // name
        Silence, // milliseconds
        SentenceBreak, // a paragraph or sentence element boundary
    };
    Kind kind = Kind::Text;
    qsizetype begin = 0;
    qsizetype end = 0;
    QString replacement;
    QString name;
    int milliseconds = 0;
    int state = 0; // index into MarkupDocument::states
};

struct MarkupDocument {
    std::vector<MarkupState> states;
    std::vector<MarkupItem> items;
    MarkupState finalState; // the state at the end, carried over by persisted markup
};

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
