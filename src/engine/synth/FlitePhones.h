#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Flite's English phones (the CMU set) in IPA, the form in which the engine reads every
// synthesiser's phonemes. A pause is the empty name.
class FlitePhones {
public:
    // stressed marks a vowel of a syllable with primary stress (ˈ before it); unknown names come
    // back as they are, which the engine reads as a neutral mouth.
    static QByteArray ipa(QByteArrayView cmu, bool stressed);
};
