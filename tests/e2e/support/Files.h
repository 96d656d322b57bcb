#pragma once

#include "FileBytes.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

// What a journey writes to disk or expects to find there.
namespace Files {

// Nine lines, each a phrase between double quotes, as the phrases file holds them.
inline QByteArray phrasesFile(const QStringList& phrases)
{
    QByteArray content;
    for (const QString& phrase : phrases)
        content += '"' + phrase.toLocal8Bit() + "\"\r\n";
    return content;
}

} // namespace Files
