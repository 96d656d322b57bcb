#pragma once

#include "engine/markup/MarkupTag.h"

// Reads one tag, text[lt, gt] from its '<' to its '>': the name, then for a start tag its
// quoted attributes and an empty-element '/'. What is not well formed faults (PlatformError)
// with a description of the first thing wrong.
class MarkupTagParser {
public:
    MarkupTagParser(QStringView text, qsizetype lt, qsizetype gt, bool endTag);

    MarkupTag parse();

private:
    void readName();
    bool readAttributes(); // true when the tag ends with "/>"
    MarkupAttribute readAttribute();
    void skipBlanks();
    void skipNameChars();
    char16_t at(qsizetype i) const { return m_text[i].unicode(); }
    QString tagName() const;
    [[noreturn]] void unexpected(qsizetype position) const;
    [[noreturn]] void attributeFault(qsizetype position, const MarkupAttribute& a, const QString& what) const;

    QStringView m_text;
    MarkupTag::Spans m_spans;
    bool m_endTag;
    qsizetype m_at; // the character read next
    std::vector<MarkupAttribute> m_attributes;
};
