#pragma once

#include <QString>

// The program's name and version as its windows' titles and message boxes show them.
inline const QString ProductCaption = QStringLiteral("Parlora v1.0");
