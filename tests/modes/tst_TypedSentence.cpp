#include "TypedSentence.h"

#include <QTest>

// Which key press finishes a typed sentence, and which sentence: the one after the last finished.
class TestTypedSentence : public QObject {
    Q_OBJECT
private slots:
    void finishedBy_data()
    {
        QTest::addColumn<QString>("before"); // the paragraph up to the key's place
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("start"); // -1: no sentence
        QTest::addColumn<QString>("text");
        const int space = ' ';
        const int enter = 13;
        QTest::newRow("space after a full stop") << "Hello there." << space << 0 << "Hello there.";
        QTest::newRow("second sentence") << "Hello there. How are you?" << space << 13 << "How are you?";
        QTest::newRow("after blanks") << "One.   Two!" << space << 7 << "Two!";
        QTest::newRow("closing quote") << "He said \"stop.\"" << space << 0 << "He said \"stop.\"";
        QTest::newRow("ellipsis") << "Wait..." << space << 0 << "Wait...";
        QTest::newRow("space inside a sentence") << "Hello there" << space << -1 << "";
        QTest::newRow("second space") << "Hello there. " << space << -1 << "";
        QTest::newRow("other key after a mark") << "Hello there." << int('x') << -1 << "";
        QTest::newRow("enter after words") << "no mark at all" << enter << 0 << "no mark at all";
        QTest::newRow("enter after a finished one") << "Done. " << enter << -1 << "";
        QTest::newRow("enter after the rest") << "Done. And more" << enter << 6 << "And more";
        QTest::newRow("enter right after a mark") << "First. Second." << enter << 7 << "Second.";
        QTest::newRow("enter on an empty line") << "" << enter << -1 << "";
        QTest::newRow("enter after blanks") << "   " << enter << -1 << "";
        QTest::newRow("marks alone") << "Yes. ?!" << space << -1 << "";
    }
    void finishedBy()
    {
        QFETCH(QString, before);
        QFETCH(int, key);
        QFETCH(int, start);
        QFETCH(QString, text);
        const auto sentence = TypedSentence::finishedBy(before, key);
        QCOMPARE(sentence.has_value(), start >= 0);
        if (!sentence)
            return;
        QCOMPARE(sentence->start, start);
        QCOMPARE(sentence->text, text);
    }
};

QTEST_APPLESS_MAIN(TestTypedSentence)
#include "tst_TypedSentence.moc"
