#include "TextDifference.h"

#include <algorithm>

TextDifference TextDifference::between(const QString& before, const QString& after)
{
    const qsizetype shorter = std::min(before.size(), after.size());
    qsizetype head = 0;
    while (head < shorter && before[head] == after[head])
        ++head;
    // A common beginning that ends inside a pair would leave half a character on each side.
    if (head > 0 && before[head - 1].isHighSurrogate())
        --head;
    qsizetype tail = 0;
    while (tail < shorter - head && before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    if (tail > 0 && before[before.size() - tail].isLowSurrogate())
        --tail;
    return { head, before.size() - head - tail, after.mid(head, after.size() - head - tail) };
}
