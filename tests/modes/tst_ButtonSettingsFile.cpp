#include "ButtonSettingsFile.h"
#include "LocaleTextCodec.h"
#include "PlatformError.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "FileBytes.h"

namespace {

QStringList nine(const QString& phrase)
{
    return QStringList(ButtonSettingsFile::phraseCount, phrase);
}

} // namespace

class TestButtonSettingsFile : public QObject {
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
    void parseStopsAtTheLimit();
    void byteOrderMarkIsSkipped();
    void phrasesSurviveWritingAndReading_data();
    void phrasesSurviveWritingAndReading();
    void failuresCarryThePathAndReason();
    void failedWriteKeepsTheFile();
    void encodingsRoundTrip_data();
    void encodingsRoundTrip();
    void codePageCannotHoldIsUtf8();
};

void TestButtonSettingsFile::parse_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("values");

    QTest::newRow("empty file") << QByteArray() << QStringList {};
    QTest::newRow("quoted lines") << QByteArray("\"one\"\r\n\"two\"\r\n") << QStringList { "one", "two" };
    QTest::newRow("last line without line end") << QByteArray("\"one\"\r\n\"two\"") << QStringList { "one", "two" };
    QTest::newRow("empty quoted value") << QByteArray("\"\"\r\n\"b\"\r\n") << QStringList { "", "b" };
    QTest::newRow("comma inside quotes") << QByteArray("\"red, green\"\r\n") << QStringList { "red, green" };
    QTest::newRow("commas separate values") << QByteArray("a,b, c\r\n") << QStringList { "a", "b", "c" };
    QTest::newRow("blanks around unquoted")
        << QByteArray("  spaced out \t,\tx\r\n") << QStringList { "spaced out", "x" };
    QTest::newRow("blanks kept inside quotes") << QByteArray("  \"  kept  \"  \r\n") << QStringList { "  kept  " };
    QTest::newRow("rest after closing quote skipped")
        << QByteArray("\"first\" trailing words,\"second\"\r\n") << QStringList { "first", "second" };
    QTest::newRow("inner quote written twice")
        << QByteArray("\"say \"\"hi\"\" now\"\r\n") << QStringList { "say \"hi\" now" };
    QTest::newRow("quote alone") << QByteArray("\"\"\"\"\r\n") << QStringList { "\"" };
    // A phrase that an unescaping writer left with a single inner quote ends at that quote.
    QTest::newRow("single inner quote ends the value")
        << QByteArray("\"say \"hi\" now\"\r\n\"next\"\r\n") << QStringList { "say ", "next" };
    QTest::newRow("quote in an unquoted value") << QByteArray("it\"s here\r\n") << QStringList { "it\"s here" };
    QTest::newRow("LF and CR line ends") << QByteArray("a\nb\rc\r\n") << QStringList { "a", "b", "c" };
    QTest::newRow("blank line is an empty value") << QByteArray("a\r\n\r\nb\r\n") << QStringList { "a", "", "b" };
    QTest::newRow("comma before line end") << QByteArray("a,\r\nb") << QStringList { "a", "", "b" };
    QTest::newRow("trailing comma") << QByteArray("a,") << QStringList { "a" };
    QTest::newRow("unterminated quote runs to the end")
        << QByteArray("\"open\r\nstill open") << QStringList { "open\r\nstill open" };
    QTest::newRow("line end inside quotes")
        << QByteArray("\"two\r\nlines\"\r\nx") << QStringList { "two\r\nlines", "x" };
    // A writer that does not double quotes writes the phrase " as """: the rows stay in place.
    QTest::newRow("undoubled quote alone")
        << QByteArray("\"a\"\r\n\"\"\"\r\n\"c\"\r\n\"d\"\r\n") << QStringList { "a", "\"", "c", "d" };
    QTest::newRow("undoubled quote alone, LF") << QByteArray("\"\"\"\n\"c\"\n") << QStringList { "\"", "c" };
    QTest::newRow("undoubled quote alone, before an empty phrase")
        << QByteArray("\"\"\"\r\n\"\"\r\n\"c\"\r\n") << QStringList { "\"", "", "c" };
    QTest::newRow("undoubled quote alone, last line") << QByteArray("\"a\"\r\n\"\"\"") << QStringList { "a", "\"" };
    QTest::newRow("undoubled quote ending a phrase")
        << QByteArray("\"say \"\"\r\n\"next\"\r\n") << QStringList { "say \"", "next" };
    // Doubled quotes before a line end inside a phrase that closes properly on a later line.
    QTest::newRow("doubled quote before a line end inside quotes")
        << QByteArray("\"\"\"\r\nx\"\r\n\"c\"\r\n") << QStringList { "\"\r\nx", "c" };
}

