#include "ButtonSettingsFile.h"

#include "LocaleTextCodec.h"
#include "PlatformError.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <utility>

namespace {

// Nine phrases typed into an input box come to a few hundred kilobytes at most; anything much
// larger is no phrases file and is not read into memory.
constexpr qint64 sizeLimit = qint64 { 4 } * 1024 * 1024;

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

bool isLineEnd(QChar c)
{
    return c == u'\r' || c == u'\n';
}

bool isSeparator(QChar c)
{
    return c == u',' || isLineEnd(c);
}

// Walks the text one value at a time.
class ValueReader {
public:
    explicit ValueReader(QStringView text)
        : m_text(text)
    {
    }

    bool atEnd() const { return m_pos >= m_text.size(); }

    QString next()
    {
        skipWhile(isBlank);
        QString value = !atEnd() && m_text[m_pos] == u'"' ? quoted() : unquoted();
        skipSeparator();
        return value;
    }

private:
    template <typename Predicate> void skipWhile(Predicate predicate)
    {
        while (!atEnd() && predicate(m_text[m_pos]))
            ++m_pos;
    }

    QString quoted()
    {
        QString value;
        ++m_pos;
        for (;;) {
            const qsizetype quote = m_text.indexOf(u'"', m_pos);
            if (quote < 0) {
                // No closing quote: the value runs to the end of the text.
                value += m_text.sliced(m_pos);
                m_pos = m_text.size();
                return value;
            }
            value += m_text.sliced(m_pos, quote - m_pos);
            m_pos = quote + 1;
            if (atEnd() || m_text[m_pos] != u'"')
                break;
            value += u'"';
            ++m_pos;
            if (endsWithUndoubledQuote())
                break;
        }
        skipWhile([](QChar c) { return !isSeparator(c); });
        return value;
    }

    // Just after a "" inside a quoted value: whether it is rather an undoubled quote and the
    // closing one. That is so at a line end (or the end) past which the value would not close
    // properly.
    bool endsWithUndoubledQuote()
    {
        if (!atEnd() && !isLineEnd(m_text[m_pos]))
            return false;
        // A proper close found from an earlier line end of this value holds for this one too.
        if (m_pos < m_properClose)
            return false;
        m_properClose = properClose(m_pos);
        return m_properClose < 0;
    }

    // Where a quoted value read on from pos, with "" as one quote, ends in a closing quote that
    // only blanks separate from a separator or the end of the text; -1 when it does not.
    qsizetype properClose(qsizetype pos) const
    {
        for (;;) {
            const qsizetype quote = m_text.indexOf(u'"', pos);
            if (quote < 0)
                return -1;
            pos = quote + 1;
            if (pos < m_text.size() && m_text[pos] == u'"') {
                ++pos;
                continue;
            }
            while (pos < m_text.size() && isBlank(m_text[pos]))
                ++pos;
            return pos >= m_text.size() || isSeparator(m_text[pos]) ? quote : -1;
        }
    }

    QString unquoted()
    {
        const qsizetype start = m_pos;
        skipWhile([](QChar c) { return !isSeparator(c); });
        qsizetype end = m_pos;
        while (end > start && isBlank(m_text[end - 1]))
            --end;
        return m_text.sliced(start, end - start).toString();
    }

    void skipSeparator()
    {
        if (atEnd())
            return;
        const QChar separator = m_text[m_pos++];
        if (separator == u'\r' && !atEnd() && m_text[m_pos] == u'\n')
            ++m_pos;
    }

    QStringView m_text;
    qsizetype m_pos = 0;
    qsizetype m_properClose = -1;
};

[[noreturn]] void fail(const QString& path, const QString& reason)
{
    throw PlatformError(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reason));
}

} // namespace

ButtonSettingsFile::ButtonSettingsFile(QString path)
    : m_path(std::move(path))
{
}

ButtonSettingsFile::Contents ButtonSettingsFile::read() const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        fail(m_path, file.errorString());
    const QByteArray bytes = file.read(sizeLimit + 1);
    if (file.error() != QFileDevice::NoError)
        fail(m_path, file.errorString());
    if (bytes.size() > sizeLimit)
        fail(m_path, QStringLiteral("The file is too large to hold the phrases."));
    const LocaleTextCodec::DecodedText decoded = LocaleTextCodec::decode(bytes);
    return { values(decoded.text, phraseCount + 1), decoded.encoding };
}

TextEncoding ButtonSettingsFile::write(const QStringList& phrases, TextEncoding encoding) const
{
    const LocaleTextCodec::EncodedText encoded = format(phrases, encoding);
    const QByteArray& bytes = encoded.bytes;
    QSaveFile file(m_path);
    // Where no new file can be made beside it (a folder without write access), write in place.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        fail(m_path, file.errorString());
    if (file.write(bytes) != bytes.size() || !file.commit())
        fail(m_path, file.errorString());
    return encoded.encoding;
}

QStringList ButtonSettingsFile::values(QStringView text, qsizetype maxValues)
{
    ValueReader reader(text);
    QStringList values;
    while (!reader.atEnd() && values.size() < maxValues)
        values.append(reader.next());
    return values;
}

QStringList ButtonSettingsFile::parse(QByteArrayView bytes, qsizetype maxValues)
{
    return values(LocaleTextCodec::decode(bytes).text, maxValues);
}

LocaleTextCodec::EncodedText ButtonSettingsFile::format(const QStringList& phrases, TextEncoding encoding)
{
    QString text;
    for (const QString& phrase : phrases) {
        text += u'"';
        text += QString(phrase).replace(u'"', QStringLiteral("\"\""));
        text += QStringLiteral("\"\r\n");
    }
    return LocaleTextCodec::encode(text, encoding);
}
