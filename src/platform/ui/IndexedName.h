#pragma once

#include <QString>

// The object name of one control of an indexed group, such as "cmdPlay(2)".
inline QString indexedName(const QString& name, int index)
{
    return QStringLiteral("%1(%2)").arg(name).arg(index);
}
