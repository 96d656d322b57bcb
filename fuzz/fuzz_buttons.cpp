// Feeds arbitrary bytes to the Buttons.ini reader and checks what it returns: never more values
// than asked for, the same values as a plain reading wherever the text holds no doubled quote,
// and values that the writer puts back into a file reading as the same values. Any other
// outcome aborts.
#include "ButtonSettingsFile.h"
#include "LocaleTextCodec.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

bool isSeparator(QChar c)
{
    return c == u',' || c == u'\r' || c == u'\n';
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

// The reading rule without doubled quotes, written as plainly as it reads: a second opinion for
// texts in which no quote follows another.
QStringList plainReading(const QString& text, qsizetype maxValues)
{
    QStringList values;
    qsizetype pos = 0;
    const qsizetype size = text.size();
    while (pos < size && values.size() < maxValues) {
        while (pos < size && isBlank(text[pos]))
            ++pos;
        QString value;
        if (pos < size && text[pos] == u'"') {
            const qsizetype close = text.indexOf(u'"', pos + 1);
            const qsizetype end = close < 0 ? size : close;
            value = text.mid(pos + 1, end - pos - 1);
            pos = close < 0 ? size : close + 1;
            while (pos < size && !isSeparator(text[pos]))
                ++pos;
        } else {
            const qsizetype start = pos;
            while (pos < size && !isSeparator(text[pos]))
                ++pos;
            value = text.mid(start, pos - start);
            while (!value.isEmpty() && isBlank(value.back()))
                value.chop(1);
        }
        values.append(value);
        if (pos < size) {
            const bool crlf = text[pos] == u'\r' && pos + 1 < size && text[pos + 1] == u'\n';
            pos += crlf ? 2 : 1;
        }
    }
    return values;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype limit = size > 0 ? 1 + data[0] % 12 : 10;
    const QStringList values = ButtonSettingsFile::parse(bytes, limit);
    require(values.size() <= limit, "more values than asked for");

    const LocaleTextCodec::DecodedText decoded = LocaleTextCodec::decode(bytes);
    const QString& text = decoded.text;
    if (!text.contains(QStringLiteral("\"\"")))
        require(values == plainReading(text, limit), "reading differs where no quote is doubled");

    // Whatever was read is written and read back unchanged, nine phrases or any other count, and
    // in the encoding it was read in unless the code page cannot hold it.
    const LocaleTextCodec::EncodedText written = ButtonSettingsFile::format(values, decoded.encoding);
    require(written.encoding == decoded.encoding || written.encoding == TextEncoding::Utf8, "encoding changed");
    require(written.bytes.count("\r\n") >= values.size(), "a phrase without its line");
    const QStringList again = ButtonSettingsFile::parse(written.bytes, values.size() + 1);
    require(again == values, "values do not survive writing and reading");
    require(ButtonSettingsFile::format(again, written.encoding).bytes == written.bytes, "writing is not repeatable");
    return 0;
}
