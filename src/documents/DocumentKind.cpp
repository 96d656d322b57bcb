#include "DocumentKind.h"

#include "PlatformError.h"
#include "ZipArchive.h"

#include <QFile>
#include <QFileInfo>

namespace {

constexpr qint64 headLength = 1024;

std::optional<DocumentKind> byExtension(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("html") || suffix == QLatin1String("htm") || suffix == QLatin1String("xhtml"))
        return DocumentKind::Html;
    if (suffix == QLatin1String("epub"))
        return DocumentKind::Epub;
    if (suffix == QLatin1String("odt"))
        return DocumentKind::Odt;
    if (suffix == QLatin1String("docx"))
        return DocumentKind::Docx;
    if (suffix == QLatin1String("pdf"))
        return DocumentKind::Pdf;
    if (suffix == QLatin1String("md") || suffix == QLatin1String("markdown"))
        return DocumentKind::Markdown;
    return std::nullopt;
}

std::optional<DocumentKind> zipKind(const QString& path)
{
    try {
        ZipArchive archive(path);
        if (archive.contains(QStringLiteral("mimetype"))) {
            const QByteArray type = archive.read(QStringLiteral("mimetype")).left(100).trimmed();
            if (type == "application/epub+zip")
                return DocumentKind::Epub;
            if (type == "application/vnd.oasis.opendocument.text")
                return DocumentKind::Odt;
        }
        if (archive.contains(QStringLiteral("word/document.xml")))
            return DocumentKind::Docx;
    } catch (const PlatformError&) {
        // A damaged archive is known by its name or not at all.
    }
    return std::nullopt;
}

bool looksLikeHtml(QByteArray head)
{
    if (head.startsWith("\xEF\xBB\xBF"))
        head.remove(0, 3);
    head = head.trimmed().toLower();
    if (head.startsWith("<?xml")) {
        const qsizetype end = head.indexOf("?>");
        head = end < 0 ? QByteArray() : head.mid(end + 2).trimmed();
    }
    return head.startsWith("<!doctype html") || head.startsWith("<html");
}

} // namespace

namespace DocumentKinds {

DocumentKind recognise(const QString& path)
{
    const QFileInfo info(path);
    // Only a regular file can be a document: a pipe or a device is read as text, as always.
    if (!info.isFile() || info.suffix().compare(QLatin1String("txt"), Qt::CaseInsensitive) == 0)
        return DocumentKind::Text;
    QFile file(path);
    const QByteArray head = file.open(QIODevice::ReadOnly) ? file.read(headLength) : QByteArray();
    if (head.startsWith("%PDF-"))
        return DocumentKind::Pdf;
    if (head.startsWith("PK\x03\x04")) {
        if (const auto kind = zipKind(path))
            return *kind;
    }
    if (looksLikeHtml(head))
        return DocumentKind::Html;
    return byExtension(path).value_or(DocumentKind::Text);
}

} // namespace DocumentKinds