void TestButtonSettingsFile::parse()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, values);
    QCOMPARE(ButtonSettingsFile::parse(bytes, 100), values);
}

void TestButtonSettingsFile::parseStopsAtTheLimit()
{
    QByteArray twelve;
    for (int i = 0; i < 12; ++i)
        twelve += "\"row " + QByteArray::number(i) + "\"\r\n";
    const QStringList ten = ButtonSettingsFile::parse(twelve, 10);
    QCOMPARE(ten.size(), 10);
    QCOMPARE(ten.last(), QString("row 9"));

    QTemporaryDir folder;
    const QString path = folder.filePath("Buttons.ini");
    QVERIFY(writeFile(path, twelve));
    QCOMPARE(ButtonSettingsFile(path).read().values, ten);
}

// A file saved by an editor that marks its encoding reads as the same phrases.
void TestButtonSettingsFile::byteOrderMarkIsSkipped()
{
    QCOMPARE(ButtonSettingsFile::parse("\xEF\xBB\xBF\"one\"\r\n\"two\"\r\n", 10), QStringList({ "one", "two" }));
    QCOMPARE(ButtonSettingsFile::parse("\xEF\xBB\xBFplain\r\n", 10), QStringList { "plain" });
}

// Each phrase with the line the file holds for it, written out by hand: between quotes, every
// inner quote doubled, line breaks and blanks kept, UTF-8 as it is.
void TestButtonSettingsFile::phrasesSurviveWritingAndReading_data()
{
    QTest::addColumn<QString>("phrase");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("plain") << "Good morning" << QByteArray("\"Good morning\"\r\n");
    QTest::newRow("comma") << "Yes, please" << QByteArray("\"Yes, please\"\r\n");
    QTest::newRow("empty") << "" << QByteArray("\"\"\r\n");
    QTest::newRow("quotes") << "\"quoted\" and \"\"doubled\"\""
                            << QByteArray("\"\"\"quoted\"\" and \"\"\"\"doubled\"\"\"\"\"\r\n");
    QTest::newRow("only quotes") << "\"\"\"" << QByteArray("\"\"\"\"\"\"\"\"\r\n");
    QTest::newRow("blanks around") << "  padded\t" << QByteArray("\"  padded\t\"\r\n");
    QTest::newRow("line break") << "two\r\nlines" << QByteArray("\"two\r\nlines\"\r\n");
    QTest::newRow("quote before a line break") << "a \"\r\nb\"\n\"" << QByteArray("\"a \"\"\r\nb\"\"\n\"\"\"\r\n");
    QTest::newRow("accents") << QString::fromUtf8("caf\xc3\xa9 cr\xc3\xa8me")
                             << QByteArray("\"caf\xc3\xa9 cr\xc3\xa8me\"\r\n");
}

void TestButtonSettingsFile::phrasesSurviveWritingAndReading()
{
    QFETCH(QString, phrase);
    QFETCH(QByteArray, line);
    QTemporaryDir folder;
    const ButtonSettingsFile file(folder.filePath("Buttons.ini"));
    QStringList phrases = nine("Label1");
    phrases[3] = phrase;
    phrases[8] = phrase;
    QCOMPARE(file.write(phrases, TextEncoding::Utf8), TextEncoding::Utf8);
    const QByteArray label = "\"Label1\"\r\n";
    QCOMPARE(fileBytes(file.path()), label.repeated(3) + line + label.repeated(4) + line);
    QCOMPARE(file.read().values, phrases);
}

void TestButtonSettingsFile::failuresCarryThePathAndReason()
{
    QTemporaryDir folder;
    const QString missing = folder.filePath("Buttons.ini");
    try {
        ButtonSettingsFile(missing).read();
        QFAIL("a missing file was read");
    } catch (const PlatformError& failure) {
        QVERIFY2(failure.description().startsWith(QDir::toNativeSeparators(missing) + ": "),
            qPrintable(failure.description()));
        QVERIFY(failure.description().size() > missing.size() + 2);
    }

    const QString huge = folder.filePath("Huge.ini");
    QVERIFY(writeFile(huge, QByteArray(5 * 1024 * 1024, 'x')));
    QVERIFY_THROWS_EXCEPTION(PlatformError, ButtonSettingsFile(huge).read());

    const QString inMissingFolder = folder.filePath("no such folder/Buttons.ini");
    QVERIFY_THROWS_EXCEPTION(PlatformError, ButtonSettingsFile(inMissingFolder).write(nine("x"), TextEncoding::Utf8));
}

