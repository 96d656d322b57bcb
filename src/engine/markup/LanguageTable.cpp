#include "engine/markup/LanguageTable.h"

#include "engine/markup/MarkupCharacters.h"

#include <algorithm>

namespace LanguageTable {

namespace {

struct LanguageId {
    unsigned id;
    const char* tag;
};

constexpr LanguageId languageIds[] = {
    { 0x401, "ar-SA" },
    { 0x402, "bg-BG" },
    { 0x403, "ca-ES" },
    { 0x404, "zh-TW" },
    { 0x405, "cs-CZ" },
    { 0x406, "da-DK" },
    { 0x407, "de-DE" },
    { 0x408, "el-GR" },
    { 0x409, "en-US" },
    { 0x40A, "es-ES" },
    { 0x40B, "fi-FI" },
    { 0x40C, "fr-FR" },
    { 0x40D, "he-IL" },
    { 0x40E, "hu-HU" },
    { 0x410, "it-IT" },
    { 0x411, "ja-JP" },
    { 0x412, "ko-KR" },
    { 0x413, "nl-NL" },
    { 0x414, "nb-NO" },
    { 0x415, "pl-PL" },
    { 0x416, "pt-BR" },
    { 0x418, "ro-RO" },
    { 0x419, "ru-RU" },
    { 0x41A, "hr-HR" },
    { 0x41B, "sk-SK" },
    { 0x41D, "sv-SE" },
    { 0x41E, "th-TH" },
    { 0x41F, "tr-TR" },
    { 0x421, "id-ID" },
    { 0x422, "uk-UA" },
    { 0x424, "sl-SI" },
    { 0x42A, "vi-VN" },
    { 0x439, "hi-IN" },
    { 0x804, "zh-CN" },
    { 0x807, "de-CH" },
    { 0x809, "en-GB" },
    { 0x80A, "es-MX" },
    { 0x80C, "fr-BE" },
    { 0x813, "nl-BE" },
    { 0x816, "pt-PT" },
    { 0xC04, "zh-HK" },
    { 0xC07, "de-AT" },
    { 0xC09, "en-AU" },
    { 0xC0A, "es-ES" },
    { 0xC0C, "fr-CA" },
    { 0x1009, "en-CA" },
    { 0x100C, "fr-CH" },
    { 0x1409, "en-NZ" },
    { 0x4009, "en-IN" },
};

} // namespace

std::optional<unsigned> firstId(QStringView list)
{
    QStringView first = list;
    const qsizetype semicolon = first.indexOf(u';');
    if (semicolon >= 0)
        first = first.left(semicolon);
    first = first.trimmed();
    if (first.startsWith(u"0x", Qt::CaseInsensitive))
        first = first.mid(2);
    if (first.isEmpty())
        return std::nullopt;
    unsigned id = 0;
    for (const QChar c : first) {
        const int d = MarkupCharacters::hexValue(c.unicode());
        if (d < 0)
            return std::nullopt;
        // Saturates above every id in the table.
        id = std::min(id * 16 + unsigned(d), 0x1000000u);
    }
    return id;
}

std::optional<QString> tag(unsigned id)
{
    const auto found
        = std::find_if(std::begin(languageIds), std::end(languageIds), [&](const LanguageId& l) { return l.id == id; });
    if (found == std::end(languageIds))
        return std::nullopt;
    return QString::fromLatin1(found->tag);
}

} // namespace LanguageTable
