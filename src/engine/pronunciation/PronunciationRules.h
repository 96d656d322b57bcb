#pragma once

#include "engine/pronunciation/PronunciationRule.h"
#include "engine/pronunciation/TextPositionMap.h"

#include <QRegularExpression>
#include <QString>
#include <vector>

// The user's rules, applied to a text before the engine reads it. The text is read once from
// its start: where several rules match, the match that begins first wins, then the longer one,
// then the rule listed first; what a rule put in is not matched again. With markup, only the
// text between tags is rewritten: tags, their attribute values, comments and entity references
// stay as written, and what a rule puts in is escaped so that it stays text.
class PronunciationRules {
public:
    PronunciationRules() = default;
    explicit PronunciationRules(std::vector<PronunciationRule> rules);

    const std::vector<PronunciationRule>& rules() const { return m_rules; }

    struct Rewritten {
        QString text;
        TextPositionMap map;
    };
    Rewritten apply(const QString& text, bool markup) const;

    // Why a rule can never match (no text, a regular expression that does not compile); empty
    // for a usable rule. Unusable rules are kept but skipped.
    static QString problemOf(const PronunciationRule& rule);

private:
    struct Compiled {
        QRegularExpression pattern;
        QString spokenAs;
        bool expandGroups;
    };
    struct Match {
        qsizetype start;
        qsizetype length;
        size_t rule;
        QString replacement;
    };
    struct Segment {
        qsizetype start;
        qsizetype end;
    };

    std::vector<Match> matchesIn(const QString& text, Segment segment, bool markup) const;
    static std::vector<Segment> openSegments(const QString& text, bool markup);

    std::vector<PronunciationRule> m_rules;
    std::vector<Compiled> m_compiled;
};
