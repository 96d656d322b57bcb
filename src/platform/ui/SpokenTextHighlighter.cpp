#include "SpokenTextHighlighter.h"

#include <QEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <algorithm>

SpokenTextHighlighter::SpokenTextHighlighter(QPlainTextEdit& box)
    : QObject(&box)
    , m_box(box)
{
    takeBoxColors();
    box.installEventFilter(this);
    connect(box.verticalScrollBar(), &QScrollBar::valueChanged, this, &SpokenTextHighlighter::noteScroll);
    connect(box.horizontalScrollBar(), &QScrollBar::valueChanged, this, &SpokenTextHighlighter::noteScroll);
}

QTextCursor SpokenTextHighlighter::span(int start, int end) const
{
    QTextCursor cursor(m_box.document());
    const int last = m_box.document()->characterCount() - 1;
    cursor.setPosition(std::clamp(start, 0, last));
    cursor.setPosition(std::clamp(end, 0, last), QTextCursor::KeepAnchor);
    return cursor;
}

void SpokenTextHighlighter::showWord(int start, int end)
{
    m_word = span(start, end);
    paint();
    keepInView(m_word.selectionStart());
}

void SpokenTextHighlighter::hideWord()
{
    if (m_word.isNull())
        return;
    m_word = QTextCursor();
    paint();
}

// A word outside the new sentence belongs to the one before: its words are not yet reached.
void SpokenTextHighlighter::showSentence(int start, int end)
{
    m_sentence = span(start, end);
    if (!m_word.isNull()
        && (m_word.selectionStart() < m_sentence.selectionStart() || m_word.selectionEnd() > m_sentence.selectionEnd()))
        m_word = QTextCursor();
    paint();
}

void SpokenTextHighlighter::clear()
{
    if (m_word.isNull() && m_sentence.isNull())
        return;
    m_word = QTextCursor();
    m_sentence = QTextCursor();
    paint();
}

// The box repaints only the lines whose marks changed.
void SpokenTextHighlighter::paint()
{
    QList<QTextEdit::ExtraSelection> marks;
    if (!m_sentence.isNull() && m_sentence.hasSelection()) {
        QTextEdit::ExtraSelection band;
        band.cursor = m_sentence;
        band.format.setBackground(m_colors.sentenceBackground);
        marks.append(band);
    }
    if (!m_word.isNull() && m_word.hasSelection()) {
        QTextEdit::ExtraSelection word;
        word.cursor = m_word;
        word.format.setBackground(m_colors.wordBackground);
        word.format.setForeground(m_colors.wordText);
        marks.append(word);
    }
    m_box.setExtraSelections(marks);
}

void SpokenTextHighlighter::takeBoxColors()
{
    const QPalette& palette = m_box.palette();
    m_colors = HighlightColors::forBox(palette.color(QPalette::Text), palette.color(QPalette::Base));
}

bool SpokenTextHighlighter::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_box && event->type() == QEvent::PaletteChange) {
        takeBoxColors();
        paint();
    }
    return QObject::eventFilter(watched, event);
}

void SpokenTextHighlighter::noteScroll()
{
    if (!m_scrolling)
        m_userScrolled.start();
}

// Lines are the vertical scroll bar's unit; the block's first line number is kept by the document,
// so a word far from the view costs no layout of the text between.
void SpokenTextHighlighter::keepInView(int position)
{
    if (m_userScrolled.isValid() && m_userScrolled.elapsed() < m_followPause)
        return;
    const QTextBlock block = m_box.document()->findBlock(position);
    if (!block.isValid())
        return;
    int lineInBlock = 0;
    qreal x = 0;
    if (const QTextLayout* layout = block.layout(); layout && layout->lineCount() > 0) {
        const QTextLine line = layout->lineForTextPosition(position - block.position());
        if (line.isValid()) {
            lineInBlock = line.lineNumber();
            x = line.cursorToX(position - block.position());
        }
    }
    scrollToLine(block.firstLineNumber() + lineInBlock);

    QScrollBar* across = m_box.horizontalScrollBar();
    const int width = m_box.viewport()->width();
    const int left = static_cast<int>(x) - across->value();
    if (left < 0 || left > width - m_box.fontMetrics().averageCharWidth() * 4) {
        m_scrolling = true;
        across->setValue(static_cast<int>(x) - width / 3);
        m_scrolling = false;
    }
}

void SpokenTextHighlighter::scrollToLine(int line)
{
    QScrollBar* down = m_box.verticalScrollBar();
    const int shown = std::max(1, m_box.viewport()->height() / std::max(1, m_box.fontMetrics().lineSpacing()));
    if (line >= down->value() && line < down->value() + shown)
        return;
    m_scrolling = true;
    // A third down the view, so the lines that follow can be read ahead.
    down->setValue(line - shown / 3);
    m_scrolling = false;
}
