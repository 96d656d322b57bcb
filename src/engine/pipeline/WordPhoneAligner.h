#pragma once

#include <QString>
#include <QStringView>
#include <vector>

// Shares out the phones the synthesiser spoke for a run of words among those words. The
// synthesiser reports some words not at all and speaks their phones as part of the word before
// ("on the", "tout le monde"); each word's share begins where its first letter is heard, found
// from the words' lengths and their first letters.
namespace WordPhoneAligner {
// The index into phones (IPA, no pauses) where each word starts; the first word starts at 0, a
// word left without a phone of its own starts at phones.size().
std::vector<size_t> starts(const std::vector<QString>& words, const std::vector<QString>& phones);
// Whether a phone may be the first sound of a word spelt with letter.
bool mayStartWith(QChar letter, QStringView phone);
} // namespace WordPhoneAligner
