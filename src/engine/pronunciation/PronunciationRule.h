#pragma once

#include <QString>

// One way of saying a text: where the text is found, it is spoken as spokenAs. A whole-word rule
// matches only where no letter, digit or underscore touches the text on either side. A rule that
// is a regular expression (Perl syntax) may put what its groups caught in spokenAs as \1 to \9
// (\0 for the whole match).
struct PronunciationRule {
    QString text;
    QString spokenAs;
    bool wholeWord = true;
    bool matchCase = false;
    bool regularExpression = false;

    bool operator==(const PronunciationRule&) const = default;
};
