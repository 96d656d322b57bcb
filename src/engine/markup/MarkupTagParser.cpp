#include "engine/markup/MarkupTagParser.h"

#include "engine/markup/MarkupCharacters.h"
#include "engine/markup/MarkupFault.h"

using MarkupCharacters::isNameChar;
using MarkupCharacters::isNameStart;
using MarkupCharacters::isSpace;

MarkupTagParser::MarkupTagParser(QStringView text, qsizetype lt, qsizetype gt, bool endTag)
    : m_text(text)
    , m_spans { lt, gt, 0, 0, false }
    , m_endTag(endTag)
    , m_at(lt + (endTag ? 2 : 1))
{
}

MarkupTag MarkupTagParser::parse()
{
    readName();
    if (m_endTag) {
        skipBlanks();
        if (m_at != m_spans.gt)
            unexpected(m_at);
    } else {
        m_spans.empty = readAttributes();
    }
    return MarkupTag(m_text, m_spans, std::move(m_attributes));
}

void MarkupTagParser::readName()
{
    m_spans.nameBegin = m_at;
    if (m_at >= m_spans.gt || !isNameStart(at(m_at)))
        MarkupFault::raise(m_spans.lt,
            QStringLiteral("%1 has no element name").arg(MarkupFault::excerpt(m_text, m_spans.lt, m_spans.gt + 1)));
    skipNameChars();
    m_spans.nameEnd = m_at;
}

bool MarkupTagParser::readAttributes()
{
    for (;;) {
        const qsizetype blanks = m_at;
        skipBlanks();
        if (m_at == m_spans.gt)
            return false;
        if (at(m_at) == u'/' && m_at + 1 == m_spans.gt)
            return true;
        // Attributes are separated by blanks.
        if (m_at == blanks || !isNameStart(at(m_at)))
            unexpected(m_at);
        m_attributes.push_back(readAttribute());
    }
}

MarkupAttribute MarkupTagParser::readAttribute()
{
    MarkupAttribute a;
    a.nameBegin = m_at;
    skipNameChars();
    a.nameEnd = m_at;
    skipBlanks();
    if (m_at == m_spans.gt || at(m_at) != u'=')
        attributeFault(a.nameBegin, a, QStringLiteral("attribute %1 in <%2> has no '=' and value"));
    ++m_at;
    skipBlanks();
    if (m_at == m_spans.gt || (at(m_at) != u'"' && at(m_at) != u'\''))
        attributeFault(m_at, a, QStringLiteral("the value of %1 in <%2> is not quoted"));
    const char16_t quote = at(m_at);
    a.valueBegin = ++m_at;
    while (m_at < m_spans.gt && at(m_at) != quote)
        ++m_at;
    if (m_at == m_spans.gt)
        attributeFault(a.nameBegin, a, QStringLiteral("the value of %1 in <%2> is not terminated"));
    a.valueEnd = m_at++;
    return a;
}

void MarkupTagParser::skipBlanks()
{
    while (m_at < m_spans.gt && isSpace(at(m_at)))
        ++m_at;
}

void MarkupTagParser::skipNameChars()
{
    while (m_at < m_spans.gt && isNameChar(at(m_at)))
        ++m_at;
}

QString MarkupTagParser::tagName() const
{
    return MarkupFault::excerpt(m_text, m_spans.nameBegin, m_spans.nameEnd);
}

void MarkupTagParser::unexpected(qsizetype position) const
{
    const char16_t c = at(position);
    const QString what
        = c < 0x20 ? QStringLiteral("U+%1").arg(int(c), 4, 16, QLatin1Char('0')) : QStringLiteral("'%1'").arg(QChar(c));
    MarkupFault::raise(position,
        QStringLiteral("unexpected %1 in <%2%3>").arg(what, m_endTag ? QStringLiteral("/") : QString(), tagName()));
}

void MarkupTagParser::attributeFault(qsizetype position, const MarkupAttribute& a, const QString& what) const
{
    MarkupFault::raise(position, what.arg(MarkupFault::excerpt(m_text, a.nameBegin, a.nameEnd), tagName()));
}
