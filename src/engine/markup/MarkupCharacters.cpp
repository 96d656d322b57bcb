#include "engine/markup/MarkupCharacters.h"

#include <QChar>

namespace MarkupCharacters {

bool isNameStart(char16_t c)
{
    return isAsciiLetter(c) || c == '_' || (c >= 0x80 && QChar(c).isLetter());
}

bool isNameChar(char16_t c)
{
    if (c < 0x80)
        return isAsciiLetter(c) || isDigit(c) || c == '_' || c == '-' || c == '.' || c == ':';
    const QChar q(c);
    // Surrogates are accepted so that names with supplementary letters stay one name.
    return q.isLetterOrNumber() || q.isMark() || q.isSurrogate();
}

bool isXmlChar(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD)
        || (c >= 0x10000 && c <= 0x10FFFF);
}

int hexValue(char16_t c)
{
    if (isDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool equalsLower(QStringView v, std::string_view lower)
{
    if (v.size() != qsizetype(lower.size()))
        return false;
    for (qsizetype i = 0; i < v.size(); ++i) {
        char16_t c = v[i].unicode();
        if (c >= 'A' && c <= 'Z')
            c = char16_t(c + ('a' - 'A'));
        if (c != char16_t(lower[size_t(i)]))
            return false;
    }
    return true;
}

bool endsWithLower(QStringView v, std::string_view lower)
{
    return v.size() >= qsizetype(lower.size()) && equalsLower(v.right(qsizetype(lower.size())), lower);
}

} // namespace MarkupCharacters
