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
    { 0x40F, "is-IS" },
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
    { 0x41C, "sq-AL" },
    { 0x41D, "sv-SE" },
    { 0x41E, "th-TH" },
    { 0x41F, "tr-TR" },
    { 0x420, "ur-PK" },
    { 0x421, "id-ID" },
    { 0x422, "uk-UA" },
    { 0x423, "be-BY" },
    { 0x424, "sl-SI" },
    { 0x425, "et-EE" },
    { 0x426, "lv-LV" },
    { 0x427, "lt-LT" },
    { 0x429, "fa-IR" },
    { 0x42A, "vi-VN" },
    { 0x42B, "hy-AM" },
    { 0x42C, "az-Latn-AZ" },
    { 0x42D, "eu-ES" },
    { 0x42F, "mk-MK" },
    { 0x432, "tn-ZA" },
    { 0x436, "af-ZA" },
    { 0x437, "ka-GE" },
    { 0x439, "hi-IN" },
    { 0x43A, "mt-MT" },
    { 0x43E, "ms-MY" },
    { 0x43F, "kk-KZ" },
    { 0x440, "ky-KG" },
    { 0x441, "sw-KE" },
    { 0x442, "tk-TM" },
    { 0x443, "uz-Latn-UZ" },
    { 0x444, "tt-RU" },
    { 0x445, "bn-IN" },
    { 0x446, "pa-IN" },
    { 0x447, "gu-IN" },
    { 0x448, "or-IN" },
    { 0x449, "ta-IN" },
    { 0x44A, "te-IN" },
    { 0x44B, "kn-IN" },
    { 0x44C, "ml-IN" },
    { 0x44D, "as-IN" },
    { 0x44E, "mr-IN" },
    { 0x452, "cy-GB" },
    { 0x455, "my-MM" },
    { 0x457, "kok-IN" },
    { 0x45B, "si-LK" },
    { 0x45E, "am-ET" },
    { 0x461, "ne-NP" },
    { 0x46B, "qu-BO" },
    { 0x46D, "ba-RU" },
    { 0x46E, "lb-LU" },
    { 0x46F, "kl-GL" },
    { 0x472, "om-ET" },
    { 0x476, "la" },
    { 0x480, "ug-CN" },
    { 0x481, "mi-NZ" },
    { 0x491, "gd-GB" },
    { 0x804, "zh-CN" },
    { 0x807, "de-CH" },
    { 0x809, "en-GB" },
    { 0x80A, "es-MX" },
    { 0x80C, "fr-BE" },
    { 0x810, "it-CH" },
    { 0x813, "nl-BE" },
    { 0x816, "pt-PT" },
    { 0x81A, "sr-Latn-RS" },
    { 0x83C, "ga-IE" },
    { 0x845, "bn-BD" },
    { 0x859, "sd-PK" },
    { 0xC04, "zh-HK" },
    { 0xC07, "de-AT" },
    { 0xC09, "en-AU" },
    { 0xC0A, "es-ES" },
    { 0xC0C, "fr-CA" },
    { 0xC1A, "sr-Cyrl-RS" },
    { 0x1004, "zh-SG" },
    { 0x1007, "de-LU" },
    { 0x1009, "en-CA" },
    { 0x100C, "fr-CH" },
    { 0x1404, "zh-MO" },
    { 0x1407, "de-LI" },
    { 0x1409, "en-NZ" },
    { 0x140C, "fr-LU" },
    { 0x141A, "bs-Latn-BA" },
    { 0x1809, "en-IE" },
    { 0x180C, "fr-MC" },
    { 0x1C09, "en-ZA" },
    { 0x200A, "es-VE" },
    { 0x2409, "en-029" },
    { 0x240A, "es-CO" },
    { 0x280A, "es-PE" },
    { 0x2C0A, "es-AR" },
    { 0x340A, "es-CL" },
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
