#pragma once

#include <QStringView>
#include <optional>

// The numbers in attribute values, read without locale, exponent or infinity, and saturated
// far outside any useful range so that long digit strings cannot overflow.
namespace MarkupNumbers {
struct Decimal {
    double value = 0;
    bool hasSign = false; // written with + or -, which makes it a change rather than a value
};

// [+-]digits, surrounded by optional blanks.
std::optional<int> integer(QStringView v);
// [+-]digits[.digits] or [+-].digits, surrounded by optional blanks.
std::optional<Decimal> decimal(QStringView v);
// v rounded to the nearest whole number within [low, high].
int clampRound(double v, int low, int high);
} // namespace MarkupNumbers
