#pragma once

#include <QString>

class ExtractionProgress;

// The text of an EPUB book: the package named by META-INF/container.xml, its spine's
// documents in spine order, each read as an HTML page (HtmlReader). Progress counts chapters.
// Throws PlatformError when the file is no such book.
namespace EpubReader {

QString read(const QString& path, ExtractionProgress& progress);

} // namespace EpubReader
