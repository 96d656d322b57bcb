#include "TestDocuments.h"

#include "ZipWriter.h"

#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace {

const QByteArray wordNamespace = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";

QByteArray odtContent()
{
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
  xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
  xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
  xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"
  xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0">
<office:body><office:text>
<text:sequence-decls><text:sequence-decl text:display-outline-level="0" text:name="Table"/></text:sequence-decls>
<text:h text:outline-level="1">Über Wörter</text:h>
<text:p>First   paragraph<text:s text:c="3"/>with<text:tab/>space.<text:note><text:note-citation>1</text:note-citation><text:note-body><text:p>A note.</text:p></text:note-body></text:note></text:p>
<text:list><text:list-item><text:p>One</text:p></text:list-item><text:list-item><text:p>Two<text:line-break/>lines</text:p></text:list-item></text:list>
<table:table><table:table-row><table:table-cell><text:p>Cell A</text:p></table:table-cell><table:table-cell><text:p>Cell B</text:p></table:table-cell></table:table-row>
<table:table-row><table:table-cell><text:p>C</text:p></table:table-cell><table:table-cell><text:p>D</text:p></table:table-cell></table:table-row></table:table>
<text:p>Hidden <text:hidden-text text:condition="" text:string-value="secret">secret</text:hidden-text>after.</text:p>
<text:p><draw:frame><draw:image/><svg:title>A cat</svg:title></draw:frame></text:p>
<text:p>Ελληνικά</text:p>
</office:text></office:body></office:document-content>)";
}

QByteArray docxBody()
{
    return R"(<w:p><w:pPr><w:pStyle w:val="Heading1"/></w:pPr><w:r><w:t>Über Wörter</w:t></w:r></w:p>
<w:p><w:r><w:t xml:space="preserve">First </w:t></w:r><w:r><w:rPr><w:b/></w:rPr><w:t>paragraph</w:t></w:r><w:r><w:rPr><w:vanish/></w:rPr><w:t>HIDDEN</w:t></w:r><w:del w:id="1"><w:r><w:delText>gone</w:delText></w:r></w:del><w:r><w:instrText>PAGE</w:instrText></w:r><w:r><w:t>.</w:t></w:r></w:p>
<w:p><w:pPr><w:numPr><w:ilvl w:val="0"/><w:numId w:val="1"/></w:numPr></w:pPr><w:r><w:t>One</w:t></w:r></w:p>
<w:p><w:pPr><w:numPr><w:ilvl w:val="0"/><w:numId w:val="1"/></w:numPr></w:pPr><w:r><w:t>Two</w:t></w:r></w:p>
<w:tbl><w:tr><w:tc><w:p><w:r><w:t>Cell A</w:t></w:r></w:p></w:tc><w:tc><w:p><w:r><w:t>Cell B</w:t></w:r></w:p></w:tc></w:tr>
<w:tr><w:tc><w:p><w:r><w:t>C</w:t></w:r></w:p></w:tc><w:tc><w:p><w:r><w:t>D</w:t></w:r></w:p></w:tc></w:tr></w:tbl>
<w:p><w:r><w:drawing><wp:inline><wp:docPr id="1" name="Picture" descr="A cat"/></wp:inline></w:drawing></w:r></w:p>
<w:p><w:r><w:t>Ελληνικά</w:t></w:r></w:p>)";
}

QByteArray chapter(const QByteArray& body)
{
    return R"(<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE html>
<html xmlns="http://www.w3.org/1999/xhtml"><head><title>Not read</title></head><body>)"
        + body + "</body></html>";
}

} // namespace

namespace TestDocuments {

QByteArray html()
{
    return R"(<!DOCTYPE html>
<html><head><title>Title not read</title><style>p { color: red }</style>
<script>var notRead = 1;</script></head>
<body>
<h1>Über   Wörter</h1>
<p>First
paragraph with <b>bold</b> words.</p>
<p hidden>Hidden by attribute.</p><div style="display: none">Hidden by style.</div>
<p aria-hidden="true">Hidden from readers.</p>
<ul><li>One</li><li>Two</li></ul>
<table><tr><th>Cell A</th><th>Cell B</th></tr><tr><td>C</td><td>D</td></tr></table>
<p><img src="cat.png" alt="A cat"> and <img src="x.png"></p>
<pre>  kept
  as is</pre>
<p>Ελληνικά &amp; more&nbsp;text</p>
</body></html>)";
}

