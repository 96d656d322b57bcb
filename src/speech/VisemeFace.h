#pragma once

#include <QString>
#include <QVariant>

// Which picture of the face list a viseme lays over the whole face ("MICFULL"): the viseme's own
// mouth picture, or closed or narrowed eyes on every sixth viseme from 2 and from 5. A viseme that
// names no picture of the list shows the face at rest.
namespace VisemeFace {

inline const QString wholeFace = QStringLiteral("MICFULL");
inline const QString eyesClosed = QStringLiteral("MICEYECLOSED");
inline const QString eyesNarrowed = QStringLiteral("MICEYENARROW");
constexpr int pictureCount = 24;

QString keyOf(int picture); // the key of a picture of the list, empty for those without one

// A picture number or key, to lay over wholeFace.
QVariant overlayFor(int visemeId);

} // namespace VisemeFace
