#include "TextDocumentMirror.h"
#include "TextPieces.h"
#include "UndoStore.h"

#include <QRandomGenerator>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>

namespace {

// Letters a to z; with wide, now and then one from beyond Latin-1.
QString letters(QRandomGenerator& random, qsizetype count, bool wide = false)
{
    QString text(count, Qt::Uninitialized);
    for (QChar& c : text)
        c = wide && random.bounded(50) == 0 ? QChar(0x0416) : QChar(u'a' + random.bounded(26));
    return text;
}

// Every piece within its bounds, and the pieces adding up to the text.
bool wellCut(const TextPieces& text)
{
    qsizetype total = 0;
    for (const TextPieces::Piece& piece : text.pieces()) {
        total += piece.size();
        if (piece.size() == 0 || piece.size() > 2 * TextPieces::pieceSize)
            return false;
        if (text.pieces().size() > 1 && piece.size() < TextPieces::pieceSize / 4)
            return false;
    }
    return total == text.size();
}

} // namespace

class TestUndoStore : public QObject {
    Q_OBJECT
private slots:
    void slotNumbers();
    void piecesFollowEdits_data();
    void piecesFollowEdits();
    void slotsOfALongDocumentStaySmall();
    void mirrorFollowsTheDocument_data();
    void mirrorFollowsTheDocument();
};

void TestUndoStore::slotNumbers()
{
    UndoStore store;
    for (int slot = UndoStore::firstSlot; slot <= UndoStore::lastSlot; ++slot)
        QVERIFY(store.isEmpty(slot));
    QVERIFY(store.set(1, QStringLiteral("first")));
    QVERIFY(store.set(100, QStringLiteral("last")));
    QVERIFY(!store.set(0, QStringLiteral("none")));
    QVERIFY(!store.set(101, QStringLiteral("none")));
    QCOMPARE(store.at(1), QStringLiteral("first"));
    QCOMPARE(store.at(100), QStringLiteral("last"));
    QCOMPARE(store.at(0), QString());
    QCOMPARE(store.at(-3), QString());
    QVERIFY(store.isEmpty(101));
    QVERIFY(store.set(1, QString()));
    QVERIFY(store.isEmpty(1));
    store.clear();
    QVERIFY(store.isEmpty(100));
    QCOMPARE(store.heldBytes(), qsizetype(0));
}

void TestUndoStore::piecesFollowEdits_data()
{
    QTest::addColumn<int>("startSize");
    QTest::addColumn<int>("largestEdit");
    QTest::addColumn<bool>("wide");
    QTest::addRow("empty start, typing") << 0 << 3 << false;
    QTest::addRow("one piece, small edits") << 500 << 40 << false;
    QTest::addRow("many pieces, small edits") << 100'000 << 30 << false;
    QTest::addRow("many pieces, edits across pieces") << 100'000 << 30'000 << false;
    QTest::addRow("beyond Latin-1, small edits") << 100'000 << 30 << true;
    QTest::addRow("beyond Latin-1, edits across pieces") << 100'000 << 30'000 << true;
}

void TestUndoStore::piecesFollowEdits()
{
    QFETCH(int, startSize);
    QFETCH(int, largestEdit);
    QFETCH(bool, wide);
    QRandomGenerator random(startSize + largestEdit);
    QString expected = letters(random, startSize);
    TextPieces text(expected);
    for (int step = 0; step < 400; ++step) {
        const qsizetype position = random.bounded(expected.size() + 1);
        const qsizetype removed = random.bounded(largestEdit + 1);
        const QString added = letters(random, random.bounded(largestEdit + 1), wide);
        expected.replace(position, removed, added);
        text.replace(position, removed, added);
        QCOMPARE(text.size(), expected.size());
        QVERIFY2(wellCut(text), qPrintable(QStringLiteral("step %1").arg(step)));
    }
    QCOMPARE(text.toString(), expected);
    text.replace(0, text.size(), {});
    QVERIFY(text.isEmpty());
    QVERIFY(text.pieces().empty());
}

void TestUndoStore::slotsOfALongDocumentStaySmall()
{
    // 99 records of a long text, one key apart, as typing leaves them.
    QRandomGenerator random(11);
    TextPieces document(letters(random, 2'000'000));
    UndoStore store;
    for (int slot = 1; slot <= 99; ++slot) {
        QVERIFY(store.set(slot, document));
        document.replace(random.bounded(document.size()), 0, u"k");
    }
    const qsizetype documentBytes = document.size() * qsizetype(sizeof(QChar));
    QVERIFY2(store.heldBytes() < documentBytes * 2, qPrintable(QString::number(store.heldBytes())));
    QCOMPARE(store.at(99).size(), document.size() - 1);
    QCOMPARE(store.at(1).size(), document.size() - 99);
}

void TestUndoStore::mirrorFollowsTheDocument_data()
{
    QTest::addColumn<int>("seed");
    QTest::addColumn<int>("startLines");
    QTest::addRow("empty document") << 1 << 0;
    QTest::addRow("some lines") << 2 << 40;
    QTest::addRow("long document") << 3 << 4000;
}

void TestUndoStore::mirrorFollowsTheDocument()
{
    QFETCH(int, seed);
    QFETCH(int, startLines);
    QRandomGenerator random(seed);
    QTextDocument document;
    QStringList lines;
    for (int i = 0; i < startLines; ++i)
        lines << letters(random, random.bounded(120));
    document.setPlainText(lines.join(u'\n'));
    TextDocumentMirror mirror(document);
    QTextCursor cursor(&document);
    for (int step = 0; step < 300; ++step) {
        const int length = document.characterCount() - 1;
        cursor.setPosition(random.bounded(length + 1));
        cursor.setPosition(qMin(length, cursor.position() + random.bounded(200)), QTextCursor::KeepAnchor);
        switch (random.bounded(7)) {
        case 0:
            cursor.insertText(letters(random, 3) + u'\n' + letters(random, 2));
            break;
        case 1:
            cursor.removeSelectedText();
            break;
        case 2:
            cursor.insertBlock();
            break;
        case 3:
            // Several edits in one block reach the document's listeners as one change.
            cursor.beginEditBlock();
            cursor.insertText(QStringLiteral("x\ny"));
            cursor.movePosition(QTextCursor::Start);
            cursor.insertText(QStringLiteral("start "));
            cursor.endEditBlock();
            break;
        case 4:
            cursor.insertText(QString(QChar::LineSeparator) + QStringLiteral("soft"));
            break;
        case 5:
            if (random.bounded(10) == 0)
                document.setPlainText(letters(random, random.bounded(300)));
            break;
        default:
            cursor.insertText(letters(random, 1));
            break;
        }
        const QString expected = document.toPlainText();
        QVERIFY2(mirror.text().size() == expected.size(),
            qPrintable(QStringLiteral("step %1: %2 %3 [%4] [%5]")
                           .arg(step)
                           .arg(mirror.text().size())
                           .arg(expected.size())
                           .arg(mirror.text().toString().left(80), expected.left(80))));
        QVERIFY2(mirror.text().toString() == expected, qPrintable(QStringLiteral("step %1").arg(step)));
    }
    document.clear();
    QVERIFY(mirror.text().isEmpty());
}

QTEST_MAIN(TestUndoStore)
#include "tst_UndoStore.moc"
