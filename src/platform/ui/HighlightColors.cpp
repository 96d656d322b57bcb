#include "HighlightColors.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// Below this the box's own text colour is too close to its background to mark the word.
constexpr double wordStandsOut = 3.0;
// The sentence band is a faint tint, but one an eye tells from the background.
constexpr double bandStandsOut = 1.3;
constexpr double readable = 4.5;

double linear(double channel)
{
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

QColor mix(const QColor& from, const QColor& to, double share)
{
    const auto channel = [share](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * share)); };
    return QColor(channel(from.red(), to.red()), channel(from.green(), to.green()), channel(from.blue(), to.blue()));
}

// The word's band: the box's text colour (the look of a selection in these boxes), unless that is
// too close to the background; then whichever of a few plain colours stands out most.
QColor wordBand(const QColor& text, const QColor& background)
{
    if (HighlightColors::contrast(text, background) >= wordStandsOut)
        return text;
    const std::array<QColor, 5> candidates { text, QColor(Qt::black), QColor(Qt::white), QColor(255, 255, 0),
        QColor(0, 0, 160) };
    return *std::max_element(candidates.begin(), candidates.end(), [&](const QColor& a, const QColor& b) {
        return HighlightColors::contrast(a, background) < HighlightColors::contrast(b, background);
    });
}

// Black or white, whichever reads better on the band; one of them always reaches 4.5:1.
QColor textOn(const QColor& band)
{
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    return HighlightColors::contrast(black, band) >= HighlightColors::contrast(white, band) ? black : white;
}

// The background tinted toward the word's band, by as little as an eye tells from the background,
// so the box's text on it stays as readable as the colours allow.
QColor sentenceBand(const QColor& background, const QColor& word)
{
    QColor band = background;
    for (int percent = 20; percent <= 60; percent += 5) {
        band = mix(background, word, percent / 100.0);
        if (HighlightColors::contrast(band, background) >= bandStandsOut)
            break;
    }
    return band;
}

} // namespace

double HighlightColors::luminance(const QColor& color)
{
    const QColor rgb = color.toRgb();
    return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) + 0.0722 * linear(rgb.blueF());
}

double HighlightColors::contrast(const QColor& first, const QColor& second)
{
    const double a = luminance(first) + 0.05;
    const double b = luminance(second) + 0.05;
    return std::max(a, b) / std::min(a, b);
}

HighlightColors HighlightColors::forBox(const QColor& text, const QColor& background)
{
    HighlightColors colors;
    colors.wordBackground = wordBand(text, background);
    // On the text colour's band the box's background reads as the word (a selection's look) when
    // the two contrast enough; otherwise black or white.
    const bool inverse = colors.wordBackground == text && contrast(background, text) >= readable;
    colors.wordText = inverse ? background : textOn(colors.wordBackground);
    colors.sentenceBackground = sentenceBand(background, colors.wordBackground);
    return colors;
}
