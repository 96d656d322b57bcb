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
    qsizetype contentBegin = -1, contentEnd = -1; // an alias: the text it speaks for, blanks trimmed
    QString name;
    int milliseconds = 0;
    int state = 0; // index into MarkupDocument::states
};

struct MarkupDocument {
    std::vector<MarkupState> states;
    std::vector<MarkupItem> items;
    MarkupState finalState; // the state at the end, carried over by persisted markup
};
