#include "EditorTextFile.h"

#include "LocaleTextCodec.h"
#include "PlatformError.h"

#include <QFile>
#include <QSaveFile>

namespace {

const QString lineEnd = QStringLiteral("\r\n");

QString withLineEnds(const QString& text)
{
    QString result;
    result.reserve(text.size() + text.count(u'\n') + lineEnd.size());
    qsizetype from = 0;
    for (qsizetype at = text.indexOf(u'\n'); at >= 0; at = text.indexOf(u'\n', from)) {
        // A break already written as a pair stays one pair.
        const bool paired = at > 0 && text.at(at - 1) == u'\r';
        result += QStringView(text).sliced(from, paired ? at - from + 1 : at - from);
        if (!paired)
            result += lineEnd;
        from = at + 1;
    }
    result += QStringView(text).sliced(from);
    if (!text.endsWith(u'\n'))
        result += lineEnd;
    return result;
}

} // namespace

namespace EditorTextFile {

LocaleTextCodec::DecodedText read(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw PlatformError(file.errorString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw PlatformError(file.errorString());
    return LocaleTextCodec::decode(bytes);
}

TextEncoding write(const QString& path, const QString& text, TextEncoding encoding)
{
    const LocaleTextCodec::EncodedText encoded = bytesOf(text, encoding);
    const QByteArray& bytes = encoded.bytes;
    QSaveFile file(path);
    // Where no new file can be made beside it (a folder without write access), write in place.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        throw PlatformError(file.errorString());
    if (file.write(bytes) != bytes.size() || !file.commit())
        throw PlatformError(file.errorString());
    return encoded.encoding;
}

LocaleTextCodec::EncodedText bytesOf(const QString& text, TextEncoding encoding)
{
    return LocaleTextCodec::encode(withLineEnds(text), encoding);
}

} // namespace EditorTextFile
