#include "engine/markup/MarkupEntities.h"

#include "engine/markup/MarkupCharacters.h"

#include <QChar>
#include <algorithm>

namespace MarkupEntities {

namespace {

Entity named(QStringView text)
{
    static constexpr struct {
        QStringView entity;
        char16_t character;
    } entities[] = {
        { u"&amp;", u'&' },
        { u"&lt;", u'<' },
        { u"&gt;", u'>' },
        { u"&quot;", u'"' },
        { u"&apos;", u'\'' },
    };
    for (const auto& e : entities) {
        if (text.startsWith(e.entity))
            return { e.entity.size(), e.character };
    }
    return {};
}

int digitValue(char16_t c, bool hex)
{
    if (hex)
        return MarkupCharacters::hexValue(c);
    return MarkupCharacters::isDigit(c) ? c - '0' : -1;
}

// &#digits; or &#xdigits; naming an XML character.
Entity numeric(QStringView text)
{
    if (text.size() < 4 || text[1] != u'#')
        return {};
    const bool hex = text[2] == u'x';
    const qsizetype digits = hex ? 3 : 2;
    qsizetype j = digits;
    char32_t value = 0;
    for (; j < text.size(); ++j) {
        const int d = digitValue(text[j].unicode(), hex);
        if (d < 0)
            break;
        // Saturate just above the Unicode range so long digit strings cannot overflow.
        value = std::min<char32_t>(value * (hex ? 16 : 10) + char32_t(d), 0x110000);
    }
    if (j == digits || j >= text.size() || text[j] != u';' || !MarkupCharacters::isXmlChar(value))
        return {};
    return { j + 1, value };
}

} // namespace

Entity at(QStringView text)
{
    const Entity entity = named(text);
    return entity.length > 0 ? entity : numeric(text);
}

QString decoded(QStringView text)
{
    if (!text.contains(u'&'))
        return text.toString();
    QString out;
    out.reserve(text.size());
    for (qsizetype j = 0; j < text.size();) {
        const Entity entity = text[j] == u'&' ? at(text.mid(j)) : Entity {};
        if (entity.length > 0) {
            out.append(characterText(entity.character));
            j += entity.length;
        } else {
            out.append(text[j++]);
        }
    }
    return out;
}

QString characterText(char32_t c)
{
    QString text;
    if (QChar::requiresSurrogates(c)) {
        text.append(QChar(QChar::highSurrogate(c)));
        text.append(QChar(QChar::lowSurrogate(c)));
    } else {
        text.append(QChar(char16_t(c)));
    }
    return text;
}

} // namespace MarkupEntities