QByteArray markdown()
{
    return R"(# Über Wörter

First
paragraph with **bold** words.

- One
- Two

| Name | Value |
|------|-------|
| A    | 1     |
| B    | 2     |

![A cat](cat.png) and a [link](https://example.org).

    code block
    kept

<div>Raw <b>HTML</b></div>

Ελληνικά
)";
}

bool writeOdt(const QString& path)
{
    return ZipWriter()
        .add(QStringLiteral("mimetype"), "application/vnd.oasis.opendocument.text")
        .add(QStringLiteral("content.xml"), odtContent())
        .write(path);
}

bool writeDocxBody(const QString& path, const QByteArray& body, const QByteArray& prologue)
{
    const QByteArray document = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n" + prologue
        + "<w:document xmlns:w=\"" + wordNamespace
        + "\" xmlns:wp=\"http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing\"><w:body>" + body
        + "</w:body></w:document>";
    return ZipWriter()
        .add(QStringLiteral("[Content_Types].xml"), "<?xml version=\"1.0\"?><Types/>")
        .add(QStringLiteral("word/document.xml"), document)
        .write(path);
}

bool writeDocx(const QString& path)
{
    return writeDocxBody(path, docxBody());
}

bool writeEpub(const QString& path)
{
    const QByteArray container = R"(<?xml version="1.0"?>
<container version="1.0" xmlns="urn:oasis:names:tc:opendocument:xmlns:container">
<rootfiles><rootfile full-path="OEBPS/content.opf" media-type="application/oebps-package+xml"/></rootfiles></container>)";
    const QByteArray package = R"(<?xml version="1.0" encoding="UTF-8"?>
<package xmlns="http://www.idpf.org/2007/opf" version="3.0" unique-identifier="id">
<manifest>
<item id="two" href="text/chapter%202.xhtml" media-type="application/xhtml+xml"/>
<item id="one" href="text/one.xhtml" media-type="application/xhtml+xml"/>
</manifest>
<spine><itemref idref="one"/><itemref idref="two"/></spine></package>)";
    return ZipWriter()
        .add(QStringLiteral("mimetype"), "application/epub+zip")
        .add(QStringLiteral("META-INF/container.xml"), container)
        .add(QStringLiteral("OEBPS/content.opf"), package)
        .add(QStringLiteral("OEBPS/text/chapter 2.xhtml"),
            chapter("<h2>Chapter two</h2><table><tr><td>Cell A</td><td>Cell B</td></tr></table><p>Ελληνικά</p>"))
        .add(QStringLiteral("OEBPS/text/one.xhtml"),
            chapter("<h1>Über Wörter</h1><p>First paragraph.</p><ol><li>One</li><li>Two</li></ol>"))
        .write(path);
}

bool drawPdf(const QString& path, int pixelSize, const std::function<void(QPainter&, QPdfWriter&)>& draw)
{
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setResolution(72);
    QPainter painter;
    if (!painter.begin(&writer))
        return false;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    painter.setFont(font);
    draw(painter, writer);
    return painter.end();
}

bool writePdf(const QString& path)
{
    return drawPdf(path, 20, [](QPainter& painter, QPdfWriter& writer) {
        painter.drawText(72, 80, QStringLiteral("Über Wörter"));
        QFont font = painter.font();
        font.setPixelSize(11);
        painter.setFont(font);
        painter.drawText(72, 130, QStringLiteral("First paragraph with a long con-"));
        painter.drawText(72, 144, QStringLiteral("tinued word and a line that ends in 1990-"));
        painter.drawText(72, 158, QStringLiteral("1995 as written."));
        painter.drawText(72, 220, QStringLiteral("• One"));
        painter.drawText(72, 260, QStringLiteral("• Two"));
        painter.drawText(72, 320, QStringLiteral("Cell A"));
        painter.drawText(200, 320, QStringLiteral("Cell B"));
        writer.newPage();
        painter.drawText(72, 80, QStringLiteral("Grüße auf Ελληνικά"));
    });
}

} // namespace TestDocuments
