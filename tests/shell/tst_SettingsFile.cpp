#include "PlatformError.h"
#include "SettingsFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <limits>

class TestSettingsFile : public QObject {
    Q_OBJECT
private slots:
    void parsesFields_data();
    void parsesFields();
    void tooFewFields_data();
    void tooFewFields();
    void conversions_data();
    void conversions();
    void writesNumbersShortest_data();
    void writesNumbersShortest();
    void writesTheExactLine();
    void readsAndWritesFiles();
    void unreadableAndUnwritable();
    void encodingsRoundTrip_data();
    void encodingsRoundTrip();
};

void TestSettingsFile::parsesFields_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("fields");
    const QStringList normal { "9735", "8600", "1200", "900", "0", "16777215", "#TRUE#" };
    QTest::newRow("one line") << QByteArray("9735,8600,1200,900,0,16777215,#TRUE#\r\n") << normal;
    QTest::newRow("no line end") << QByteArray("9735,8600,1200,900,0,16777215,#TRUE#") << normal;
    QTest::newRow("blanks around fields")
        << QByteArray("  9735 ,\t8600\t, 1200,900 ,0,  16777215 , #TRUE#  \r\n") << normal;
    QTest::newRow("line ends as separators")
        << QByteArray("9735\r\n8600\n1200\r900,0\r\n16777215\r\n#TRUE#\r\n") << normal;
    QTest::newRow("empty lines between") << QByteArray("\r\n\r\n9735,8600\r\n\r\n  \r\n1200,900,0,16777215,#TRUE#")
                                         << normal;
    QTest::newRow("more after the seventh")
        << QByteArray("9735,8600,1200,900,0,16777215,#TRUE#,junk\r\nmore\r\n") << normal;
    QTest::newRow("empty and inner-blank fields")
        << QByteArray("1,,2 3,\r\n4,5,6\r\n") << QStringList { "1", "", "2 3", "", "4", "5", "6" };
}

void TestSettingsFile::parsesFields()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, fields);
    const SettingsFields read = SettingsFile::parse(bytes);
    QCOMPARE(QStringList(read.fields.begin(), read.fields.end()), fields);
}

void TestSettingsFile::tooFewFields_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("only blanks and lines") << QByteArray("  \r\n\t\r\n");
    QTest::newRow("six fields") << QByteArray("9735,8600,1200,900,0,16777215\r\n");
    QTest::newRow("six and a comma") << QByteArray("9735,8600,1200,900,0,16777215,");
}

void TestSettingsFile::tooFewFields()
{
    QFETCH(QByteArray, bytes);
    try {
        SettingsFile::parse(bytes);
        QFAIL("read seven fields from too few");
    } catch (const PlatformError& failure) {
        QVERIFY(failure.description().startsWith("Input past end of file"));
    }
}

void TestSettingsFile::conversions_data()
{
    QTest::addColumn<char>("kind"); // 's' single, 'l' 32-bit integer, 't' truth value
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("converts");
    QTest::addColumn<double>("value");
    const auto row = [](const char* name, char kind, const QString& field, bool converts, double value = 0) {
        QTest::addRow("%c: %s", kind, name) << kind << field << converts << value;
    };
    row("whole", 's', "9735", true, 9735);
    row("negative", 's', "-60", true, -60);
    row("plus sign", 's', "+15", true, 15);
    row("fraction", 's', "9735.5", true, 9735.5);
    row("leading point", 's', ".25", true, 0.25);
    row("trailing point", 's', "12.", true, 12);
    row("exponent", 's', "1.5E3", true, 1500);
    row("largest single", 's', "3.4028234e38", true, std::numeric_limits<float>::max());
    row("beyond single", 's', "3.5e38", false);
    row("word", 's', "green", false);
    row("empty", 's', "", false);
    row("inner blank", 's', "97 35", false);
    row("infinity", 's', "inf", false);
    row("nan", 's', "nan", false);
    row("two signs", 's', "+-5", false);
    row("thousands separator", 's', "9,735", false);
    row("hexadecimal", 's', "0x10", false);
    row("bare exponent", 's', "1e", false);
    row("wide digits", 's', QString::fromUtf8("\xd9\xa1\xd9\xa2"), false);
    row("white", 'l', "16777215", true, 16777215);
    row("system colour", 'l', "-2147483643", true, -2147483643.0);
    row("smallest", 'l', "-2147483648", true, std::numeric_limits<int>::min());
    row("largest", 'l', "2147483647", true, std::numeric_limits<int>::max());
    row("leading zeros", 'l', "000000000000255", true, 255);
    row("minus zero", 'l', "-0", true, 0);
    row("one beyond", 'l', "2147483648", false);
    row("one below", 'l', "-2147483649", false);
    row("far beyond", 'l', "99999999999999999999999", false);
    row("fraction", 'l', "255.5", false);
    row("word", 'l', "red", false);
    row("sign only", 'l', "-", false);
    row("#TRUE#", 't', "#TRUE#", true, 1);
    row("#FALSE#", 't', "#FALSE#", true, 0);
    row("lower case", 't', "#false#", true, 0);
    row("zero", 't', "0", true, 0);
    row("minus one", 't', "-1", true, 1);
    row("fraction", 't', "0.5", true, 1);
    row("word", 't', "yes", false);
    row("unmarked", 't', "TRUE", false);
    row("empty", 't', "", false);
}

