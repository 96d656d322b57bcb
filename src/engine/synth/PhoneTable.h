#pragma once

#include <QString>
#include <QStringView>

// The engine's phone set. Ids are stable; 0 is silence. Every phoneme name that eSpeak NG
// reports in IPA, in any language, maps to one phone and to its viseme class 0..21.
class PhoneTable {
public:
    struct Phone {
        short id = 0;
        int viseme = 0;
        int feature = 0; // 1 stressed (primary stress), 2 emphasised; 0 none
    };

    static Phone fromIpa(QStringView ipa);
    static QString name(short id); // English phone name, "_" for silence
    static int count();
};
