#include "PlatformError.h"
#include "TextSpanSelector.h"

#include <QPlainTextEdit>
#include <QTest>

// A span of a text box selected as the box's start and length properties would select it.
class tst_TextSpanSelector : public QObject {
    Q_OBJECT
private slots:
    void spans_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<int>("caret");
        QTest::newRow("a word") << 6 << 5 << "brave" << 11;
        QTest::newRow("the first word") << 0 << 5 << "Hello" << 5;
        QTest::newRow("nothing, caret placed") << 12 << 0 << "" << 12;
        QTest::newRow("length past the end stops there") << 16 << 100 << "world" << 21;
        QTest::newRow("start past the end goes to the end") << 40 << 3 << "" << 21;
        QTest::newRow("across a paragraph") << 12 << 6 << QString("new") + QChar(0x2029) + "wo" << 18;
    }
    void spans()
    {
        QFETCH(int, start);
        QFETCH(int, length);
        QFETCH(QString, selected);
        QFETCH(int, caret);
        QPlainTextEdit box(QStringLiteral("Hello brave new\nworld"));
        TextSpanSelector selector(box);
        selector.select(start, length);
        QCOMPARE(box.textCursor().selectedText(), selected);
        QCOMPARE(box.textCursor().position(), caret);
    }

    void wordAfterWordInLongText()
    {
        QString text;
        for (int i = 0; i < 200; ++i)
            text += QStringLiteral("word%1 ").arg(i, 3, 10, QLatin1Char('0'));
        QPlainTextEdit box(text);
        TextSpanSelector selector(box);
        for (int i = 0; i < 200; i += 37) {
            selector.select(i * 8, 7);
            QCOMPARE(box.textCursor().selectedText(), QStringLiteral("word%1").arg(i, 3, 10, QLatin1Char('0')));
        }
    }

    // A refused value leaves what the parts before it did: a negative start changes nothing, a
    // negative length has placed the caret at the start.
    void negativeValuesAreRefused_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("caret");
        QTest::addColumn<QString>("description");
        QTest::newRow("start") << -1 << 3 << 2 << "Invalid property value: -1";
        QTest::newRow("length") << 4 << -2 << 4 << "Invalid property value: -2";
    }
    void negativeValuesAreRefused()
    {
        QFETCH(int, start);
        QFETCH(int, length);
        QFETCH(int, caret);
        QFETCH(QString, description);
        QPlainTextEdit box(QStringLiteral("Hello world"));
        QTextCursor before = box.textCursor();
        before.setPosition(2);
        box.setTextCursor(before);
        TextSpanSelector selector(box);
        try {
            selector.select(start, length);
            QFAIL("the span was taken");
        } catch (const PlatformError& failure) {
            QCOMPARE(failure.description(), description);
            QCOMPARE(failure.number(), 380);
        }
        QVERIFY(!box.textCursor().hasSelection());
        QCOMPARE(box.textCursor().position(), caret);
    }
};

QTEST_MAIN(tst_TextSpanSelector)
#include "tst_TextSpanSelector.moc"
