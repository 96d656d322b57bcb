#pragma once

#include <QStringView>

// What begins at a '<' of the text.
struct MarkupConstruct {
    enum class Kind {
        Text, // the '<' is text
        Skipped, // a comment, a declaration or a processing instruction: nothing to speak
        CData, // a CDATA section, whose content is text
        Tag,
        // A tag whose only '>' lies inside a quoted value that never ends: a malformed tag.
        UnterminatedValue,
    };
    Kind kind = Kind::Text;
    qsizetype end = 0; // past the construct
    qsizetype gt = 0; // tags: the '>' that ends them
    bool endTag = false; // tags: "</"
    qsizetype contentBegin = 0; // CDATA: its content
    qsizetype contentEnd = 0;
};

// Finds where the markup at a '<' ends without reading what is inside. It never looks past a
// later '<' except inside a comment, a CDATA section or a document type's internal subset, so
// a text is scanned in linear time. Markup that cannot end faults (PlatformError): an
// unterminated comment, CDATA section or document type with an internal subset.
class MarkupScanner {
public:
    explicit MarkupScanner(QStringView text);

    MarkupConstruct at(qsizetype lt) const;

private:
    MarkupConstruct declaration(qsizetype lt) const;
    MarkupConstruct comment(qsizetype lt) const;
    MarkupConstruct cdata(qsizetype lt) const;
    MarkupConstruct doctype(qsizetype lt) const;
    MarkupConstruct otherDeclaration(qsizetype lt) const;
    MarkupConstruct instruction(qsizetype lt) const;
    MarkupConstruct tag(qsizetype lt) const;

    QStringView m_text;
};
