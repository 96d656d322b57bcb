#pragma once

#include <QByteArray>
#include <QString>

class DocumentText;
class ExtractionProgress;

// Reads an HTML page (HTML 4, HTML5 or XHTML, however well formed) with libxml2's HTML parser,
// which repairs what it can as browsers do, and adds its read text (HtmlTextBuilder) to out.
// The page's bytes are UTF-8 when they are valid UTF-8, else what the page declares, else Latin-1.
namespace HtmlReader {

void read(const QByteArray& page, DocumentText& out, ExtractionProgress& progress);
QString read(const QByteArray& page, ExtractionProgress& progress);

} // namespace HtmlReader
