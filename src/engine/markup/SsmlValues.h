#pragma once

#include "engine/markup/MarkupDocument.h"

#include <QString>
#include <QStringView>
#include <optional>

// The values of SSML's attributes in the engine's units. A value that cannot be used leaves the
// state as it was: in this form unusable values are ignored, never faults.
namespace SsmlValues {
// Rates: keywords are fixed factors of the voice's rate (x-slow 0.5, slow 0.75, medium 1,
// fast 1.5, x-fast 2); "n%" and plain numbers are factors of the current rate, "+n%"/"-n%"
// change it by n percent. A factor f is 10*log3(f) units, so 3x faster is +10.
MarkupState rate(QStringView value, MarkupState state);
// Pitches: one octave is 10 units. Keywords x-low..x-high are -6, -3, 0, 3, 6 from the voice's
// pitch; "+n%"/"-n%" change the current pitch by that factor and "+nst"/"-nst" by semitones.
// Hertz values need the voice's base frequency, which is unknown here, so they are ignored.
MarkupState pitch(QStringView value, MarkupState state);
// Volumes in percent: silent 0, x-soft 20, soft 40, medium 60, loud 80, x-loud and default 100;
// "n" sets n, "+n"/"-n" add n, "n%" scales the current volume, "+n%"/"-n%" change it by n
// percent, "+ndB"/"-ndB" scale it by that gain.
MarkupState volume(QStringView value, MarkupState state);

// A <break>'s length: a valid time wins over strength; a bare break is a medium one.
int breakMilliseconds(const std::optional<QString>& time, const std::optional<QString>& strength);
// An xml:lang value as a BCP 47 tag ('_' read as '-'); nullopt when it is not well formed.
std::optional<QString> languageTag(const QString& value);
// <emphasis level="...">: every level but "none" emphasises.
bool emphasised(const std::optional<QString>& level);
// <say-as interpret-as="...">: the ways that spell the content out.
bool spelled(const QString& interpretAs);
// <voice name="..." gender="...">: the voice attribute list it requires ("Name=...;Gender=..."),
// empty when it names nothing.
QString voiceRequirement(const std::optional<QString>& name, const std::optional<QString>& gender);
} // namespace SsmlValues
