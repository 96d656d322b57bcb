#include "engine/synth/PhoneTable.h"

#include <QChar>
#include <QHash>
#include <QString>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace {

// clang-format off
enum Ph : short {
    Sil,
    AE, AX, AH, AA, AO, EY, EH, UH, ER, Y, IY, IH, IX, W, UW, OW, AW, OY, AY,
    HH, R, L, S, Z, SH, CH, JH, ZH, TH, DH, F, V, D, T, N, K, G, NG, P, B, M,
    PhoneCount
};
// clang-format on

constexpr std::array<const char*, PhoneCount> kNames { "_", "ae", "ax", "ah", "aa", "ao", "ey", "eh", "uh", "er", "y",
    "iy", "ih", "ix", "w", "uw", "ow", "aw", "oy", "ay", "h", "r", "l", "s", "z", "sh", "ch", "jh", "zh", "th", "dh",
    "f", "v", "d", "t", "n", "k", "g", "ng", "p", "b", "m" };

constexpr std::array<unsigned char, PhoneCount> kVisemes { 0, 1, 1, 1, 2, 3, 4, 4, 4, 5, 6, 6, 6, 6, 7, 7, 8, 9, 10, 11,
    12, 13, 14, 15, 15, 16, 16, 16, 16, 17, 17, 18, 18, 19, 19, 19, 20, 20, 20, 21, 21, 21 };

// What an unmatched symbol becomes: a neutral half-open mouth never looks wrong for long.
constexpr Ph kFallback = AH;

struct Entry {
    const char* ipa;
    Ph phone;
};

