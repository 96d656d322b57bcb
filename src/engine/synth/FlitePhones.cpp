#include "engine/synth/FlitePhones.h"

#include <array>
#include <utility>

namespace {
struct Entry {
    const char* cmu;
    const char* ipa;
    bool vowel;
};

// General American values, the accent of Flite's lexicon.
constexpr std::array kPhones {
    Entry { "aa", "ɑ", true },
    Entry { "ae", "æ", true },
    Entry { "ah", "ʌ", true },
    Entry { "ao", "ɔ", true },
    Entry { "aw", "aʊ", true },
    Entry { "ax", "ə", true },
    Entry { "axr", "ɚ", true },
    Entry { "ay", "aɪ", true },
    Entry { "eh", "ɛ", true },
    Entry { "er", "ɝ", true },
    Entry { "ey", "eɪ", true },
    Entry { "ih", "ɪ", true },
    Entry { "ix", "ɨ", true },
    Entry { "iy", "i", true },
    Entry { "ow", "oʊ", true },
    Entry { "oy", "ɔɪ", true },
    Entry { "uh", "ʊ", true },
    Entry { "uw", "u", true },
    Entry { "b", "b", false },
    Entry { "ch", "tʃ", false },
    Entry { "d", "d", false },
    Entry { "dh", "ð", false },
    Entry { "f", "f", false },
    Entry { "g", "ɡ", false },
    Entry { "hh", "h", false },
    Entry { "jh", "dʒ", false },
    Entry { "k", "k", false },
    Entry { "l", "l", false },
    Entry { "m", "m", false },
    Entry { "n", "n", false },
    Entry { "ng", "ŋ", false },
    Entry { "p", "p", false },
    Entry { "r", "ɹ", false },
    Entry { "s", "s", false },
    Entry { "sh", "ʃ", false },
    Entry { "t", "t", false },
    Entry { "th", "θ", false },
    Entry { "v", "v", false },
    Entry { "w", "w", false },
    Entry { "y", "j", false },
    Entry { "z", "z", false },
    Entry { "zh", "ʒ", false },
};
} // namespace

QByteArray FlitePhones::ipa(QByteArrayView cmu, bool stressed)
{
    if (cmu == "pau" || cmu == "h#" || cmu == "brth")
        return {};
    for (const Entry& entry : kPhones) {
        if (cmu != entry.cmu)
            continue;
        QByteArray name(entry.ipa);
        return stressed && entry.vowel ? QByteArray("ˈ") + name : name;
    }
    return cmu.toByteArray();
}