// A folder in the file's place cannot be replaced; nothing else is touched either.
void TestButtonSettingsFile::failedWriteKeepsTheFile()
{
    QTemporaryDir folder;
    const QString path = folder.filePath("Buttons.ini");
    QVERIFY(QDir(folder.path()).mkdir("Buttons.ini"));
    QVERIFY_THROWS_EXCEPTION(PlatformError, ButtonSettingsFile(path).write(nine("x"), TextEncoding::CodePage));
    QVERIFY(QFileInfo(path).isDir());
    QCOMPARE(QDir(folder.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList { "Buttons.ini" });
}

Q_DECLARE_METATYPE(TextEncoding)

void TestButtonSettingsFile::encodingsRoundTrip_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("first");
    QTest::addColumn<TextEncoding>("encoding");
    const QByteArray rest = "\"Label1\"\r\n\"Label1\"\r\n\"Label1\"\r\n\"Label1\"\r\n\"Label1\"\r\n\"Label1\"\r\n"
                            "\"Label1\"\r\n\"x\"\r\n";
    const QString cafe = QStringLiteral("Caf\u00e9 cr\u00e8me");
    QTest::newRow("Latin-1") << "\"Caf\xe9 cr\xe8me\"\r\n" + rest << cafe << TextEncoding::CodePage;
    QTest::newRow("Windows-1252") << "\"\x93\x80 5\x94 \x81\x8d\x8f\x90\x9d\"\r\n" + rest
                                  << QStringLiteral("\u201c\u20ac 5\u201d \u0081\u008d\u008f\u0090\u009d")
                                  << TextEncoding::CodePage;
    QTest::newRow("UTF-8") << "\"Caf\xc3\xa9 cr\xc3\xa8me\"\r\n" + rest << cafe << TextEncoding::Utf8;
    QTest::newRow("UTF-8 with byte order mark")
        << "\xef\xbb\xbf\"Caf\xc3\xa9 cr\xc3\xa8me\"\r\n" + rest << cafe << TextEncoding::Utf8WithBom;
    QTest::newRow("mixed bytes") << "\"Caf\xc3\xa9 cr\xe8me\"\r\n" + rest
                                 << QStringLiteral("Caf\u00c3\u00a9 cr\u00e8me") << TextEncoding::CodePage;
}

// Read and written again, the file is the same bytes.
void TestButtonSettingsFile::encodingsRoundTrip()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, first);
    QFETCH(TextEncoding, encoding);
    QTemporaryDir folder;
    const ButtonSettingsFile file(folder.filePath("Buttons.ini"));
    QVERIFY(writeFile(file.path(), bytes));
    const ButtonSettingsFile::Contents contents = file.read();
    QCOMPARE(contents.values.size(), ButtonSettingsFile::phraseCount);
    QCOMPARE(contents.values.first(), first);
    QCOMPARE(contents.values.last(), QString("x"));
    QCOMPARE(contents.encoding, encoding);
    QCOMPARE(file.write(contents.values, contents.encoding), encoding);
    QCOMPARE(fileBytes(file.path()), bytes);
}

// A phrase the code page has no byte for is not replaced: the file is written as UTF-8.
void TestButtonSettingsFile::codePageCannotHoldIsUtf8()
{
    QTemporaryDir folder;
    const ButtonSettingsFile file(folder.filePath("Buttons.ini"));
    QStringList phrases = nine("caf\u00e9");
    phrases[2] = QStringLiteral("\u2192 \u65e5\u672c");
    QCOMPARE(file.write(phrases, TextEncoding::CodePage), TextEncoding::Utf8);
    QVERIFY(fileBytes(file.path()).startsWith("\"caf\xc3\xa9\"\r\n"));
    const ButtonSettingsFile::Contents contents = file.read();
    QCOMPARE(contents.values, phrases);
    QCOMPARE(contents.encoding, TextEncoding::Utf8);
}

QTEST_GUILESS_MAIN(TestButtonSettingsFile)
#include "tst_ButtonSettingsFile.moc"
