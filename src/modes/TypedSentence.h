#pragma once

#include <QString>
#include <optional>

// The sentence a key press finishes while the user types: a space right after a sentence mark
// (. ! ? or an ellipsis, closing quotes and brackets after it allowed), or Enter after any text.
// The sentence runs from the end of the sentence before it in the same paragraph, its leading
// blanks left out, to the place the key is typed at.
struct TypedSentence {
    int start; // in the paragraph
    QString text;

    // paragraph: the text before the key's place in its paragraph; keyAscii as the editor's key
    // handler receives it (13 for Enter). Nothing when the key finishes no sentence, or one without
    // a letter or digit.
    static std::optional<TypedSentence> finishedBy(const QString& paragraph, int keyAscii);
};
