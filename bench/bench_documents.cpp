// Reading documents into the editor's text, as File > Open does on its reading thread:
// - a 500-page PDF (about 40 lines of prose a page, drawn with QPdfWriter);
// - a 2,000-page PDF made the same way, the largest the editor is expected to open in seconds;
// - an EPUB book of at least 2 MB (its zip file's size), 60 chapters of prose.
// Each is read several times; the median and the slowest run are printed, with the text's length.
// The documents are made before the timing starts.

#include "BenchSupport.h"
#include "DocumentKind.h"
#include "DocumentReader.h"
#include "ExtractionProgress.h"
#include "TestDocuments.h"
#include "ZipWriter.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

using namespace bench;

namespace {

constexpr int linesPerPage = 40;
constexpr int charsPerLine = 90;

bool writePdf(const QString& path, int pages)
{
    const QString text = prose(qsizetype(pages) * linesPerPage * charsPerLine);
    return TestDocuments::drawPdf(path, 10, [&](QPainter& painter, QPdfWriter& writer) {
        qsizetype at = 0;
        for (int page = 0; page < pages; ++page) {
            if (page > 0)
                writer.newPage();
            for (int line = 0; line < linesPerPage; ++line, at += charsPerLine)
                painter.drawText(50, 60 + line * 18, text.mid(at, charsPerLine));
        }
    });
}

bool writeEpub(const QString& path, qint64 atLeastBytes)
{
    constexpr int chapters = 60;
    // Generated prose repeats its words, so it compresses well: ten times the wanted size.
    const QString text = prose(atLeastBytes * 10);
    const qsizetype perChapter = text.size() / chapters;
    QByteArray spine;
    QByteArray manifest;
    ZipWriter book;
    book.add(QStringLiteral("mimetype"), "application/epub+zip");
    book.add(QStringLiteral("META-INF/container.xml"),
        "<?xml version=\"1.0\"?><container version=\"1.0\" xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\">"
        "<rootfiles><rootfile full-path=\"book.opf\"/></rootfiles></container>");
    for (int i = 0; i < chapters; ++i) {
        const QByteArray id = "c" + QByteArray::number(i);
        manifest += "<item id=\"" + id + "\" href=\"" + id + ".xhtml\" media-type=\"application/xhtml+xml\"/>";
        spine += "<itemref idref=\"" + id + "\"/>";
        QByteArray body = "<?xml version=\"1.0\"?><html xmlns=\"http://www.w3.org/1999/xhtml\"><body><h1>Chapter "
            + QByteArray::number(i + 1) + "</h1>";
        const QStringList paragraphs = text.mid(i * perChapter, perChapter).split(u'.');
        for (const QString& paragraph : paragraphs)
            body += "<p>" + paragraph.toHtmlEscaped().toUtf8() + ".</p>";
        book.add(QString::fromLatin1(id + ".xhtml"), body + "</body></html>");
    }
    book.add(QStringLiteral("book.opf"),
        "<?xml version=\"1.0\"?><package xmlns=\"http://www.idpf.org/2007/opf\" version=\"3.0\"><manifest>" + manifest
            + "</manifest><spine>" + spine + "</spine></package>");
    if (!book.write(path))
        return false;
    if (QFileInfo(path).size() < atLeastBytes)
        std::fprintf(stderr, "The book is only %lld bytes.\n", static_cast<long long>(QFileInfo(path).size()));
    return QFileInfo(path).size() >= atLeastBytes;
}

void measure(const char* label, const QString& path, int runs)
{
    std::vector<double> ms;
    qsizetype length = 0;
    for (int i = 0; i < runs; ++i) {
        ExtractionProgress progress;
        const auto start = Clock::now();
        const QString text = DocumentReader::read(path, DocumentKinds::recognise(path), progress);
        ms.push_back(msBetween(start, Clock::now()));
        length = text.size();
    }
    std::printf("documents %s: median %.0f ms, max %.0f ms (%d runs, %lld characters, file %.1f MB)\n", label,
        median(ms), *std::max_element(ms.begin(), ms.end()), runs, static_cast<long long>(length),
        double(QFileInfo(path).size()) / (1024.0 * 1024.0));
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTemporaryDir folder;
    const QString pdf500 = folder.filePath(QStringLiteral("500.pdf"));
    const QString pdf2000 = folder.filePath(QStringLiteral("2000.pdf"));
    const QString epub = folder.filePath(QStringLiteral("book.epub"));
    if (!folder.isValid() || !writePdf(pdf500, 500) || !writePdf(pdf2000, 2000)
        || !writeEpub(epub, 2LL * 1024 * 1024)) {
        std::fprintf(stderr, "The documents could not be made.\n");
        return 1;
    }
    measure("pdf 500 pages", pdf500, 5);
    measure("pdf 2000 pages", pdf2000, 2);
    measure("epub 2MB", epub, 5);
    return 0;
}