// Keys are matched after stress, length, ties, diacritics and modifier letters are removed, so they list bare
// letters only. Multi-letter keys are sounds eSpeak NG reports as one phoneme (diphthongs, affricates).
// clang-format off
constexpr Entry kEntries[] = {
    // Close and near-close vowels.
    { "i", IY }, { "y", IY }, { "ɪ", IH }, { "ʏ", IH }, { "ɩ", IH }, { "ɨ", IX }, { "ʉ", UW }, { "ɯ", UH },
    { "u", UW }, { "ʊ", UH }, { "ɷ", UH },
    // Mid vowels; unrounded back ones keep spread lips, hence uh.
    { "e", EY }, { "ø", EH }, { "ɘ", AX }, { "ɵ", AX }, { "ɤ", UH }, { "o", OW }, { "ə", AX }, { "ɛ", EH },
    { "œ", EH }, { "ɜ", ER }, { "ɞ", AX }, { "ʌ", AH }, { "ɔ", AO },
    // Open vowels.
    { "æ", AE }, { "ɐ", AX }, { "a", AE }, { "ɶ", AE }, { "ɑ", AA }, { "ɒ", AO },
    // Rhotic vowels.
    { "ɚ", ER }, { "ɝ", ER }, { "ər", ER }, { "əɹ", ER }, { "ɜr", ER }, { "ɜɹ", ER }, { "ə˞", ER }, { "ɜ˞", ER },
    { "˞", R },
    // Greek letters some voices use in place of the IPA ones.
    { "ε", EH }, { "α", AA }, { "γ", G },
    // Diphthongs, named by the English phone they look most like.
    { "aɪ", AY }, { "ai", AY }, { "aɨ", AY }, { "aj", AY }, { "ɑɪ", AY }, { "ɑi", AY }, { "æɪ", AY }, { "ʌɪ", AY },
    { "əɪ", AY }, { "aai", AY },
    { "eɪ", EY }, { "ei", EY }, { "ej", EY }, { "ɛɪ", EY }, { "ɛi", EY }, { "ɜɪ", EY }, { "ɐɪ", EY },
    { "ɔɪ", OY }, { "oɪ", OY }, { "oi", OY }, { "ɔi", OY }, { "ɔø", OY }, { "ɔʏ", OY }, { "ɔy", OY }, { "ɒɪ", OY },
    { "oj", OY }, { "ɔj", OY },
    { "aʊ", AW }, { "au", AW }, { "æʊ", AW }, { "ɑʊ", AW }, { "ɑu", AW }, { "ɐʊ", AW }, { "aw", AW },
    { "oʊ", OW }, { "ou", OW }, { "əʊ", OW }, { "əu", OW }, { "ʌʊ", OW }, { "ʌʉ", OW }, { "ɔʊ", OW }, { "ɵʊ", OW },
    { "ɵʉ", OW },
    // Bilabials, labiodentals and dentals; the bilabial click is a lip closure too.
    { "p", P }, { "b", B }, { "m", M }, { "ɓ", B }, { "ɸ", P }, { "β", B }, { "ʙ", B }, { "ʘ", P },
    { "f", F }, { "v", V }, { "ʋ", V }, { "ɱ", V }, { "ⱱ", V },
    { "θ", TH }, { "ð", DH }, { "tθ", TH }, { "dð", DH },
    // Alveolars and retroflexes; taps and implosives look like their stops.
    { "t", T }, { "d", D }, { "n", N }, { "ɾ", D }, { "ɗ", D }, { "ʈ", T }, { "ɖ", D }, { "ɳ", N }, { "ᶑ", D },
    { "ǀ", T }, { "ǃ", T }, { "ʗ", T },
    // Sibilants: ts/dz keep the spread lips of s/z, the postalveolar and alveolo-palatal ones protrude like sh.
    { "s", S }, { "z", Z }, { "ts", S }, { "dz", Z }, { "ʦ", S }, { "ʣ", Z },
    { "ʃ", SH }, { "ʒ", ZH }, { "ɕ", SH }, { "ʑ", ZH }, { "ʂ", SH }, { "ʐ", ZH }, { "ɧ", SH }, { "ʆ", SH }, { "ʓ", ZH },
    { "tʃ", CH }, { "dʒ", JH }, { "ʧ", CH }, { "ʤ", JH }, { "tɕ", CH }, { "dʑ", JH }, { "ʨ", CH }, { "ʥ", JH },
    { "ʈʂ", CH }, { "ɖʐ", JH }, { "tʂ", CH }, { "dʐ", JH },
    // Laterals and rhotics; eSpeak NG writes a syllabic l ("purple") as əl.
    { "əl", L }, { "l", L }, { "ɫ", L }, { "ɬ", L }, { "ɮ", L }, { "ɭ", L }, { "ʎ", L }, { "ʟ", L }, { "ɺ", L }, { "ǁ", L },
    { "r", R }, { "ɹ", R }, { "ɻ", R }, { "ʀ", R }, { "ʁ", R }, { "ɽ", R },
    // Palatals.
    { "j", Y }, { "ʝ", Y }, { "ɲ", N }, { "c", K }, { "ɟ", G }, { "ç", K }, { "ʄ", G }, { "ǂ", K },
    // Velars and uvulars.
    { "k", K }, { "g", G }, { "ɡ", G }, { "ŋ", NG }, { "x", K }, { "ɣ", G }, { "ɰ", G }, { "ɠ", G }, { "ng", NG },
    { "nɡ", NG }, { "q", K }, { "ɢ", G }, { "ʛ", G }, { "χ", HH }, { "ɴ", NG },
    // Glottals and pharyngeals.
    { "h", HH }, { "ɦ", HH }, { "ʔ", HH }, { "ħ", HH }, { "ʕ", HH }, { "ʜ", HH }, { "ʢ", HH }, { "ʡ", HH },
    // Labial-velars and labial-palatals.
    { "w", W }, { "ʍ", W }, { "ɥ", W },
    // eSpeak NG's ASCII mnemonics, which it reports for phonemes that have no IPA form.
    { "A", AA }, { "B", B }, { "C", K }, { "D", DH }, { "E", EH }, { "G", G }, { "I", IH }, { "L", L }, { "M", V },
    { "N", NG }, { "O", AO }, { "Q", AO }, { "R", R }, { "S", SH }, { "T", TH }, { "U", UH }, { "V", AH },
    { "W", EH }, { "X", HH }, { "Y", EH }, { "Z", ZH }, { "@", AX }, { "3", AX }, { "0", AO }, { "&", AE },
    { "?", HH }, { "*", D }, { "tS", CH }, { "dZ", JH }, { "sx", SH }, { "oe", EH },
    // A dot marks a retroflex consonant.
    { "s.", SH }, { "z.", ZH }, { "ts.", CH }, { "dz.", JH },
};
// clang-format on

// A modifier reported on its own (aspiration, palatalisation after the previous phoneme) shows as this phone.
Ph lonePhone(char32_t c)
{
    switch (c) {
    case U'ʰ':
    case U'ʱ':
    case U'ˤ':
    case U'ʼ':
        return HH;
    case U'ʲ':
        return Y;
    case U'ʷ':
    case U'ᵝ':
        return W;
    case U'ˠ':
        return G;
    case U'ⁿ':
        return N;
    case U'ˡ':
        return L;
    default:
        return AX; // length or nasality continuing the previous vowel
    }
}

constexpr int kMaxBases = 4; // enough for a three-letter key after one skipped glottal stop
constexpr int kMaxKey = 3;

struct Scan {
    std::array<char32_t, kMaxBases> base {};
    int count = 0;
    bool primary = false;
    bool modifier = false; // a mark was seen, so a name without letters is still a sound
    Ph lone = AX;
};

struct Tables {
    QHash<quint64, short> phones;
    QHash<char32_t, char32_t> bases; // precomposed letter -> base letter
};

quint64 pack(const char32_t* cps, int n)
{
    quint64 key = 0;
    for (int i = 0; i < n; ++i)
        key |= quint64(cps[i]) << (21 * i);
    return key;
}

