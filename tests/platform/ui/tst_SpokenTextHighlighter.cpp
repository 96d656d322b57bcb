#include "DocumentEditMap.h"
#include "HighlightColors.h"
#include "SpokenTextHighlighter.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>

namespace {

QString marked(const QTextCursor& cursor)
{
    return cursor.isNull() ? QString() : cursor.selectedText();
}

QPlainTextEdit* boxWith(const QString& text, QWidget& parent)
{
    auto* box = new QPlainTextEdit(&parent);
    box->setPlainText(text);
    QPalette colours = box->palette();
    colours.setColor(QPalette::Base, Qt::black);
    colours.setColor(QPalette::Text, QColor(0, 255, 0));
    box->setPalette(colours);
    return box;
}

} // namespace

class TestSpokenTextHighlighter : public QObject {
    Q_OBJECT
private slots:
    // Old spans carried through edits: what a span of the text as it stood reads as now.
    void editMapCarriesSpans_data()
    {
        QTest::addColumn<int>("at");
        QTest::addColumn<int>("removed");
        QTest::addColumn<QString>("added");
        QTest::addColumn<QString>("word"); // the old "bravo" [6, 11) as it reads now; empty: gone
        QTest::newRow("typed before it") << 0 << 0 << "xx "
                                         << "bravo";
        QTest::newRow("typed right before it") << 6 << 0 << "x"
                                               << "bravo";
        QTest::newRow("typed right after it") << 11 << 0 << "y"
                                              << "bravo";
        QTest::newRow("typed inside it") << 8 << 0 << "-"
                                         << "br-avo";
        QTest::newRow("removed before it") << 0 << 6 << ""
                                           << "bravo";
        QTest::newRow("removed after it") << 11 << 1 << ""
                                          << "bravo";
        QTest::newRow("removed whole") << 6 << 5 << ""
                                       << "";
        QTest::newRow("removed with the blanks around it") << 5 << 7 << ""
                                                           << "";
        QTest::newRow("replaced") << 6 << 5 << "delta"
                                  << "";
        QTest::newRow("half removed") << 6 << 2 << ""
                                      << "avo";
    }
    void editMapCarriesSpans()
    {
        QFETCH(int, at);
        QFETCH(int, removed);
        QFETCH(QString, added);
        QFETCH(QString, word);
        QTextDocument document(QStringLiteral("alpha bravo charlie"));
        document.documentLayout(); // a document reports its changes once it is laid out, as a box's is
        DocumentEditMap edits(document);
        QTextCursor cursor(&document);
        cursor.setPosition(at);
        cursor.setPosition(at + removed, QTextCursor::KeepAnchor);
        cursor.insertText(added);
        QCOMPARE(edits.edits(), std::size_t(1));
        const auto span = edits.span(6, 11);
        QCOMPARE(span ? document.toPlainText().mid(span->start, span->end - span->start) : QString(), word);
        // The word after it follows too, whatever happened before it.
        const auto after = edits.span(12, 19);
        QVERIFY(after);
        QCOMPARE(document.toPlainText().mid(after->start, after->end - after->start), QStringLiteral("charlie"));
    }

    void editMapFollowsManyEdits()
    {
        QTextDocument document(QStringLiteral("one two three four"));
        document.documentLayout();
        DocumentEditMap edits(document);
        QTextCursor cursor(&document);
        cursor.insertText(QStringLiteral("zero ")); // "zero one two three four"
        cursor.setPosition(9);
        cursor.setPosition(13, QTextCursor::KeepAnchor);
        cursor.removeSelectedText(); // "zero one three four"
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(QStringLiteral(" five"));
        const QString now = document.toPlainText();
        const auto read = [&](int start, int end) {
            const auto span = edits.span(start, end);
            return span ? now.mid(span->start, span->end - span->start) : QStringLiteral("<gone>");
        };
        QCOMPARE(read(0, 3), QStringLiteral("one"));
        QCOMPARE(read(4, 7), QStringLiteral("<gone>"));
        QCOMPARE(read(8, 13), QStringLiteral("three"));
        QCOMPARE(read(14, 18), QStringLiteral("four"));
    }

