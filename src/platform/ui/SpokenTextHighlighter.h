#pragma once

#include "HighlightColors.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTextCursor>

class QPlainTextEdit;

// Marks, in a text box, the word being spoken and the sentence around it, through the box's extra
// selections: its text, the user's cursor and selection and its modified state stay as they are.
// The marks are anchored in the document, so text typed or removed before them moves them along,
// and a word whose text is removed is no longer marked. The colours follow the box's own. The box
// scrolls to keep the word in view unless the user scrolled it a moment ago.
class SpokenTextHighlighter : public QObject {
    Q_OBJECT
public:
    // Belongs to the box.
    explicit SpokenTextHighlighter(QPlainTextEdit& box);

    // Positions are the document's as it stands: [start, end). A new sentence unmarks a word
    // outside it.
    void showWord(int start, int end);
    void hideWord();
    void showSentence(int start, int end);
    void clear();

    QPlainTextEdit& box() const { return m_box; }
    // The marked spans; null cursors when nothing is marked.
    const QTextCursor& word() const { return m_word; }
    const QTextCursor& sentence() const { return m_sentence; }
    const HighlightColors& colors() const { return m_colors; }

    // How long after the user scrolls the box the word is not followed: a few seconds.
    void setFollowPause(int milliseconds) { m_followPause = milliseconds; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void paint();
    void takeBoxColors();
    void keepInView(int position);
    void scrollToLine(int line);
    void noteScroll();
    QTextCursor span(int start, int end) const;

    QPlainTextEdit& m_box;
    QTextCursor m_word;
    QTextCursor m_sentence;
    HighlightColors m_colors;
    QElapsedTimer m_userScrolled;
    int m_followPause = 3000;
    bool m_scrolling = false;
};
