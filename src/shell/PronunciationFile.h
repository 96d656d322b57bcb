#pragma once

#include "engine/pronunciation/PronunciationRule.h"

#include <QByteArray>
#include <QString>
#include <vector>

// The user's pronunciation rules in Pronunciation.json beside Preferences.ini: a UTF-8 JSON
// object whose "rules" array holds, in order, objects with the strings "text" and "spokenAs" and
// the booleans "wholeWord", "matchCase" and "regularExpression" (absent ones take their
// defaults). A missing file is no rules. A file that cannot be read as that is never written
// over: it is moved aside (Pronunciation.json.damaged, then .damaged-2 and on) and the program
// starts with no rules.
class PronunciationFile {
public:
    explicit PronunciationFile(QString path);

    struct Loaded {
        std::vector<PronunciationRule> rules;
        // Where a damaged file now is (its own name when it could not be moved); empty when the
        // file was read or missing.
        QString damagedFile;
    };
    Loaded load() const;
    // Replaces the file; throws PlatformError with the reason when it cannot be written.
    void save(const std::vector<PronunciationRule>& rules) const;

    // The rules a file's bytes hold; nothing when they are not such a file.
    static std::optional<std::vector<PronunciationRule>> parse(const QByteArray& bytes);
    static QByteArray serialize(const std::vector<PronunciationRule>& rules);

private:
    QString moveAside() const;

    QString m_path;
};
