#include "engine/markup/MarkupScanner.h"

#include "engine/markup/MarkupCharacters.h"
#include "engine/markup/MarkupFault.h"

namespace {

using Kind = MarkupConstruct::Kind;

MarkupConstruct text()
{
    return {};
}

MarkupConstruct skipped(qsizetype end)
{
    return { Kind::Skipped, end };
}

} // namespace

MarkupScanner::MarkupScanner(QStringView text)
    : m_text(text)
{
}

MarkupConstruct MarkupScanner::at(qsizetype lt) const
{
    if (lt + 1 >= m_text.size())
        return text();
    const QChar next = m_text[lt + 1];
    if (next == u'!')
        return declaration(lt);
    if (next == u'?')
        return instruction(lt);
    if (next != u'/' && !MarkupCharacters::isNameStart(next.unicode()))
        return text();
    return tag(lt);
}

MarkupConstruct MarkupScanner::declaration(qsizetype lt) const
{
    const QStringView rest = m_text.mid(lt);
    if (rest.startsWith(u"<!--"))
        return comment(lt);
    if (rest.startsWith(u"<![CDATA["))
        return cdata(lt);
    if (rest.size() >= 9 && MarkupCharacters::equalsLower(rest.left(9), "<!doctype"))
        return doctype(lt);
    return otherDeclaration(lt);
}

MarkupConstruct MarkupScanner::comment(qsizetype lt) const
{
    const qsizetype close = m_text.mid(lt).indexOf(u"-->", 4);
    if (close < 0)
        MarkupFault::raise(lt, QStringLiteral("a comment <!-- is not terminated by -->"));
    return skipped(lt + close + 3);
}

MarkupConstruct MarkupScanner::cdata(qsizetype lt) const
{
    const qsizetype close = m_text.mid(lt).indexOf(u"]]>", 9);
    if (close < 0)
        MarkupFault::raise(lt, QStringLiteral("a <![CDATA[ section is not terminated by ]]>"));
    MarkupConstruct construct { Kind::CData, lt + close + 3 };
    construct.contentBegin = lt + 9;
    construct.contentEnd = lt + close;
    return construct;
}

MarkupConstruct MarkupScanner::doctype(qsizetype lt) const
{
    // An internal subset in [...] may hold '<' and '>'; outside it a '<' makes this text.
    bool subset = false;
    bool hadSubset = false;
    char16_t quote = 0;
    for (qsizetype j = lt + 9; j < m_text.size(); ++j) {
        const char16_t c = m_text[j].unicode();
        if (subset) {
            subset = c != u']';
        } else if (c == u'<') {
            return text();
        } else if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'[') {
            subset = hadSubset = true;
        } else if (c == u'>') {
            return skipped(j + 1);
        }
    }
    // Treating it as text would rescan the subset for every '<' inside it.
    if (hadSubset)
        MarkupFault::raise(lt, QStringLiteral("<!DOCTYPE is not terminated by >"));
    return text();
}

MarkupConstruct MarkupScanner::otherDeclaration(qsizetype lt) const
{
    for (qsizetype j = lt + 2; j < m_text.size(); ++j) {
        if (m_text[j] == u'<')
            return text();
        if (m_text[j] == u'>')
            return skipped(j + 1);
    }
    return text();
}

MarkupConstruct MarkupScanner::instruction(qsizetype lt) const
{
    for (qsizetype j = lt + 2; j + 1 < m_text.size(); ++j) {
        if (m_text[j] == u'<')
            break;
        if (m_text[j] == u'?' && m_text[j + 1] == u'>')
            return skipped(j + 2);
    }
    return text();
}

// The tag ends at the first '>' outside quotes; a '<' before it makes the first '<' text, which
// keeps the scan linear since no region is scanned twice for a tag end.
MarkupConstruct MarkupScanner::tag(qsizetype lt) const
{
    const bool endTag = m_text[lt + 1] == u'/';
    qsizetype quotedGt = -1;
    char16_t quote = 0;
    for (qsizetype j = lt + 1; j < m_text.size(); ++j) {
        const char16_t c = m_text[j].unicode();
        if (c == u'<')
            break;
        if (quote) {
            if (c == quote)
                quote = 0;
            else if (c == u'>' && quotedGt < 0)
                quotedGt = j;
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'>') {
            return { Kind::Tag, j + 1, j, endTag };
        }
    }
    if (quotedGt < 0)
        return text();
    return { Kind::UnterminatedValue, quotedGt + 1, quotedGt, endTag };
}
