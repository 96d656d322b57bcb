#include "engine/markup/MarkupTag.h"

#include "engine/markup/MarkupCharacters.h"
#include "engine/markup/MarkupEntities.h"
#include "engine/markup/MarkupFault.h"
#include "engine/markup/MarkupNumbers.h"

MarkupTag::MarkupTag(QStringView text, const Spans& spans, std::vector<MarkupAttribute> attributes)
    : m_text(text)
    , m_spans(spans)
    , m_attributes(std::move(attributes))
{
}

const MarkupAttribute* MarkupTag::attribute(std::string_view lowerName) const
{
    for (const MarkupAttribute& a : m_attributes) {
        if (MarkupCharacters::equalsLower(m_text.mid(a.nameBegin, a.nameEnd - a.nameBegin), lowerName))
            return &a;
    }
    return nullptr;
}

const MarkupAttribute& MarkupTag::required(std::string_view lowerName) const
{
    const MarkupAttribute* a = attribute(lowerName);
    if (!a)
        MarkupFault::raise(m_spans.lt,
            QStringLiteral("<%1> needs a %2 attribute")
                .arg(shownName(), QLatin1StringView(lowerName.data(), qsizetype(lowerName.size()))));
    return *a;
}

QString MarkupTag::value(const MarkupAttribute& a) const
{
    return MarkupEntities::decoded(m_text.mid(a.valueBegin, a.valueEnd - a.valueBegin));
}

std::optional<QString> MarkupTag::valueOf(std::string_view lowerName) const
{
    if (const MarkupAttribute* a = attribute(lowerName))
        return value(*a);
    return std::nullopt;
}

int MarkupTag::integer(const MarkupAttribute& a) const
{
    const std::optional<int> v = MarkupNumbers::integer(value(a));
    if (!v)
        MarkupFault::raise(a.nameBegin,
            QStringLiteral("%1=\"%2\" in <%3> is not a whole number")
                .arg(shown(a.nameBegin, a.nameEnd), shown(a.valueBegin, a.valueEnd), shownName()));
    return *v;
}

QString MarkupTag::shown(qsizetype begin, qsizetype end) const
{
    return MarkupFault::excerpt(m_text, begin, end);
}
