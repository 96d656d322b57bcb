#include "EightBitCodePage.h"
#include "LocaleTextCodec.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <clocale>

namespace {

QByteArray everyByte()
{
    QByteArray bytes;
    for (int value = 0; value < 256; ++value)
        bytes += char(value);
    return bytes;
}

// Sets LC_CTYPE for the life of the object.
class CharacterLocale {
public:
    explicit CharacterLocale(const char* name)
        : m_previous(std::setlocale(LC_CTYPE, nullptr))
        , m_set(std::setlocale(LC_CTYPE, name) != nullptr)
    {
    }
    ~CharacterLocale() { std::setlocale(LC_CTYPE, m_previous.constData()); }
    bool isSet() const { return m_set; }

private:
    QByteArray m_previous;
    bool m_set;
};

} // namespace

Q_DECLARE_METATYPE(TextEncoding)

class TestLocaleTextCodec : public QObject {
    Q_OBJECT
private slots:
    void windows1252Characters_data();
    void windows1252Characters();
    void everyByteComesBack_data();
    void everyByteComesBack();
    void convertedSetsKeepEveryByte_data();
    void convertedSetsKeepEveryByte();
    void decodes_data();
    void decodes();
    void encodes_data();
    void encodes();
    void newFilesFollowTheLocale_data();
    void newFilesFollowTheLocale();
    void eightBitLocale_data();
    void eightBitLocale();
};

void TestLocaleTextCodec::windows1252Characters_data()
{
    QTest::addColumn<QByteArray>("byte");
    QTest::addColumn<QString>("character");
    QTest::newRow("euro") << QByteArray("\x80") << QStringLiteral("\u20ac");
    QTest::newRow("low quote") << QByteArray("\x82") << QStringLiteral("\u201a");
    QTest::newRow("ellipsis") << QByteArray("\x85") << QStringLiteral("\u2026");
    QTest::newRow("S caron") << QByteArray("\x8a") << QStringLiteral("\u0160");
    QTest::newRow("left quote") << QByteArray("\x93") << QStringLiteral("\u201c");
    QTest::newRow("trade mark") << QByteArray("\x99") << QStringLiteral("\u2122");
    QTest::newRow("Y diaeresis") << QByteArray("\x9f") << QStringLiteral("\u0178");
    QTest::newRow("unassigned 81") << QByteArray("\x81") << QStringLiteral("\u0081");
    QTest::newRow("unassigned 8D") << QByteArray("\x8d") << QStringLiteral("\u008d");
    QTest::newRow("unassigned 8F") << QByteArray("\x8f") << QStringLiteral("\u008f");
    QTest::newRow("unassigned 90") << QByteArray("\x90") << QStringLiteral("\u0090");
    QTest::newRow("unassigned 9D") << QByteArray("\x9d") << QStringLiteral("\u009d");
    QTest::newRow("no-break space") << QByteArray("\xa0") << QStringLiteral("\u00a0");
    QTest::newRow("e acute") << QByteArray("\xe9") << QStringLiteral("\u00e9");
    QTest::newRow("y diaeresis") << QByteArray("\xff") << QStringLiteral("\u00ff");
}

void TestLocaleTextCodec::windows1252Characters()
{
    QFETCH(QByteArray, byte);
    QFETCH(QString, character);
    const EightBitCodePage page = EightBitCodePage::windows1252();
    QCOMPARE(page.decode(byte), character);
    QCOMPARE(page.encode(character), std::optional<QByteArray>(byte));
}

void TestLocaleTextCodec::everyByteComesBack_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("Windows-1252 table") << QByteArray();
    QTest::newRow("converter's windows-1252") << QByteArray("windows-1252");
    QTest::newRow("ISO-8859-15") << QByteArray("ISO-8859-15");
    // Leaves 0xA5, 0xAE, 0xBE, 0xC3, 0xD0 and 0xE3 unassigned.
    QTest::newRow("ISO-8859-3") << QByteArray("ISO-8859-3");
    QTest::newRow("KOI8-R") << QByteArray("KOI8-R");
}

void TestLocaleTextCodec::everyByteComesBack()
{
    QFETCH(QByteArray, name);
    const std::optional<EightBitCodePage> page
        = name.isEmpty() ? EightBitCodePage::windows1252() : EightBitCodePage::fromConverter(name);
    if (!page)
        QSKIP("The text converters do not know this set here.");
    const QString text = page->decode(everyByte());
    QCOMPARE(text.size(), 256);
    QCOMPARE(QSet<QChar>(text.begin(), text.end()).size(), 256);
    QCOMPARE(page->encode(text), std::optional<QByteArray>(everyByte()));
}

