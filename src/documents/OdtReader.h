#pragma once

#include <QString>

class ExtractionProgress;

// The text of an OpenDocument text file (.odt): its content.xml read in document order.
// Headings and paragraphs apart, list items and table rows on lines of their own, cells
// separated; notes, annotations, tracked deletions and hidden text left out; an image's title
// and description kept. Throws PlatformError when the file is no such document.
namespace OdtReader {

QString read(const QString& path, ExtractionProgress& progress);

} // namespace OdtReader
