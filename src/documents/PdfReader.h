#pragma once

#include <QString>

class ExtractionProgress;

// The text of a PDF (Poppler): its pages in order, the words of a line joined, lines joined into
// paragraphs (PdfLines). Progress counts pages, and cancelling stops within a page. Throws
// PlatformError for a file Poppler cannot read or one locked by a password.
namespace PdfReader {

QString read(const QString& path, ExtractionProgress& progress);

} // namespace PdfReader
