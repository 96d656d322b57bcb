#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

// Whole files as bytes, for what a journey leaves on disk.
namespace Files {

inline QByteArray bytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool write(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size();
}

// Nine lines, each a phrase between double quotes, as the phrases file holds them.
inline QByteArray phrasesFile(const QStringList& phrases)
{
    QByteArray content;
    for (const QString& phrase : phrases)
        content += '"' + phrase.toLocal8Bit() + "\"\r\n";
    return content;
}

} // namespace Files
