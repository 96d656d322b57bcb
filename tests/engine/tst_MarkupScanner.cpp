#include "engine/markup/MarkupScanner.h"
#include "platform/PlatformError.h"

#include <QTest>

namespace {

using Kind = MarkupConstruct::Kind;

// The construct at the text's first '<' as kind:end, with the content of CDATA and the '>' and
// "end" of tags.
QString scan(const QString& text)
{
    const MarkupConstruct c = MarkupScanner(text).at(text.indexOf(u'<'));
    switch (c.kind) {
    case Kind::Text:
        return QStringLiteral("text");
    case Kind::Skipped:
        return QStringLiteral("skipped:%1").arg(c.end);
    case Kind::CData:
        return QStringLiteral("cdata:%1[%2]").arg(c.end).arg(text.mid(c.contentBegin, c.contentEnd - c.contentBegin));
    case Kind::Tag:
        return QStringLiteral("%1:%2>%3")
            .arg(c.endTag ? QStringLiteral("endtag") : QStringLiteral("tag"))
            .arg(c.end)
            .arg(c.gt);
    case Kind::UnterminatedValue:
        return QStringLiteral("unterminated>%1").arg(c.gt);
    }
    return {};
}

} // namespace

class tst_MarkupScanner : public QObject {
    Q_OBJECT

private slots:
    void constructs_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("stray <") << QStringLiteral("a < b") << QStringLiteral("text");
        QTest::newRow("< at the end") << QStringLiteral("a <") << QStringLiteral("text");
        QTest::newRow("digit after <") << QStringLiteral("<1>") << QStringLiteral("text");
        QTest::newRow("start tag") << QStringLiteral("x<rate speed=\"2\">") << QStringLiteral("tag:17>16");
        QTest::newRow("end tag") << QStringLiteral("</rate>") << QStringLiteral("endtag:7>6");
        QTest::newRow("quoted >") << QStringLiteral("<a b='>' c=\"x>y\">") << QStringLiteral("tag:17>16");
        QTest::newRow("< inside a tag") << QStringLiteral("<a <b>") << QStringLiteral("text");
        QTest::newRow("no >") << QStringLiteral("<a b") << QStringLiteral("text");
        QTest::newRow("> only in a quote") << QStringLiteral("<a b=\"c>d") << QStringLiteral("unterminated>7");
        QTest::newRow("comment") << QStringLiteral("<!-- a < b -->z") << QStringLiteral("skipped:14");
        QTest::newRow("cdata") << QStringLiteral("<![CDATA[a<b]]>") << QStringLiteral("cdata:15[a<b]");
        QTest::newRow("empty cdata") << QStringLiteral("<![CDATA[]]>") << QStringLiteral("cdata:12[]");
        QTest::newRow("doctype") << QStringLiteral("<!DOCTYPE speak>") << QStringLiteral("skipped:16");
        QTest::newRow("doctype in lower case") << QStringLiteral("<!doctype x>") << QStringLiteral("skipped:12");
        QTest::newRow("doctype subset") << QStringLiteral("<!DOCTYPE x [<!ENTITY a \"<>\">]>")
                                        << QStringLiteral("skipped:31");
        QTest::newRow("doctype quoted >") << QStringLiteral("<!DOCTYPE x \"a>b\">") << QStringLiteral("skipped:18");
        QTest::newRow("doctype before <") << QStringLiteral("<!DOCTYPE x <p>") << QStringLiteral("text");
        QTest::newRow("unterminated doctype") << QStringLiteral("<!DOCTYPE x") << QStringLiteral("text");
        QTest::newRow("declaration") << QStringLiteral("<!ELEMENT x>") << QStringLiteral("skipped:12");
        QTest::newRow("declaration before <") << QStringLiteral("<!x <p>") << QStringLiteral("text");
        QTest::newRow("instruction") << QStringLiteral("<?xml version=\"1.0\"?>") << QStringLiteral("skipped:21");
        QTest::newRow("instruction before <") << QStringLiteral("<?x <p>?>") << QStringLiteral("text");
        QTest::newRow("unterminated instruction") << QStringLiteral("<?x") << QStringLiteral("text");
    }
    void constructs()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(scan(text), expected);
    }

    // Markup that cannot end: treating it as text would rescan what follows for every '<' in it.
    void faults_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("fault");
        QTest::newRow("comment") << QStringLiteral(
            "a <!-- b") << QStringLiteral("Markup error at character 2: a comment <!-- is not terminated by -->");
        QTest::newRow("cdata") << QStringLiteral("<![CDATA[ b")
                               << QStringLiteral(
                                      "Markup error at character 0: a <![CDATA[ section is not terminated by ]]>");
        QTest::newRow("doctype subset") << QStringLiteral(
            "<!DOCTYPE x [ <a> ]") << QStringLiteral("Markup error at character 0: <!DOCTYPE is not terminated by >");
    }
    void faults()
    {
        QFETCH(QString, text);
        QFETCH(QString, fault);
        try {
            scan(text);
            QFAIL("no fault");
        } catch (const PlatformError& e) {
            QCOMPARE(e.description(), fault);
        }
    }
};

QTEST_APPLESS_MAIN(tst_MarkupScanner)
#include "tst_MarkupScanner.moc"
