#include "PdfPages.h"

#include <QRegularExpression>

namespace {

int number(const QByteArray& dictionary, const char* key)
{
    const QRegularExpression pattern(QStringLiteral("/%1\\s+(\\d+)").arg(QLatin1String(key)));
    const QRegularExpressionMatch match = pattern.match(QString::fromLatin1(dictionary));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

// The stream's length, written directly or as a reference to an object holding the number.
qsizetype streamLength(const QByteArray& pdf, const QByteArray& dictionary)
{
    const QRegularExpression reference(QStringLiteral("/Length\\s+(\\d+)\\s+0\\s+R"));
    const QRegularExpressionMatch match = reference.match(QString::fromLatin1(dictionary));
    if (!match.hasMatch())
        return number(dictionary, "Length");
    const QByteArray object = "\n" + match.captured(1).toLatin1() + " 0 obj";
    const qsizetype at = pdf.indexOf(object);
    if (at < 0)
        return -1;
    return pdf.mid(at + object.size(), 32).trimmed().split('\n').value(0).trimmed().toLongLong();
}

} // namespace

namespace PdfPages {

int pageCount(const QByteArray& pdf)
{
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![a-zA-Z])"));
    return int(QString::fromLatin1(pdf).count(page));
}

QImage firstImage(const QByteArray& pdf)
{
    const qsizetype subtype = pdf.indexOf("/Subtype /Image");
    if (subtype < 0)
        return {};
    const qsizetype begin = pdf.lastIndexOf("<<", subtype);
    const qsizetype streamAt = pdf.indexOf("stream\n", subtype);
    if (begin < 0 || streamAt < 0)
        return {};
    const QByteArray dictionary = pdf.mid(begin, streamAt - begin);
    const qsizetype length = streamLength(pdf, dictionary);
    if (length <= 0)
        return {};
    const QByteArray data = pdf.mid(streamAt + 7, length);
    return dictionary.contains("/DCTDecode") ? QImage::fromData(data, "JPEG") : QImage();
}

} // namespace PdfPages
