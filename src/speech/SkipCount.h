#pragma once

#include <QString>

// The number of sentences the console's Skip button skips, as typed in its box.
namespace SkipCount {

// A 16-bit number: blanks around it and a sign are allowed, a fraction goes to the nearest whole
// number and a half to the even one. Throws PlatformError for anything else.
short parse(const QString& text);

} // namespace SkipCount
