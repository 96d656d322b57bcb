#include "DocumentReader.h"

#include "DocxReader.h"
#include "EpubReader.h"
#include "ExtractionProgress.h"
#include "HtmlReader.h"
#include "MarkdownReader.h"
#include "OdtReader.h"
#include "PdfReader.h"
#include "PlatformError.h"

#include <QFile>

namespace {

QByteArray wholeFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw PlatformError(file.errorString());
    // Read in blocks rather than asking for the limit at once, which would reserve all of it.
    QByteArray bytes;
    constexpr qint64 block = qint64(1024) * 1024;
    for (QByteArray part = file.read(block); !part.isEmpty(); part = file.read(block)) {
        if (bytes.size() + part.size() > DocumentReader::fileLimit)
            throw PlatformError(QStringLiteral("The file is larger than 100 MB."));
        bytes += part;
    }
    if (file.error() != QFileDevice::NoError)
        throw PlatformError(file.errorString());
    return bytes;
}

} // namespace

namespace DocumentReader {

QString read(const QString& path, DocumentKind kind, ExtractionProgress& progress)
{
    switch (kind) {
    case DocumentKind::Html:
        return HtmlReader::read(wholeFile(path), progress);
    case DocumentKind::Markdown:
        return MarkdownReader::read(wholeFile(path), progress);
    case DocumentKind::Epub:
        return EpubReader::read(path, progress);
    case DocumentKind::Odt:
        return OdtReader::read(path, progress);
    case DocumentKind::Docx:
        return DocxReader::read(path, progress);
    case DocumentKind::Pdf:
        return PdfReader::read(path, progress);
    case DocumentKind::Text:
        break;
    }
    throw PlatformError(QStringLiteral("A text file is no document to extract."));
}

} // namespace DocumentReader