void TestLocaleTextCodec::convertedSetsKeepEveryByte_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("byte");
    QTest::addColumn<QString>("character");
    QTest::newRow("ISO-8859-15 euro") << QByteArray("ISO-8859-15") << QByteArray("\xa4") << QStringLiteral("\u20ac");
    QTest::newRow("KOI8-R ya") << QByteArray("KOI8-R") << QByteArray("\xd1") << QStringLiteral("\u044f");
    // An unassigned byte stands for the Latin-1 character of its number.
    QTest::newRow("ISO-8859-3 unassigned A5")
        << QByteArray("ISO-8859-3") << QByteArray("\xa5") << QStringLiteral("\u00a5");
    QTest::newRow("windows-1252 unassigned 81")
        << QByteArray("windows-1252") << QByteArray("\x81") << QStringLiteral("\u0081");
}

void TestLocaleTextCodec::convertedSetsKeepEveryByte()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, byte);
    QFETCH(QString, character);
    const std::optional<EightBitCodePage> page = EightBitCodePage::fromConverter(name);
    if (!page)
        QSKIP("The text converters do not know this set here.");
    QCOMPARE(page->name(), name);
    QCOMPARE(page->decode(byte), character);
    QCOMPARE(page->encode(character), std::optional<QByteArray>(byte));
}

void TestLocaleTextCodec::decodes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<TextEncoding>("encoding");
    const QString cafe = QStringLiteral("Caf\u00e9 cr\u00e8me\r\n");
    QTest::newRow("empty") << QByteArray() << QString() << TextEncoding::Utf8;
    QTest::newRow("ASCII") << QByteArray("plain\r\n") << QStringLiteral("plain\r\n") << TextEncoding::Utf8;
    QTest::newRow("Latin-1") << QByteArray("Caf\xe9 cr\xe8me\r\n") << cafe << TextEncoding::CodePage;
    QTest::newRow("Windows-1252") << QByteArray("\x93"
                                                "Caf\xe9\x94 \x80 \x85\x81")
                                  << QStringLiteral("\u201cCaf\u00e9\u201d \u20ac \u2026\u0081")
                                  << TextEncoding::CodePage;
    QTest::newRow("UTF-8") << QByteArray("Caf\xc3\xa9 cr\xc3\xa8me\r\n") << cafe << TextEncoding::Utf8;
    QTest::newRow("UTF-8 with byte order mark") << QByteArray("\xef\xbb\xbf"
                                                              "Caf\xc3\xa9 cr\xc3\xa8me\r\n")
                                                << cafe << TextEncoding::Utf8WithBom;
    QTest::newRow("byte order mark alone") << QByteArray("\xef\xbb\xbf") << QString() << TextEncoding::Utf8WithBom;
    QTest::newRow("mixed bytes") << QByteArray("Caf\xc3\xa9 cr\xe8me") << QStringLiteral("Caf\u00c3\u00a9 cr\u00e8me")
                                 << TextEncoding::CodePage;
    QTest::newRow("UTF-8 cut in a character")
        << QByteArray("Caf\xc3") << QStringLiteral("Caf\u00c3") << TextEncoding::CodePage;
    QTest::newRow("overlong slash") << QByteArray("\xc0\xaf") << QStringLiteral("\u00c0\u00af")
                                    << TextEncoding::CodePage;
    QTest::newRow("encoded surrogate") << QByteArray("\xed\xa0\x80") << QStringLiteral("\u00ed\u00a0\u20ac")
                                       << TextEncoding::CodePage;
    QTest::newRow("byte order mark before Latin-1")
        << QByteArray("\xef\xbb\xbf\xe9") << QStringLiteral("\u00ef\u00bb\u00bf\u00e9") << TextEncoding::CodePage;
}

void TestLocaleTextCodec::decodes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(TextEncoding, encoding);
    const CharacterLocale characters("C.UTF-8");
    const LocaleTextCodec::DecodedText decoded = LocaleTextCodec::decode(bytes);
    QCOMPARE(decoded.text, text);
    QCOMPARE(decoded.encoding, encoding);
    const LocaleTextCodec::EncodedText encoded = LocaleTextCodec::encode(decoded.text, decoded.encoding);
    QCOMPARE(encoded.bytes, bytes);
    QCOMPARE(encoded.encoding, encoding);
}

