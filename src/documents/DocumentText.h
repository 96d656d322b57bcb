#pragma once

#include <QString>
#include <QStringView>

// The plain text of a document as it is read: inline text with its white space collapsed, and
// separators between its parts (a blank line between paragraphs, a line break between the
// lines of a list or a table, a tab between the cells of a row). A separator is written only
// between two pieces of text, so the text never begins or ends with one. Throws PlatformError
// when the text grows past its limit.
class DocumentText {
public:
    enum class Break { None, Space, Cell, Line, Paragraph };

    explicit DocumentText(qsizetype limit = defaultLimit);

    // Text whose runs of white space are one space.
    void add(QStringView text);
    // Text kept as it stands (preformatted), its line breaks as line breaks.
    void addVerbatim(QStringView text);
    // What separates the next text from the text before; the stronger of two requests wins.
    void separate(Break kind);

    const QString& text() const { return m_text; }
    QString take();

    static constexpr qsizetype defaultLimit = qsizetype(64) * 1024 * 1024;

private:
    void append(QStringView text);

    QString m_text;
    Break m_pending = Break::None;
    qsizetype m_limit;
};
