#include "Preferences.h"

#include <QSettings>

namespace {

const QString highlightKey = QStringLiteral("Speech/HighlightSpokenWords");
const QString subtitlesKey = QStringLiteral("Speech/WriteSubtitles");

void store(const QString& path, const QString& key, bool on)
{
    QSettings file(path, QSettings::IniFormat);
    file.setValue(key, on);
    file.sync();
}

} // namespace

Preferences::Preferences(QString path)
    : m_path(std::move(path))
{
}

bool Preferences::highlightSpokenWords() const
{
    return QSettings(m_path, QSettings::IniFormat).value(highlightKey, true).toBool();
}

void Preferences::setHighlightSpokenWords(bool on)
{
    store(m_path, highlightKey, on);
}

bool Preferences::writeSubtitles() const
{
    return QSettings(m_path, QSettings::IniFormat).value(subtitlesKey, false).toBool();
}

void Preferences::setWriteSubtitles(bool on)
{
    store(m_path, subtitlesKey, on);
}
