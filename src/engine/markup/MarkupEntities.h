#pragma once

#include <QString>
#include <QStringView>

// The character references the markup knows: the five named XML entities and decimal (&#65;)
// or hexadecimal (&#x41;) references to XML characters. Anything else after a '&' is text.
namespace MarkupEntities {
struct Entity {
    qsizetype length = 0; // 0 when the '&' is plain text
    char32_t character = 0;
};

// The entity that text starts with (text[0] is '&').
Entity at(QStringView text);
// text with every entity in it replaced by its character.
QString decoded(QStringView text);
// The UTF-16 form of one code point.
QString characterText(char32_t c);
} // namespace MarkupEntities
