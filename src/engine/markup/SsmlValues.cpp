#include "engine/markup/SsmlValues.h"

#include "engine/markup/MarkupCharacters.h"
#include "engine/markup/MarkupNumbers.h"

#include <QStringList>
#include <algorithm>
#include <climits>
#include <cmath>
#include <string_view>

namespace SsmlValues {

namespace {

using MarkupCharacters::endsWithLower;
using MarkupCharacters::equalsLower;
using MarkupNumbers::clampRound;
using MarkupNumbers::Decimal;

constexpr int mediumBreakMs = 400;

template <typename Value> struct Keyword {
    std::string_view word;
    Value value;
};

template <typename Value, size_t N> std::optional<Value> keyword(const Keyword<Value> (&words)[N], QStringView v)
{
    for (const auto& w : words) {
        if (equalsLower(v, w.word))
            return w.value;
    }
    return std::nullopt;
}

// A percentage: "n%" is a factor of n/100, "+n%"/"-n%" one of 1 + n/100.
double percentFactor(const Decimal& d)
{
    return d.hasSign ? 1 + d.value / 100 : d.value / 100;
}

double rateUnits(double factor)
{
    return 10 * std::log(factor) / std::log(3.0);
}

// The change in pitch units that a "%" or "st" value asks for.
std::optional<double> pitchChange(QStringView v)
{
    if (v.endsWith(u'%')) {
        const std::optional<Decimal> d = MarkupNumbers::decimal(v.chopped(1));
        const double factor = d ? percentFactor(*d) : 0;
        if (factor <= 0)
            return std::nullopt;
        return 10 * std::log2(factor);
    }
    if (endsWithLower(v, "st")) {
        const std::optional<Decimal> d = MarkupNumbers::decimal(v.chopped(2));
        if (!d || !d->hasSign)
            return std::nullopt;
        return d->value * 10 / 12;
    }
    return std::nullopt;
}

// The volume in percent that a "dB", "%" or plain number value makes of current.
std::optional<double> scaledVolume(QStringView v, double current)
{
    if (endsWithLower(v, "db")) {
        const std::optional<Decimal> d = MarkupNumbers::decimal(v.chopped(2));
        if (!d || !d->hasSign)
            return std::nullopt;
        return current * std::pow(10.0, std::clamp(d->value, -100.0, 100.0) / 20);
    }
    if (v.endsWith(u'%')) {
        const std::optional<Decimal> d = MarkupNumbers::decimal(v.chopped(1));
        if (!d)
            return std::nullopt;
        return current * percentFactor(*d);
    }
    const std::optional<Decimal> d = MarkupNumbers::decimal(v);
    if (!d)
        return std::nullopt;
    return d->hasSign ? current + d->value : d->value;
}

std::optional<int> breakTime(const QString& value)
{
    const QString time = value.trimmed();
    const bool ms = endsWithLower(time, "ms");
    if (!ms && !endsWithLower(time, "s"))
        return std::nullopt;
    const std::optional<Decimal> d = MarkupNumbers::decimal(QStringView(time).chopped(ms ? 2 : 1));
    if (!d || d->hasSign)
        return std::nullopt;
    return clampRound(d->value * (ms ? 1 : 1000), 0, INT_MAX);
}

std::optional<int> breakStrength(const QString& value)
{
    static constexpr Keyword<int> words[] = { { "none", 0 }, { "x-weak", 100 }, { "weak", 200 },
        { "medium", mediumBreakMs }, { "strong", 700 }, { "x-strong", 1000 } };
    return keyword(words, value.trimmed());
}

bool isLanguageTag(const QString& tag)
{
    const auto allowed = [](QChar c) {
        return MarkupCharacters::isAsciiLetter(c.unicode()) || MarkupCharacters::isDigit(c.unicode()) || c == u'-';
    };
    return !tag.isEmpty() && tag.size() <= 35 && MarkupCharacters::isAsciiLetter(tag[0].unicode())
        && std::all_of(tag.cbegin(), tag.cend(), allowed);
}

} // namespace

MarkupState rate(QStringView value, MarkupState state)
{
    const QStringView v = value.trimmed();
    static constexpr Keyword<double> words[]
        = { { "x-slow", 0.5 }, { "slow", 0.75 }, { "medium", 1 }, { "fast", 1.5 }, { "x-fast", 2 }, { "default", 1 } };
    if (const std::optional<double> factor = keyword(words, v)) {
        state.rate = clampRound(rateUnits(*factor), -10, 10);
        state.rateAbsolute = false;
        return state;
    }
    const bool percent = v.endsWith(u'%');
    const std::optional<Decimal> d = MarkupNumbers::decimal(percent ? v.chopped(1) : v);
    if (!d || (d->hasSign && !percent))
        return state;
    const double factor = percent ? percentFactor(*d) : d->value;
    if (factor > 0)
        state.rate = clampRound(state.rate + rateUnits(factor), -10, 10);
    return state;
}

MarkupState pitch(QStringView value, MarkupState state)
{
    const QStringView v = value.trimmed();
    static constexpr Keyword<int> words[]
        = { { "x-low", -6 }, { "low", -3 }, { "medium", 0 }, { "high", 3 }, { "x-high", 6 }, { "default", 0 } };
    if (const std::optional<int> units = keyword(words, v)) {
        state.pitch = *units;
        state.pitchAbsolute = false;
    } else if (const std::optional<double> change = pitchChange(v)) {
        state.pitch = clampRound(state.pitch + *change, -10, 10);
    }
    return state;
}

MarkupState volume(QStringView value, MarkupState state)
{
    const QStringView v = value.trimmed();
    static constexpr Keyword<int> words[] = { { "silent", 0 }, { "x-soft", 20 }, { "soft", 40 }, { "medium", 60 },
        { "loud", 80 }, { "x-loud", 100 }, { "default", 100 } };
    if (const std::optional<int> percent = keyword(words, v))
        state.volume = *percent;
    else if (const std::optional<double> scaled = scaledVolume(v, state.volume))
        state.volume = clampRound(*scaled, 0, 100);
    return state;
}

int breakMilliseconds(const std::optional<QString>& time, const std::optional<QString>& strength)
{
    if (const std::optional<int> ms = time ? breakTime(*time) : std::nullopt)
        return *ms;
    if (const std::optional<int> ms = strength ? breakStrength(*strength) : std::nullopt)
        return *ms;
    return mediumBreakMs;
}

std::optional<QString> languageTag(const QString& value)
{
    QString tag = value.trimmed();
    tag.replace(u'_', u'-');
    if (!isLanguageTag(tag))
        return std::nullopt;
    return tag;
}

bool emphasised(const std::optional<QString>& level)
{
    return !(level && equalsLower(QStringView(*level).trimmed(), "none"));
}

bool spelled(const QString& interpretAs)
{
    const QString how = interpretAs.trimmed();
    return equalsLower(how, "characters") || equalsLower(how, "spell-out");
}

QString voiceRequirement(const std::optional<QString>& name, const std::optional<QString>& gender)
{
    QStringList parts;
    const QString trimmedName = name ? name->trimmed() : QString();
    if (!trimmedName.isEmpty())
        parts << QStringLiteral("Name=") + trimmedName;
    QString trimmedGender = gender ? gender->trimmed().toLower() : QString();
    if (!trimmedGender.isEmpty()) {
        trimmedGender[0] = trimmedGender[0].toUpper();
        parts << QStringLiteral("Gender=") + trimmedGender;
    }
    return parts.join(u';');
}

} // namespace SsmlValues
