#pragma once

#include <QString>
#include <QStringView>
#include <optional>
#include <string_view>
#include <vector>

// Spans of one name="value" pair, in QString offsets into the text; the value's without quotes.
struct MarkupAttribute {
    qsizetype nameBegin = 0;
    qsizetype nameEnd = 0;
    qsizetype valueBegin = 0;
    qsizetype valueEnd = 0;
};

// A start or end tag as read, with what the elements ask of it: attributes by name and their
// values as text or whole numbers. A value that is missing or unusable faults (PlatformError).
class MarkupTag {
public:
    struct Spans {
        qsizetype lt = 0; // the '<'
        qsizetype gt = 0; // the '>'
        qsizetype nameBegin = 0;
        qsizetype nameEnd = 0;
        bool empty = false; // <name/>
    };

    MarkupTag(QStringView text, const Spans& spans, std::vector<MarkupAttribute> attributes);

    qsizetype begin() const { return m_spans.lt; }
    qsizetype end() const { return m_spans.gt + 1; }
    qsizetype nameBegin() const { return m_spans.nameBegin; }
    qsizetype nameEnd() const { return m_spans.nameEnd; }
    QStringView name() const { return m_text.mid(m_spans.nameBegin, m_spans.nameEnd - m_spans.nameBegin); }
    bool empty() const { return m_spans.empty; }

    // The first of repeated attributes wins; checking for repeats would make huge tags quadratic.
    const MarkupAttribute* attribute(std::string_view lowerName) const;
    const MarkupAttribute& required(std::string_view lowerName) const;
    QString value(const MarkupAttribute& a) const; // entities decoded
    std::optional<QString> valueOf(std::string_view lowerName) const;
    int integer(const MarkupAttribute& a) const;

    // text[begin, end) and the tag's name as fault descriptions show them.
    QString shown(qsizetype begin, qsizetype end) const;
    QString shownName() const { return shown(m_spans.nameBegin, m_spans.nameEnd); }

private:
    QStringView m_text;
    Spans m_spans;
    std::vector<MarkupAttribute> m_attributes;
};
