#pragma once

class QPlainTextEdit;

// Selects a span of a text box as the box's start and length properties set a selection: a start
// past the end of the text goes to the end, a length past it stops there, and a negative value is
// refused (PlatformError, invalid property value) after the parts before it took effect.
class TextSpanSelector {
public:
    explicit TextSpanSelector(QPlainTextEdit& box);

    void select(int start, int length);

private:
    void keepShaped(int position);

    QPlainTextEdit& m_box;
    int m_shapedBlock = -1; // the paragraph that keeps its glyphs
};
