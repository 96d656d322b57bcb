#include "engine/markup/MarkupParser.h"

#include "engine/markup/EngineDialect.h"
#include "engine/markup/MarkupEntities.h"
#include "engine/markup/MarkupFault.h"
#include "engine/markup/MarkupTag.h"
#include "engine/markup/MarkupTagParser.h"
#include "engine/markup/SsmlDialect.h"
#include "platform/PlatformError.h"

MarkupParser::MarkupParser(const QString& text, const MarkupState& initial, bool forgiving)
    : m_text(text)
    , m_scanner(m_text)
    , m_document(initial)
    , m_forgiving(forgiving)
{
}

MarkupDocument MarkupParser::run()
{
    qsizetype i = 0;
    while (i < m_text.size()) {
        const QChar c = m_text[i];
        if (c == u'<')
            i = markupAt(i);
        else if (c == u'&')
            i = entityAt(i);
        else
            ++i;
    }
    m_document.endTextRun(m_text.size());
    // Elements left open end with the text.
    for (const OpenElement& e : m_open)
        endAlias(e, m_text.size(), m_text.size());
    return m_document.finish(m_open.empty() ? m_document.state() : m_open.front().saved);
}

// Runs one step of reading. A forgiving reader notes the step's fault and goes on, so that a
// single tag that cannot be read costs that tag, not the text; a strict one lets it through.
template <class Step> bool MarkupParser::attempt(Step&& step)
{
    if (!m_forgiving) {
        step();
        return true;
    }
    try {
        step();
        return true;
    } catch (const PlatformError& error) {
        if (m_problem.isEmpty())
            m_problem = error.description();
        return false;
    }
}

qsizetype MarkupParser::entityAt(qsizetype amp)
{
    const MarkupEntities::Entity entity = MarkupEntities::at(m_text.mid(amp));
    if (entity.length == 0)
        return amp + 1;
    m_document.endTextRun(amp);
    m_document.addReplacement(amp, amp + entity.length, MarkupEntities::characterText(entity.character));
    m_document.resumeTextAt(amp + entity.length);
    return amp + entity.length;
}

// Returns where scanning goes on: past the markup, or lt + 1 when the '<' is text.
qsizetype MarkupParser::markupAt(qsizetype lt)
{
    const MarkupConstruct construct = m_scanner.at(lt);
    switch (construct.kind) {
    case MarkupConstruct::Kind::Text:
        return lt + 1;
    case MarkupConstruct::Kind::UnterminatedValue:
        unterminatedValue(lt, construct);
        return lt + 1;
    case MarkupConstruct::Kind::Tag:
        // A malformed tag is text, as a stray '<' is; no '<' lies before its end, so nothing is
        // rescanned.
        if (!tag(lt, construct))
            return lt + 1;
        break;
    case MarkupConstruct::Kind::CData:
        m_document.endTextRun(lt);
        if (construct.contentEnd > construct.contentBegin)
            m_document.add(MarkupItem::Kind::Text, construct.contentBegin, construct.contentEnd);
        break;
    case MarkupConstruct::Kind::Skipped:
        m_document.endTextRun(lt);
        break;
    }
    m_document.resumeTextAt(construct.end);
    return construct.end;
}

// False when the tag cannot be read (and a forgiving reading goes on).
bool MarkupParser::tag(qsizetype lt, const MarkupConstruct& construct)
{
    std::optional<MarkupTag> parsed;
    if (!attempt([&] { parsed = MarkupTagParser(m_text, lt, construct.gt, construct.endTag).parse(); }))
        return false;
    m_document.endTextRun(lt);
    if (construct.endTag)
        endTag(*parsed);
    else
        startTag(*parsed);
    return true;
}

// Only an unterminated quoted value hides the '>': the tag is malformed, and its first fault
// is named.
void MarkupParser::unterminatedValue(qsizetype lt, const MarkupConstruct& construct)
{
    attempt([&] {
        MarkupTagParser(m_text, lt, construct.gt, construct.endTag).parse();
        MarkupFault::raise(
            lt, QStringLiteral("a quoted value in %1 is not terminated").arg(shown(lt, construct.gt + 1)));
    });
}

void MarkupParser::startTag(const MarkupTag& tag)
{
    if (!m_dialect)
        m_dialect = MarkupElements::dialectOf(tag.name());
    const MarkupElement element = MarkupElements::find(*m_dialect, tag.name());
    if (element == MarkupElement::SentenceBreak)
        m_document.add(MarkupItem::Kind::SentenceBreak, tag.begin(), tag.end());
    if (!tag.empty())
        open(tag, element);
    // A known tag with unusable values is skipped like an unknown one: its content is spoken.
    const MarkupState before = m_document.state();
    if (!attempt([&] { act(tag, element); }))
        m_document.setState(before);
}

void MarkupParser::open(const MarkupTag& tag, MarkupElement element)
{
    if (m_open.size() >= size_t(maxDepth))
        MarkupFault::raise(tag.begin(), QStringLiteral("elements are nested more than %1 deep").arg(maxDepth));
    OpenElement e;
    e.nameBegin = tag.nameBegin();
    e.nameEnd = tag.nameEnd();
    e.saved = m_document.state();
    e.breakAtEnd = element == MarkupElement::SentenceBreak;
    m_open.push_back(std::move(e));
}

void MarkupParser::act(const MarkupTag& tag, MarkupElement element)
{
    if (m_dialect == MarkupDialect::Engine) {
        EngineDialect(tag, m_document).apply(element);
        return;
    }
    const SsmlDialect::Content content = SsmlDialect(tag, m_document).apply(element);
    if (!content.hidden || tag.empty())
        return;
    m_open.back().aliasItem = content.aliasItem;
    m_open.back().contentBegin = tag.end();
    m_open.back().hides = true;
    m_document.hide();
}

void MarkupParser::endTag(const MarkupTag& tag)
{
    if (m_open.empty())
        MarkupFault::raise(tag.begin(), QStringLiteral("</%1> has no open element to close").arg(tag.shownName()));
    OpenElement& e = m_open.back();
    if (tag.name().compare(m_text.mid(e.nameBegin, e.nameEnd - e.nameBegin), Qt::CaseInsensitive) != 0)
        MarkupFault::raise(tag.begin(),
            QStringLiteral("</%1> does not close <%2>").arg(tag.shownName(), shown(e.nameBegin, e.nameEnd)));
    if (e.hides)
        m_document.reveal();
    endAlias(e, tag.begin(), tag.end());
    const bool sentenceBreak = e.breakAtEnd;
    m_document.setState(std::move(e.saved));
    m_open.pop_back();
    if (sentenceBreak)
        m_document.add(MarkupItem::Kind::SentenceBreak, tag.begin(), tag.end());
}

// An alias spans its whole element; its words stand for the element's content, blanks trimmed.
void MarkupParser::endAlias(const OpenElement& e, qsizetype contentEnd, qsizetype end)
{
    if (e.aliasItem < 0)
        return;
    m_document.setEnd(e.aliasItem, end);
    qsizetype begin = e.contentBegin;
    while (begin < contentEnd && m_text[begin].isSpace())
        ++begin;
    while (contentEnd > begin && m_text[contentEnd - 1].isSpace())
        --contentEnd;
    if (contentEnd > begin)
        m_document.setContent(e.aliasItem, begin, contentEnd);
}

QString MarkupParser::shown(qsizetype begin, qsizetype end) const
{
    return MarkupFault::excerpt(m_text, begin, end);
}
