#include "PdfReader.h"

#include "DocumentText.h"
#include "ExtractionProgress.h"
#include "PdfLines.h"
#include "PlatformError.h"

#include <mutex>
#include <poppler-qt6.h>

namespace {

// Poppler reports each fault of a damaged file on standard error; the reader's own failure is
// what counts.
void quietPoppler()
{
    static std::once_flag once;
    std::call_once(once, [] { Poppler::setDebugErrorFunction([](const QString&, const QVariant&) {}, QVariant()); });
}

bool abortRequested(const QVariant& closure)
{
    return static_cast<const ExtractionProgress*>(closure.value<const void*>())->cancelled();
}

std::vector<PdfLine> linesOf(const Poppler::Page& page, ExtractionProgress& progress)
{
    const auto words = page.textList(
        Poppler::Page::Rotate0, abortRequested, QVariant::fromValue(static_cast<const void*>(&progress)));
    std::vector<PdfLine> lines;
    PdfLine line;
    for (const auto& word : words) {
        line.text += word->text();
        line.box = line.box.isNull() ? word->boundingBox() : line.box.united(word->boundingBox());
        if (word->nextWord()) {
            if (word->hasSpaceAfter())
                line.text += u' ';
            continue;
        }
        lines.push_back(std::move(line));
        line = PdfLine();
    }
    if (!line.text.isEmpty())
        lines.push_back(std::move(line));
    return lines;
}

} // namespace

namespace PdfReader {

QString read(const QString& path, ExtractionProgress& progress)
{
    quietPoppler();
    const std::unique_ptr<Poppler::Document> document = Poppler::Document::load(path);
    if (!document)
        throw PlatformError(QStringLiteral("The file cannot be read as a PDF."));
    if (document->isLocked())
        throw PlatformError(QStringLiteral("The PDF is locked by a password."));
    const int total = document->numPages();
    if (total <= 0)
        throw PlatformError(QStringLiteral("The PDF has no pages."));
    DocumentText out;
    for (int i = 0; i < total; ++i) {
        progress.step(i, total);
        const std::unique_ptr<Poppler::Page> page = document->page(i);
        if (page)
            PdfLines::addPage(linesOf(*page, progress), out);
    }
    progress.step(total, total);
    return out.take();
}

} // namespace PdfReader
