#pragma once

#include <QStringView>

// The two forms of markup: the engine's own tags, and an SSML document, which a <speak> root
// (the first tag of the text) announces.
enum class MarkupDialect { Engine, Ssml };

// The elements the reader acts on.
enum class MarkupElement {
    Unknown, // also the transparent ones: the tag does nothing, the content is spoken
    SentenceBreak,
    // The engine's own tags.
    Bookmark,
    Silence,
    Rate,
    Pitch,
    Volume,
    Emph,
    Spell,
    EngineVoice,
    Lang,
    // SSML's.
    Mark,
    Break,
    Prosody,
    Emphasis,
    SayAs,
    SsmlVoice,
    Sub,
    Hidden, // content not spoken
};

namespace MarkupElements {
// The dialect of a text whose first tag has this name.
MarkupDialect dialectOf(QStringView firstTagName);
// The element a tag name stands for in a dialect, ignoring ASCII case. The paragraph and
// sentence elements break sentences in both.
MarkupElement find(MarkupDialect dialect, QStringView name);
} // namespace MarkupElements