void TestSettingsFile::conversions()
{
    QFETCH(char, kind);
    QFETCH(QString, field);
    QFETCH(bool, converts);
    QFETCH(double, value);
    try {
        const double converted = kind == 's' ? SettingsFile::toSingle(field)
            : kind == 'l'                    ? SettingsFile::toLong(field)
                                             : double(SettingsFile::toTruth(field));
        QCOMPARE(converted, kind == 's' ? double(float(value)) : value);
        QVERIFY2(converts, "converted a field that should have failed");
    } catch (const PlatformError& failure) {
        QVERIFY2(!converts, qPrintable(failure.description()));
    }
}

void TestSettingsFile::writesNumbersShortest_data()
{
    QTest::addColumn<float>("value");
    QTest::addColumn<QString>("written");
    QTest::newRow("whole") << 9735.0f << "9735";
    QTest::newRow("negative") << -60.0f << "-60";
    QTest::newRow("zero") << 0.0f << "0";
    QTest::newRow("minus zero") << -0.0f << "0";
    QTest::newRow("half") << 9735.5f << "9735.5";
    QTest::newRow("tenth") << 0.1f << "0.1";
    QTest::newRow("large") << 1.0e20f << "100000000000000000000";
    QTest::newRow("small") << 1.5e-7f << "0.00000015";
}

void TestSettingsFile::writesNumbersShortest()
{
    QFETCH(float, value);
    QFETCH(QString, written);
    QCOMPARE(SettingsFile::formatNumber(value), written);
    QCOMPARE(SettingsFile::toSingle(written), value);
}

void TestSettingsFile::writesTheExactLine()
{
    SettingsValues values { 9735, 8600, 1200, 900, 0, 16777215, true };
    QCOMPARE(
        SettingsFile::format(values, TextEncoding::CodePage), QByteArray("9735,8600,1200,900,0,16777215,#TRUE#\r\n"));
    values = { 8400, 9735, -60, 0.5f, -2147483643, std::numeric_limits<int>::min(), false };
    QCOMPARE(SettingsFile::format(values, TextEncoding::Utf8),
        QByteArray("8400,9735,-60,0.5,-2147483643,-2147483648,#FALSE#\r\n"));
}

void TestSettingsFile::readsAndWritesFiles()
{
    QTemporaryDir folder;
    const SettingsFile file(folder.filePath("Settings.ini"));
    {
        QFile longer(file.path());
        QVERIFY(longer.open(QIODevice::WriteOnly));
        longer.write("a much longer earlier content of the settings file, all of it to be replaced\r\n");
    }
    file.write({ 10500, 9000, 150, 300, 255, -2147483633, false }, TextEncoding::Utf8);
    QFile written(file.path());
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), QByteArray("10500,9000,150,300,255,-2147483633,#FALSE#\r\n"));
    const SettingsFields read = file.read();
    QCOMPARE(read.fields[0], "10500");
    QCOMPARE(read.fields[5], "-2147483633");
    QCOMPARE(read.fields[6], "#FALSE#");
}

void TestSettingsFile::unreadableAndUnwritable()
{
    QTemporaryDir folder;
    QVERIFY_THROWS_EXCEPTION(PlatformError, SettingsFile(folder.filePath("missing.ini")).read());
    // A folder in the file's place can be neither read nor written, whoever runs the test.
    const QString blocked = folder.filePath("Settings.ini");
    QVERIFY(QDir().mkdir(blocked));
    QVERIFY_THROWS_EXCEPTION(PlatformError, SettingsFile(blocked).read());
    try {
        SettingsFile(blocked).write({ 1, 2, 3, 4, 5, 6, true }, TextEncoding::CodePage);
        QFAIL("wrote over a folder");
    } catch (const PlatformError& failure) {
        QVERIFY(failure.description().contains(blocked));
    }
}

Q_DECLARE_METATYPE(TextEncoding)

void TestSettingsFile::encodingsRoundTrip_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<TextEncoding>("encoding");
    QTest::newRow("ASCII") << QByteArray("9735,8600,1200,900,0,16777215,#TRUE#\r\n") << TextEncoding::Utf8;
    QTest::newRow("UTF-8 with byte order mark") << QByteArray("\xef\xbb\xbf"
                                                              "9735,8600,1200,900,0,16777215,#TRUE#\r\n")
                                                << TextEncoding::Utf8WithBom;
}

// The line the program writes is ASCII; a byte order mark at the start is read past and kept.
void TestSettingsFile::encodingsRoundTrip()
{
    QFETCH(QByteArray, bytes);
    QFETCH(TextEncoding, encoding);
    QTemporaryDir folder;
    const SettingsFile file(folder.filePath("Settings.ini"));
    {
        QFile initial(file.path());
        QVERIFY(initial.open(QIODevice::WriteOnly));
        initial.write(bytes);
    }
    const SettingsFields read = file.read();
    QCOMPARE(read.encoding, encoding);
    QCOMPARE(SettingsFile::toSingle(read.fields[0]), 9735.0f);
    QCOMPARE(SettingsFile::toTruth(read.fields[6]), true);
    file.write({ 9735, 8600, 1200, 900, 0, 16777215, true }, read.encoding);
    QFile written(file.path());
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), bytes);
}

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_SettingsFile.moc"
