#include "EventLogBox.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>

// The console's log in its box: lines ended by CR LF, the oldest part cut beyond the limit, and
// the newest line brought into view once the event loop turns.
class tst_EventLogBox : public QObject {
    Q_OBJECT
private slots:
    void linesEndWithCrLf()
    {
        QPlainTextEdit box;
        EventLogBox log(box);
        log.append(QStringLiteral("Speak"));
        log.append(QStringLiteral("Speak Error: no device"));
        QCOMPARE(log.text(), QStringLiteral("Speak\r\nSpeak Error: no device\r\n"));
        QCOMPARE(box.textCursor().position(), box.toPlainText().size());
    }

    // Appending puts the caret after the new line, also when the user had moved or selected.
    void caretFollowsTheNewLine()
    {
        QPlainTextEdit box;
        EventLogBox log(box);
        log.append(QStringLiteral("first"));
        QTextCursor selection = box.textCursor();
        selection.setPosition(1);
        selection.setPosition(3, QTextCursor::KeepAnchor);
        box.setTextCursor(selection);
        log.append(QStringLiteral("second"));
        QVERIFY(!box.textCursor().hasSelection());
        QCOMPARE(box.textCursor().position(), box.toPlainText().size());
    }

    void cutBeyondTheLimit_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("cut");
        QTest::newRow("at the limit") << 64000 << 0;
        QTest::newRow("one over") << 64001 << 10240;
    }
    void cutBeyondTheLimit()
    {
        QFETCH(int, length);
        QFETCH(int, cut);
        const QString filler(length, QLatin1Char('x'));
        QPlainTextEdit box(filler);
        EventLogBox log(box);
        log.append(QStringLiteral("Stop"));
        QCOMPARE(log.text(), filler.mid(cut) + QStringLiteral("Stop\r\n"));
    }

    void newestLineComesIntoView()
    {
        QPlainTextEdit box;
        box.resize(200, 80);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        EventLogBox log(box);
        for (int i = 0; i < 200; ++i)
            log.append(QStringLiteral("line %1").arg(i));
        QTextCursor newest(box.document());
        newest.setPosition(static_cast<int>(box.toPlainText().lastIndexOf(QStringLiteral("line 199"))));
        QTRY_VERIFY(box.viewport()->rect().contains(box.cursorRect(newest)));
        QVERIFY(box.verticalScrollBar()->value() > 0);
    }
};

QTEST_MAIN(tst_EventLogBox)
#include "tst_EventLogBox.moc"