// ASCII marks of eSpeak NG's mnemonics (length, dental, voiceless...) that decorate a letter.
bool isAsciiMark(char32_t c)
{
    return c != 0 && std::strchr(":;`#-^[]\"',~!|=+<>/\\)", int(c)) != nullptr;
}

void addModifier(Scan& s, char32_t c)
{
    s.modifier = true;
    if (const Ph p = lonePhone(c); p != AX || s.lone == AX)
        s.lone = p;
}

void scanOne(Scan& s, char32_t c, const Tables& t)
{
    if (c < 0x80) {
        if (c <= 0x20 || c == 0x7f)
            return;
        if (isAsciiMark(c))
            return addModifier(s, c);
    } else if (c == U'ˈ') {
        s.primary = true;
        return addModifier(s, c);
    } else if (c != U'˞') {
        switch (QChar::category(c)) {
        case QChar::Mark_NonSpacing:
        case QChar::Mark_SpacingCombining:
        case QChar::Mark_Enclosing:
        case QChar::Letter_Modifier:
        case QChar::Symbol_Modifier:
        case QChar::Punctuation_Connector: // the ‿ linking tie
            return addModifier(s, c);
        case QChar::Other_Format:
        case QChar::Other_Control:
        case QChar::Separator_Space:
        case QChar::Separator_Line:
        case QChar::Separator_Paragraph:
            return;
        default:
            if (c == 0xFFFD) // a truncated UTF-8 tail
                return addModifier(s, c);
            break;
        }
        if (const auto it = t.bases.constFind(c); it != t.bases.cend())
            c = it.value();
    }
    if (s.count < kMaxBases)
        s.base[size_t(s.count++)] = c;
}

Scan scan(QStringView text, const Tables& t)
{
    Scan s;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        } else if (QChar::isSurrogate(c)) {
            addModifier(s, 0xFFFD);
            continue;
        }
        scanOne(s, c, t);
    }
    return s;
}

Tables build()
{
    Tables t;
    // Voices may send ä or ã precomposed; match them by their base letter like the decomposed forms.
    for (const auto& [from, to] :
        { std::pair<char32_t, char32_t> { 0xC0, 0x24F }, { 0x370, 0x3FF }, { 0x1E00, 0x1FFF } })
        for (char32_t c = from; c <= to; ++c) {
            char32_t base = c;
            while (QChar::decompositionTag(base) == QChar::Canonical) {
                const QString d = QChar::decomposition(base);
                base = d.at(0).isHighSurrogate() ? QChar::surrogateToUcs4(d.at(0), d.at(1)) : d.at(0).unicode();
            }
            if (base != c && QChar::isLetter(base))
                t.bases.insert(c, base);
        }
    for (const Entry& e : kEntries) {
        const Scan s = scan(QString::fromUtf8(e.ipa), t);
        Q_ASSERT(s.count >= 1 && s.count <= kMaxKey);
        const quint64 key = pack(s.base.data(), s.count);
        Q_ASSERT(!t.phones.contains(key) || t.phones.value(key) == e.phone);
        t.phones.insert(key, e.phone);
    }
    // Other capitals are not mnemonics of their own: read them as the small letter.
    for (char32_t c = U'A'; c <= U'Z'; ++c)
        if (!t.phones.contains(c))
            t.phones.insert(c, t.phones.value(c + 0x20, kFallback));
    return t;
}

const Tables& tables()
{
    static const Tables t = build();
    return t;
}

short resolve(const Scan& s, const Tables& t)
{
    if (s.count == 0)
        return s.modifier ? s.lone : Sil;
    // "(en)" announces a language switch; "_" is eSpeak NG's pause.
    if (s.base[0] == U'(' || s.base[0] == U'_')
        return Sil;
    // A glottal onset ("ʔe", stød) does not change the mouth shape of the sound it starts.
    int start = s.base[0] == U'ʔ' && s.count > 1 ? 1 : 0;
    // Longest known prefix; an unknown leading symbol is skipped in favour of the next known one.
    for (; start < s.count; ++start)
        for (int n = std::min(kMaxKey, s.count - start); n > 0; --n)
            if (const auto it = t.phones.constFind(pack(&s.base[size_t(start)], n)); it != t.phones.cend())
                return it.value();
    return kFallback;
}

} // namespace

PhoneTable::Phone PhoneTable::fromIpa(QStringView ipa)
{
    if (ipa.isEmpty())
        return {};
    const Scan s = scan(ipa, tables());
    Phone phone;
    phone.id = resolve(s, tables());
    phone.viseme = kVisemes[size_t(phone.id)];
    phone.feature = phone.id != Sil && s.primary ? 1 : 0;
    return phone;
}

QString PhoneTable::name(short id)
{
    if (id < 0 || id >= PhoneCount)
        return {};
    return QString::fromLatin1(kNames[size_t(id)]);
}

int PhoneTable::count()
{
    return PhoneCount;
}
