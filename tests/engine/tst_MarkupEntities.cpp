#include "engine/markup/LanguageTable.h"
#include "engine/markup/MarkupEntities.h"

#include <QTest>

class tst_MarkupEntities : public QObject {
    Q_OBJECT

private slots:
    void entities_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("length");
        QTest::addColumn<uint>("character");
        QTest::newRow("amp") << QStringLiteral("&amp;x") << 5 << uint('&');
        QTest::newRow("apos") << QStringLiteral("&apos;") << 6 << uint('\'');
        QTest::newRow("decimal") << QStringLiteral("&#65;") << 5 << uint('A');
        QTest::newRow("hexadecimal") << QStringLiteral("&#x1F600;") << 9 << 0x1F600u;
        QTest::newRow("tab") << QStringLiteral("&#9;") << 4 << 9u;
        QTest::newRow("upper-case x") << QStringLiteral("&#X41;") << 0 << 0u;
        QTest::newRow("no digits") << QStringLiteral("&#;") << 0 << 0u;
        QTest::newRow("no semicolon") << QStringLiteral("&#65 ") << 0 << 0u;
        QTest::newRow("surrogate") << QStringLiteral("&#xD800;") << 0 << 0u;
        QTest::newRow("past Unicode") << QStringLiteral("&#1114112;") << 0 << 0u;
        QTest::newRow("huge") << QStringLiteral("&#99999999999999999999;") << 0 << 0u;
        QTest::newRow("control character") << QStringLiteral("&#1;") << 0 << 0u;
        QTest::newRow("unknown name") << QStringLiteral("&nbsp;") << 0 << 0u;
        QTest::newRow("unterminated name") << QStringLiteral("&amp") << 0 << 0u;
    }
    void entities()
    {
        QFETCH(QString, text);
        QFETCH(int, length);
        QFETCH(uint, character);
        const MarkupEntities::Entity entity = MarkupEntities::at(text);
        QCOMPARE(entity.length, qsizetype(length));
        if (length > 0)
            QCOMPARE(uint(entity.character), character);
    }

    void decoding()
    {
        QCOMPARE(MarkupEntities::decoded(u"a &lt;b&gt; &#x1F600; & &x;"), QStringLiteral("a <b> 😀 & &x;"));
        QCOMPARE(MarkupEntities::characterText(0x1F600).size(), 2);
    }

    void languageIds()
    {
        QCOMPARE(LanguageTable::firstId(u"409").value_or(0), 0x409u);
        QCOMPARE(LanguageTable::firstId(u" 0x809 ; 409").value_or(0), 0x809u);
        QCOMPARE(LanguageTable::firstId(u"0XC0c").value_or(0), 0xC0Cu);
        QVERIFY(!LanguageTable::firstId(u"0x"));
        QVERIFY(!LanguageTable::firstId(u";409"));
        QVERIFY(!LanguageTable::firstId(u"4O9"));
        QCOMPARE(LanguageTable::firstId(u"FFFFFFFFFF").value_or(0), 0x1000000u);
        QCOMPARE(LanguageTable::tag(0x409).value_or(QString()), QStringLiteral("en-US"));
        QCOMPARE(LanguageTable::tag(0xC0A).value_or(QString()), QStringLiteral("es-ES"));
        QVERIFY(!LanguageTable::tag(0x1000000));
    }
};

QTEST_APPLESS_MAIN(tst_MarkupEntities)
#include "tst_MarkupEntities.moc"
