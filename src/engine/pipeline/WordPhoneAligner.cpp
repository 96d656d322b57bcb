#include "engine/pipeline/WordPhoneAligner.h"

#include <algorithm>
#include <cmath>

namespace WordPhoneAligner {

namespace {

const QStringView vowelLetters = u"aeiouy";
const QStringView vowelPhones = u"aeiouyɑæɐəɛɜɪɔʊʌɒøœɯɤɨʉɘɵɞɶʏɚɝ";

// The sounds a consonant letter commonly starts a word with, besides its own (th, ch, sh, ge...).
QStringView otherSounds(char16_t letter)
{
    switch (letter) {
    case u'c':
        return u"ksʃθtʧ";
    case u'g':
        return u"ɡʒdxɣh";
    case u't':
        return u"ðθʧ";
    case u'j':
        return u"ʒdjxhɟ";
    case u's':
        return u"ʃzʂɕθ";
    case u'q':
    case u'k':
        return u"kc";
    case u'x':
        return u"kzɡsʃ";
    case u'y':
        return u"jʝ";
    case u'r':
        return u"ɹʁɾɻʀ";
    case u'w':
        return u"vʋu";
    case u'h':
        return u"xɦç";
    case u'n':
        return u"ŋɲ";
    case u'l':
        return u"ʎɫɬ";
    case u'p':
        return u"f";
    case u'z':
        return u"sʦʒ";
    case u'v':
        return u"wʋf";
    case u'd':
        return u"ðʤ";
    default:
        return {};
    }
}

// The letter without its accents, lower case.
char16_t baseLetter(QChar letter)
{
    const QString decomposed = QString(letter.toLower()).normalized(QString::NormalizationForm_D);
    return decomposed.isEmpty() ? letter.unicode() : decomposed[0].unicode();
}

double letterCount(const QString& word)
{
    return static_cast<double>(std::max<qsizetype>(
        1, std::count_if(word.begin(), word.end(), [](QChar ch) { return ch.isLetterOrNumber(); })));
}

QChar firstLetter(const QString& word)
{
    const auto it = std::find_if(word.begin(), word.end(), [](QChar ch) { return ch.isLetterOrNumber(); });
    return it == word.end() ? QChar() : *it;
}

// Within [low, high], the start nearest to ideal that sounds like the word's first letter.
size_t bestStart(const QString& word, const std::vector<QString>& phones, size_t ideal, size_t low, size_t high)
{
    const QChar letter = firstLetter(word);
    for (const size_t candidate : { ideal, ideal - 1, ideal + 1 })
        if (candidate >= low && candidate <= high && candidate < phones.size()
            && mayStartWith(letter, phones[candidate]))
            return candidate;
    return ideal;
}

} // namespace

bool mayStartWith(QChar letter, QStringView phone)
{
    const auto sound = std::find_if(phone.begin(), phone.end(), [](QChar ch) { return ch != u'ˈ' && ch != u'ˌ'; });
    if (letter.isNull() || sound == phone.end())
        return false;
    const char16_t base = baseLetter(letter);
    if (vowelLetters.contains(QChar(base)))
        return vowelPhones.contains(*sound) || (base == u'y' && *sound == u'j');
    return sound->unicode() == base || (base == u'g' && *sound == u'ɡ') || otherSounds(base).contains(*sound);
}

std::vector<size_t> starts(const std::vector<QString>& words, const std::vector<QString>& phones)
{
    std::vector<size_t> result(words.size(), 0);
    double total = 0;
    for (const QString& word : words)
        total += letterCount(word);
    const size_t n = words.size();
    const size_t m = phones.size();
    double before = 0;
    for (size_t j = 1; j < n; ++j) {
        before += letterCount(words[j - 1]);
        // Every word keeps at least one phone while there are enough.
        const size_t low = std::min(result[j - 1] + 1, m);
        const size_t high = std::max(low, m > n - j ? m - (n - j) : size_t { 0 });
        const auto ideal = static_cast<size_t>(std::lround(static_cast<double>(m) * before / total));
        result[j] = bestStart(words[j], phones, std::clamp(ideal, low, high), low, high);
    }
    return result;
}

} // namespace WordPhoneAligner
