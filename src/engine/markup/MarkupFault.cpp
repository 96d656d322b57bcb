#include "engine/markup/MarkupFault.h"

#include "platform/PlatformError.h"

namespace MarkupFault {

void raise(qsizetype at, const QString& what)
{
    throw PlatformError(QStringLiteral("Markup error at character %1: %2").arg(at).arg(what));
}

QString excerpt(QStringView text, qsizetype begin, qsizetype end)
{
    constexpr qsizetype maxShown = 40;
    if (end - begin <= maxShown)
        return text.mid(begin, end - begin).toString();
    return text.mid(begin, maxShown).toString() + QStringLiteral("...");
}

} // namespace MarkupFault
