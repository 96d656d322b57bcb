#pragma once

#include <QByteArray>
#include <QString>

class ExtractionProgress;

// The text of a Markdown file (CommonMark, through cmark): headings and paragraphs apart, list
// items on lines of their own, code blocks as they stand, images by their alternative text,
// links by their words, raw HTML by its text. A paragraph laid out as a pipe table (a row of
// cells, a row of dashes, more rows) is read row by row with its cells separated.
namespace MarkdownReader {

QString read(const QByteArray& source, ExtractionProgress& progress);

} // namespace MarkdownReader
