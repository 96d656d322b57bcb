#pragma once

#include <QString>

class ExtractionProgress;

// The text of a Word document (.docx): word/document.xml read in document order. Paragraphs
// apart, list items and table rows on lines of their own, cells separated; hidden runs,
// deleted text and field codes left out; a picture's description kept. Throws PlatformError
// when the file is no such document.
namespace DocxReader {

QString read(const QString& path, ExtractionProgress& progress);

} // namespace DocxReader
