#include "engine/api/SpObjectTokens.h"

#include "platform/PlatformError.h"

SpObjectToken SpObjectTokens::Item(int index) const
{
    if (index < 0 || index >= Count())
        throw PlatformError(QStringLiteral("There is no item %1 in a collection of %2 items.").arg(index).arg(Count()));
    return m_tokens[static_cast<size_t>(index)];
}
