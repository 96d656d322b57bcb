#pragma once

#include <QColor>

// The colours that mark the word being spoken and the sentence around it in a text box, chosen
// from the box's own text and background colours: the word's text stays readable on its band
// (contrast ratio 4.5:1 or more) and both bands stand out from the background, whatever the user's
// colours are.
struct HighlightColors {
    QColor wordBackground;
    QColor wordText;
    QColor sentenceBackground;

    static HighlightColors forBox(const QColor& text, const QColor& background);
    // WCAG 2 relative luminance (0 black to 1 white) and contrast ratio (1 to 21).
    static double luminance(const QColor& color);
    static double contrast(const QColor& first, const QColor& second);
};
