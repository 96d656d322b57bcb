#include "DocumentText.h"

#include "PlatformError.h"

#include <utility>

namespace {

QStringView separatorOf(DocumentText::Break kind)
{
    switch (kind) {
    case DocumentText::Break::None:
        return {};
    case DocumentText::Break::Space:
        return u" ";
    case DocumentText::Break::Cell:
        return u"\t";
    case DocumentText::Break::Line:
        return u"\n";
    case DocumentText::Break::Paragraph:
        return u"\n\n";
    }
    return {};
}

// Soft hyphens and zero-width marks are no part of what is read.
bool invisible(QChar c)
{
    return c == QChar(0x00AD) || c == QChar(0x200B) || c == QChar(0xFEFF);
}

} // namespace

DocumentText::DocumentText(qsizetype limit)
    : m_limit(limit)
{
}

void DocumentText::add(QStringView text)
{
    qsizetype from = 0;
    for (qsizetype at = 0; at <= text.size(); ++at) {
        const bool end = at == text.size();
        if (!end && !text.at(at).isSpace() && !invisible(text.at(at)))
            continue;
        if (at > from)
            append(text.sliced(from, at - from));
        // A no-break space is a space that keeps its words together when they are shown; read
        // aloud it is a space like any other.
        if (!end && text.at(at).isSpace())
            separate(Break::Space);
        from = at + 1;
    }
}

void DocumentText::addVerbatim(QStringView text)
{
    qsizetype from = 0;
    for (qsizetype at = text.indexOf(u'\n'); at >= 0; at = text.indexOf(u'\n', from)) {
        QStringView line = text.sliced(from, at - from);
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (!line.trimmed().isEmpty())
            append(line);
        separate(Break::Line);
        from = at + 1;
    }
    if (!text.sliced(from).trimmed().isEmpty())
        append(text.sliced(from));
}

void DocumentText::separate(Break kind)
{
    if (kind > m_pending)
        m_pending = kind;
}

void DocumentText::append(QStringView text)
{
    if (!m_text.isEmpty())
        m_text += separatorOf(m_pending);
    m_pending = Break::None;
    if (m_text.size() + text.size() > m_limit)
        throw PlatformError(QStringLiteral("The document's text is longer than this program can hold."));
    m_text += text;
}

QString DocumentText::take()
{
    m_pending = Break::None;
    return std::exchange(m_text, QString());
}
