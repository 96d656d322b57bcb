#include "SkipCount.h"

#include "PlatformError.h"

#include <cmath>

short SkipCount::parse(const QString& text)
{
    bool isNumber = false;
    const double number = text.trimmed().toDouble(&isNumber);
    if (!isNumber || !std::isfinite(number))
        throw PlatformError(QStringLiteral("\"%1\" is not a number.").arg(text));
    const double rounded = std::nearbyint(number);
    if (rounded < -32768 || rounded > 32767)
        throw PlatformError(
            QStringLiteral("%1 is out of range: a skip count runs from -32768 to 32767.").arg(text.trimmed()));
    return static_cast<short>(rounded);
}
