#pragma once

#include "DocumentKind.h"

#include <QString>

class ExtractionProgress;

// Reads a document of a kind other than text into plain text in reading order. Safe to call on a
// thread of its own. Throws PlatformError when the document cannot be read, is damaged or
// locked, or would expand past the readers' limits, and ExtractionCancelled when the progress
// was cancelled.
namespace DocumentReader {

QString read(const QString& path, DocumentKind kind, ExtractionProgress& progress);

// Files read whole (HTML, Markdown) are refused past this size.
constexpr qint64 fileLimit = 100LL * 1024 * 1024;

} // namespace DocumentReader
