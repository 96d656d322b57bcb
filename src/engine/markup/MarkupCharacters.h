#pragma once

#include <QStringView>
#include <string_view>

// The character classes of the markup: XML's blanks, names and characters, and the ASCII
// case-insensitive comparison that tag and attribute names and keyword values use.
namespace MarkupCharacters {
constexpr bool isSpace(char16_t c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
constexpr bool isDigit(char16_t c)
{
    return c >= '0' && c <= '9';
}
constexpr bool isAsciiLetter(char16_t c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isNameStart(char16_t c);
bool isNameChar(char16_t c);
bool isXmlChar(char32_t c);
int hexValue(char16_t c); // -1 for a character that is no hexadecimal digit

// ASCII case-insensitive comparison with a lower-case literal.
bool equalsLower(QStringView v, std::string_view lower);
bool endsWithLower(QStringView v, std::string_view lower);
} // namespace MarkupCharacters
