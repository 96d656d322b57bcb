#pragma once

#include <QRectF>
#include <QString>
#include <vector>

class DocumentText;

// One line of a PDF page: its words joined, and where it stands on the page (points).
struct PdfLine {
    QString text;
    QRectF box;
};

// Joins the lines of one page into paragraphs: a line break inside a paragraph is a space, and a
// word broken by a hyphen at a line's end (a letter, the hyphen, then a line that begins with a
// small letter) is joined again. A paragraph ends where the gap to the next line is clearly
// wider than the lines' own spacing.
namespace PdfLines {

void addPage(const std::vector<PdfLine>& lines, DocumentText& out);

} // namespace PdfLines
