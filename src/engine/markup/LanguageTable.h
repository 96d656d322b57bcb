#pragma once

#include <QString>
#include <QStringView>
#include <optional>

// The numeric language ids of the engine's <lang langid="..."> tag and the BCP 47 tags they stand
// for, for the languages a voice may speak.
namespace LanguageTable {
// The first id of a ';'-separated list of hexadecimal ids ("409;9", "0x409"); nullopt when it is
// empty or not hexadecimal.
std::optional<unsigned> firstId(QStringView list);
// The tag of an id, such as "en-US" for 0x409; nullopt for an id the table lacks.
std::optional<QString> tag(unsigned id);
} // namespace LanguageTable
