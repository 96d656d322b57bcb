#pragma once

#include <QString>

// The user's preferences that Settings.ini has no field for, in an INI file of their own
// (Preferences.ini beside Settings.ini). A preference never stored reads as its default.
class Preferences {
public:
    explicit Preferences(QString path);

    bool highlightSpokenWords() const;
    void setHighlightSpokenWords(bool on);
    bool writeSubtitles() const;
    void setWriteSubtitles(bool on);

private:
    QString m_path;
};