void TestLocaleTextCodec::encodes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<TextEncoding>("asked");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<TextEncoding>("written");
    const QString cafe = QStringLiteral("Caf\u00e9 \u20ac");
    QTest::newRow("code page") << cafe << TextEncoding::CodePage << QByteArray("Caf\xe9 \x80")
                               << TextEncoding::CodePage;
    QTest::newRow("UTF-8") << cafe << TextEncoding::Utf8 << QByteArray("Caf\xc3\xa9 \xe2\x82\xac")
                           << TextEncoding::Utf8;
    QTest::newRow("UTF-8 with byte order mark") << cafe << TextEncoding::Utf8WithBom
                                                << QByteArray("\xef\xbb\xbf"
                                                              "Caf\xc3\xa9 \xe2\x82\xac")
                                                << TextEncoding::Utf8WithBom;
    QTest::newRow("beyond the code page is UTF-8")
        << QStringLiteral("\u00e9 \u2192 \u65e5") << TextEncoding::CodePage
        << QByteArray("\xc3\xa9 \xe2\x86\x92 \xe6\x97\xa5") << TextEncoding::Utf8;
    QTest::newRow("a character outside the basic plane is UTF-8")
        << QStringLiteral("\U0001F600") << TextEncoding::CodePage << QByteArray("\xf0\x9f\x98\x80")
        << TextEncoding::Utf8;
    // Code page bytes that happen to be valid UTF-8 would read back as "é": written as UTF-8.
    QTest::newRow("code page bytes that read as UTF-8") << QStringLiteral("\u00c3\u00a9") << TextEncoding::CodePage
                                                        << QByteArray("\xc3\x83\xc2\xa9") << TextEncoding::Utf8;
    QTest::newRow("ASCII in the code page")
        << QStringLiteral("plain") << TextEncoding::CodePage << QByteArray("plain") << TextEncoding::CodePage;
}

void TestLocaleTextCodec::encodes()
{
    QFETCH(QString, text);
    QFETCH(TextEncoding, asked);
    QFETCH(QByteArray, bytes);
    QFETCH(TextEncoding, written);
    const CharacterLocale characters("C.UTF-8");
    const LocaleTextCodec::EncodedText encoded = LocaleTextCodec::encode(text, asked);
    QCOMPARE(encoded.bytes, bytes);
    QCOMPARE(encoded.encoding, written);
    QCOMPARE(LocaleTextCodec::decode(encoded.bytes).text, text);
}

void TestLocaleTextCodec::newFilesFollowTheLocale_data()
{
    QTest::addColumn<QByteArray>("locale");
    QTest::addColumn<TextEncoding>("encoding");
    QTest::addColumn<QByteArray>("codePage");
    QTest::newRow("C") << QByteArray("C") << TextEncoding::CodePage << QByteArray("windows-1252");
    QTest::newRow("POSIX") << QByteArray("POSIX") << TextEncoding::CodePage << QByteArray("windows-1252");
    QTest::newRow("C.UTF-8") << QByteArray("C.UTF-8") << TextEncoding::Utf8 << QByteArray("windows-1252");
}

void TestLocaleTextCodec::newFilesFollowTheLocale()
{
    QFETCH(QByteArray, locale);
    QFETCH(TextEncoding, encoding);
    QFETCH(QByteArray, codePage);
    const CharacterLocale characters(locale.constData());
    if (!characters.isSet())
        QSKIP("The locale is not installed.");
    QCOMPARE(LocaleTextCodec::newFileEncoding(), encoding);
    QCOMPARE(LocaleTextCodec::codePage().name(), codePage);
}

void TestLocaleTextCodec::eightBitLocale_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<TextEncoding>("encoding");
    QTest::newRow("euro of Latin-9") << QByteArray("5 \xa4, caf\xe9") << QStringLiteral("5 \u20ac, caf\u00e9")
                                     << TextEncoding::CodePage;
    QTest::newRow("C1 controls of Latin-9")
        << QByteArray("\x80\x9f") << QStringLiteral("\u0080\u009f") << TextEncoding::CodePage;
    QTest::newRow("UTF-8 stays UTF-8") << QByteArray("caf\xc3\xa9") << QStringLiteral("caf\u00e9")
                                       << TextEncoding::Utf8;
}

// A locale with an 8-bit set, made for the test with localedef: its set is the code page.
void TestLocaleTextCodec::eightBitLocale()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(TextEncoding, encoding);
    QTemporaryDir folder;
    const QString name = QStringLiteral("de_DE.ISO-8859-15");
    QProcess localedef;
    localedef.start(QStringLiteral("localedef"),
        { QStringLiteral("-i"), QStringLiteral("de_DE"), QStringLiteral("-f"), QStringLiteral("ISO-8859-15"),
            folder.filePath(name) });
    if (!localedef.waitForFinished(60000) || localedef.exitStatus() != QProcess::NormalExit
        || localedef.exitCode() != 0)
        QSKIP("localedef cannot make a Latin-9 locale here.");
    qputenv("LOCPATH", QFile::encodeName(folder.path()));
    const CharacterLocale characters(name.toLatin1().constData());
    qunsetenv("LOCPATH");
    QVERIFY(characters.isSet());
    QCOMPARE(LocaleTextCodec::codePage().name(), QByteArray("ISO-8859-15"));
    QCOMPARE(LocaleTextCodec::newFileEncoding(), TextEncoding::CodePage);
    const LocaleTextCodec::DecodedText decoded = LocaleTextCodec::decode(bytes);
    QCOMPARE(decoded.text, text);
    QCOMPARE(decoded.encoding, encoding);
    QCOMPARE(LocaleTextCodec::encode(decoded.text, decoded.encoding).bytes, bytes);
}

QTEST_GUILESS_MAIN(TestLocaleTextCodec)
#include "tst_LocaleTextCodec.moc"