    // The marks are extra selections only: text, caret, selection, undo and modified flag stay.
    void marksChangeNothingOfTheBox()
    {
        QWidget window;
        QPlainTextEdit* box = boxWith(QStringLiteral("one two three. four five."), window);
        box->document()->setModified(false);
        QTextCursor caret(box->document());
        caret.setPosition(2);
        caret.setPosition(5, QTextCursor::KeepAnchor);
        box->setTextCursor(caret);
        const int undoSteps = box->document()->availableUndoSteps();
        QSignalSpy changes(box->document(), &QTextDocument::contentsChange);
        QSignalSpy modified(box->document(), &QTextDocument::modificationChanged);
        SpokenTextHighlighter marks(*box);

        marks.showSentence(0, 14);
        marks.showWord(4, 7);
        QCOMPARE(marked(marks.word()), QStringLiteral("two"));
        QCOMPARE(marked(marks.sentence()), QStringLiteral("one two three."));
        const QList<QTextEdit::ExtraSelection> shown = box->extraSelections();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown[1].cursor.selectedText(), QStringLiteral("two"));
        QCOMPARE(shown[1].format.background().color(), marks.colors().wordBackground);
        QCOMPARE(shown[1].format.foreground().color(), marks.colors().wordText);
        QCOMPARE(shown[0].format.background().color(), marks.colors().sentenceBackground);

        // The next sentence's band leaves no word of the one before marked.
        marks.showSentence(15, 25);
        QCOMPARE(marked(marks.word()), QString());
        QCOMPARE(box->extraSelections().size(), 1);
        marks.showWord(15, 19);
        marks.showSentence(15, 25);
        QCOMPARE(marked(marks.word()), QStringLiteral("four"));

        marks.clear();
        QVERIFY(box->extraSelections().isEmpty());
        QCOMPARE(box->toPlainText(), QStringLiteral("one two three. four five."));
        QCOMPARE(box->textCursor().selectionStart(), 2);
        QCOMPARE(box->textCursor().selectionEnd(), 5);
        QCOMPARE(box->document()->availableUndoSteps(), undoSteps);
        QVERIFY(!box->document()->isModified());
        QCOMPARE(changes.size(), 0);
        QCOMPARE(modified.size(), 0);
    }

    // The mark is anchored: typing before it moves it, removing its text unmarks it.
    void marksStayOnTheirWordThroughEdits()
    {
        QWidget window;
        QPlainTextEdit* box = boxWith(QStringLiteral("one two three"), window);
        SpokenTextHighlighter marks(*box);
        marks.showWord(4, 7);
        QTextCursor edit(box->document());
        edit.insertText(QStringLiteral("zero "));
        QCOMPARE(marked(marks.word()), QStringLiteral("two"));
        QCOMPARE(box->extraSelections().value(0).cursor.selectedText(), QStringLiteral("two"));
        edit.setPosition(9);
        edit.setPosition(12, QTextCursor::KeepAnchor);
        edit.removeSelectedText();
        QCOMPARE(marked(marks.word()), QString());
    }

    // The user's colours, changed while marking, give the marks new colours at once.
    void coloursFollowTheBox()
    {
        QWidget window;
        QPlainTextEdit* box = boxWith(QStringLiteral("one two"), window);
        SpokenTextHighlighter marks(*box);
        marks.showWord(0, 3);
        QCOMPARE(marks.colors().wordBackground, QColor(0, 255, 0));
        QPalette colours = box->palette();
        colours.setColor(QPalette::Base, Qt::white);
        colours.setColor(QPalette::Text, Qt::black);
        box->setPalette(colours);
        QCOMPARE(marks.colors().wordBackground, QColor(Qt::black));
        QCOMPARE(box->extraSelections().value(0).format.background().color(), QColor(Qt::black));
        QVERIFY(HighlightColors::contrast(marks.colors().wordText, marks.colors().wordBackground) >= 4.5);
    }

    // The box scrolls to the word, but not while the user has just scrolled it.
    void followsTheWordUnlessTheUserScrolled()
    {
        QWidget window;
        window.resize(300, 200);
        QStringList lines;
        for (int i = 0; i < 300; ++i)
            lines << QStringLiteral("line %1 words").arg(i, 3, 10, QLatin1Char('0'));
        QPlainTextEdit* box = boxWith(lines.join(u'\n'), window);
        box->setLineWrapMode(QPlainTextEdit::NoWrap);
        box->resize(300, 200);
        window.show();
        SpokenTextHighlighter marks(*box);
        marks.setFollowPause(0);
        QScrollBar* down = box->verticalScrollBar();
        const auto showLine = [&](int line) {
            const int start = box->document()->findBlockByNumber(line).position() + 5;
            marks.showWord(start, start + 3);
        };

        showLine(200);
        QVERIFY(down->value() <= 200 && down->value() > 150);
        QVERIFY(box->cursorRect(marks.word()).intersects(box->viewport()->rect()));
        const int followed = down->value();
        showLine(201); // already in view: the box stays
        QCOMPARE(down->value(), followed);

        marks.setFollowPause(60 * 60 * 1000);
        down->setValue(10); // the user looks elsewhere
        showLine(250);
        QCOMPARE(down->value(), 10);
        QCOMPARE(box->textCursor().position(), 0);
    }
};

QTEST_MAIN(TestSpokenTextHighlighter)
#include "tst_SpokenTextHighlighter.moc"
