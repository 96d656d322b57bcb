#include "LocaleTextCodec.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <clocale>
#include <cstdlib>
#include <langinfo.h>
#include <memory>

namespace {

const QByteArray byteOrderMark = QByteArrayLiteral("\xEF\xBB\xBF");

QByteArray localeSetName()
{
    // Read on the UI thread; nothing in the program changes the locale after start-up.
    const char* set = nl_langinfo(CODESET); // NOLINT(concurrency-mt-unsafe)
    return set ? QByteArray(set).toUpper() : QByteArray();
}

bool isUtf8(const QByteArray& set)
{
    return set == "UTF-8" || set == "UTF8";
}

// A set of one byte per character that is more than ASCII.
bool isEightBitSet(const QByteArray& set)
{
    const bool ascii = set.isEmpty() || set == "ANSI_X3.4-1968" || set == "ASCII" || set == "US-ASCII" || set == "646";
    return !ascii && MB_CUR_MAX == 1;
}

std::unique_ptr<EightBitCodePage> codePageFor(const QByteArray& set)
{
    if (isEightBitSet(set)) {
        if (std::optional<EightBitCodePage> page = EightBitCodePage::fromConverter(set))
            return std::make_unique<EightBitCodePage>(std::move(*page));
    }
    return std::make_unique<EightBitCodePage>(EightBitCodePage::windows1252());
}

// The text, when the bytes are UTF-8 that writing gives back exactly.
std::optional<QString> exactUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    QString text = decoder.decode(bytes);
    if (decoder.hasError() || QByteArray(QStringEncoder(QStringConverter::Utf8).encode(text)) != bytes)
        return std::nullopt;
    return text;
}

QByteArray utf8(QStringView text, TextEncoding encoding)
{
    QByteArray bytes = QStringEncoder(QStringConverter::Utf8).encode(text);
    return encoding == TextEncoding::Utf8WithBom ? byteOrderMark + bytes : bytes;
}

} // namespace

namespace LocaleTextCodec {

const EightBitCodePage& codePage()
{
    // Built again only when the locale names another set.
    static QByteArray cachedSet;
    static std::unique_ptr<EightBitCodePage> cached;
    const QByteArray set = localeSetName();
    if (!cached || set != cachedSet) {
        cached = codePageFor(set);
        cachedSet = set;
    }
    return *cached;
}

TextEncoding newFileEncoding()
{
    return isUtf8(localeSetName()) ? TextEncoding::Utf8 : TextEncoding::CodePage;
}

DecodedText decode(QByteArrayView bytes)
{
    if (std::optional<QString> text = exactUtf8(bytes)) {
        if (!bytes.startsWith(byteOrderMark))
            return { std::move(*text), TextEncoding::Utf8 };
        return { text->sliced(1), TextEncoding::Utf8WithBom };
    }
    return { codePage().decode(bytes), TextEncoding::CodePage };
}

EncodedText encode(QStringView text, TextEncoding encoding)
{
    if (encoding != TextEncoding::CodePage)
        return { utf8(text, encoding), encoding };
    // Bytes that would read back as another text, because an edit made them valid UTF-8, are
    // written as UTF-8 too.
    std::optional<QByteArray> bytes = codePage().encode(text);
    if (bytes && decode(*bytes).text == text)
        return { std::move(*bytes), TextEncoding::CodePage };
    return { utf8(text, TextEncoding::Utf8), TextEncoding::Utf8 };
}

} // namespace LocaleTextCodec
