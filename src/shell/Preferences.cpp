#include "Preferences.h"

#include <QSettings>

namespace {

const QString highlightKey = QStringLiteral("Speech/HighlightSpokenWords");

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
    QSettings file(m_path, QSettings::IniFormat);
    file.setValue(highlightKey, on);
    file.sync();
}
