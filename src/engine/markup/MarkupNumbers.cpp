#include "engine/markup/MarkupNumbers.h"

#include "engine/markup/MarkupCharacters.h"

#include <algorithm>
#include <cmath>

namespace MarkupNumbers {

using MarkupCharacters::isDigit;

std::optional<int> integer(QStringView v)
{
    v = v.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < v.size() && (v[i] == u'+' || v[i] == u'-'))
        negative = v[i++] == u'-';
    if (i == v.size())
        return std::nullopt;
    long long value = 0;
    for (; i < v.size(); ++i) {
        if (!isDigit(v[i].unicode()))
            return std::nullopt;
        value = std::min(value * 10 + (v[i].unicode() - '0'), 1'000'000'000LL);
    }
    return int(negative ? -value : value);
}

std::optional<Decimal> decimal(QStringView v)
{
    v = v.trimmed();
    Decimal d;
    qsizetype i = 0;
    bool negative = false;
    if (i < v.size() && (v[i] == u'+' || v[i] == u'-')) {
        d.hasSign = true;
        negative = v[i++] == u'-';
    }
    bool anyDigit = false;
    for (; i < v.size() && isDigit(v[i].unicode()); ++i) {
        d.value = std::min(d.value * 10 + (v[i].unicode() - '0'), 1e12);
        anyDigit = true;
    }
    if (i < v.size() && v[i] == u'.') {
        double scale = 0.1;
        for (++i; i < v.size() && isDigit(v[i].unicode()); ++i) {
            d.value += (v[i].unicode() - '0') * scale;
            scale /= 10;
            anyDigit = true;
        }
    }
    if (!anyDigit || i != v.size())
        return std::nullopt;
    if (negative)
        d.value = -d.value;
    return d;
}

int clampRound(double v, int low, int high)
{
    return int(std::lround(std::clamp(v, double(low), double(high))));
}

} // namespace MarkupNumbers
