#include "HtmlTextBuilder.h"

#include <QRegularExpression>

namespace {

using Break = DocumentText::Break;

bool oneOf(QStringView name, std::initializer_list<const char*> names)
{
    for (const char* candidate : names) {
        if (name.compare(QLatin1String(candidate), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool neverRead(QStringView name)
{
    return oneOf(name,
        { "script", "style", "head", "template", "noscript", "iframe", "object", "svg", "math", "select", "button",
            "datalist", "canvas", "audio", "video" });
}

bool hiddenByStyle(const QString& style)
{
    static const QRegularExpression hiding(
        QStringLiteral(R"((^|;)\s*(display\s*:\s*none|visibility\s*:\s*hidden)\s*(!important\s*)?(;|$))"),
        QRegularExpression::CaseInsensitiveOption);
    return hiding.match(style).hasMatch();
}

bool hidden(QStringView name, const HtmlTextBuilder::Attribute& attribute)
{
    if (neverRead(name))
        return true;
    const auto value = [&attribute](const char* key) { return attribute(key).value_or(QString()).trimmed(); };
    if (oneOf(name, { "input" }) && value("type").compare(QLatin1String("hidden"), Qt::CaseInsensitive) == 0)
        return true;
    // The attribute's presence hides the element whatever its value, as "hidden" or "".
    if (attribute("hidden").has_value())
        return true;
    if (value("aria-hidden").compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    return hiddenByStyle(value("style"));
}

Break breakAround(QStringView name)
{
    if (oneOf(name, { "li", "dt", "dd", "tr", "caption", "figcaption", "option" }))
        return Break::Line;
    if (oneOf(name, { "td", "th" }))
        return Break::Cell;
    if (oneOf(name,
            { "p", "div", "h1", "h2", "h3", "h4", "h5", "h6", "ul", "ol", "dl", "table", "blockquote", "pre", "section",
                "article", "aside", "header", "footer", "nav", "main", "figure", "address", "hr", "title", "body",
                "html", "form", "fieldset", "details", "summary", "center", "legend" }))
        return Break::Paragraph;
    return Break::None;
}

} // namespace

HtmlTextBuilder::HtmlTextBuilder(DocumentText& out)
    : m_out(out)
{
}

void HtmlTextBuilder::start(QStringView name, const Attribute& attribute)
{
    // Every start has its end, so the depth counts the elements opened inside the hidden one.
    if (m_hiddenDepth > 0 || hidden(name, attribute)) {
        ++m_hiddenDepth;
        return;
    }
    if (oneOf(name, { "br" })) {
        m_out.separate(Break::Line);
        return;
    }
    if (oneOf(name, { "img", "area", "input" })) {
        m_out.add(attribute("alt").value_or(QString()));
        return;
    }
    if (oneOf(name, { "pre", "textarea", "listing", "xmp" }))
        ++m_preformatted;
    m_out.separate(breakAround(name));
}

void HtmlTextBuilder::end(QStringView name)
{
    if (m_hiddenDepth > 0) {
        --m_hiddenDepth;
        return;
    }
    if (oneOf(name, { "pre", "textarea", "listing", "xmp" }) && m_preformatted > 0)
        --m_preformatted;
    const Break around = breakAround(name);
    // After the last cell of a row comes the row's line break, not a tab.
    m_out.separate(around == Break::Cell ? Break::Space : around);
}

void HtmlTextBuilder::text(QStringView text)
{
    if (m_hiddenDepth > 0)
        return;
    if (m_preformatted > 0)
        m_out.addVerbatim(text);
    else
        m_out.add(text);
}
