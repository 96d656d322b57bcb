#pragma once

#include "engine/markup/MarkupDocumentBuilder.h"
#include "engine/markup/MarkupElement.h"
#include "engine/markup/MarkupScanner.h"

#include <QString>
#include <optional>
#include <vector>

class MarkupTag;
struct MarkupConstruct;

// One reading of a marked-up text: scans it, nests its elements and lets the dialect of the
// document act on each. A strict reading faults (PlatformError) at the first thing it cannot
// read; a forgiving one reads a tag it cannot read as text, skips a known tag whose values are
// unusable, notes the first such fault and still faults where the markup as a whole cannot be
// read (end tags that close nothing, an unterminated comment, nesting too deep).
class MarkupParser {
public:
    MarkupParser(const QString& text, const MarkupState& initial, bool forgiving);

    MarkupDocument run();
    QString problem() const { return m_problem; } // the first fault forgiven

private:
    struct OpenElement {
        qsizetype nameBegin = 0;
        qsizetype nameEnd = 0;
        MarkupState saved; // restored by the end tag
        qsizetype aliasItem = -1; // the alias item whose span ends with this element
        qsizetype contentBegin = 0; // where the element's content starts
        bool hides = false;
        bool breakAtEnd = false;
    };

    template <class Step> bool attempt(Step&& step);
    qsizetype markupAt(qsizetype lt);
    qsizetype entityAt(qsizetype amp);
    bool tag(qsizetype lt, const MarkupConstruct& construct);
    void unterminatedValue(qsizetype lt, const MarkupConstruct& construct);
    void startTag(const MarkupTag& tag);
    void open(const MarkupTag& tag, MarkupElement element);
    void act(const MarkupTag& tag, MarkupElement element);
    void endTag(const MarkupTag& tag);
    void endAlias(const OpenElement& e, qsizetype contentEnd, qsizetype end);
    QString shown(qsizetype begin, qsizetype end) const;

    static constexpr int maxDepth = 1000;

    QStringView m_text;
    MarkupScanner m_scanner;
    MarkupDocumentBuilder m_document;
    std::optional<MarkupDialect> m_dialect; // decided by the first start tag
    std::vector<OpenElement> m_open;
    bool m_forgiving;
    QString m_problem;
};
