#include "LocaleTextCodec.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <langinfo.h>

namespace {

bool isAscii(const QByteArray& name)
{
    const QByteArray upper = name.toUpper();
    return upper.isEmpty() || upper == "ANSI_X3.4-1968" || upper == "ASCII" || upper == "US-ASCII" || upper == "646";
}

// A text file is taken as it is: a byte order mark at its start is a character of the text.
constexpr QStringConverter::Flags flags = QStringConverter::Flag::ConvertInitialBom;

} // namespace

namespace LocaleTextCodec {

QByteArray encodingName()
{
    const char* set = nl_langinfo(CODESET);
    const QByteArray name = set ? QByteArray(set) : QByteArray();
    if (isAscii(name))
        return QByteArrayLiteral("ISO-8859-1");
    // A set that the converters do not know falls back on Latin-1 as the C locale does.
    if (!QStringEncoder(name.constData()).isValid())
        return QByteArrayLiteral("ISO-8859-1");
    return name;
}

QString decode(const QByteArray& bytes)
{
    QStringDecoder decoder(encodingName().constData(), flags);
    return decoder.decode(bytes);
}

QByteArray encode(const QString& text)
{
    QStringEncoder encoder(encodingName().constData(), flags);
    return encoder.encode(text);
}

} // namespace LocaleTextCodec
