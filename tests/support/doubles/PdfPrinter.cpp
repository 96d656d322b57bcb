#include "PdfPrinter.h"

#include "PlatformError.h"
#include "QtPrinterService.h"
#include "WindowRegistry.h"

#include <QPrinter>

PdfPrinter& PdfPrinter::install()
{
    auto printer = std::make_unique<PdfPrinter>();
    PdfPrinter& installed = *printer;
    WindowRegistry::services().printer = std::move(printer);
    return installed;
}

void PdfPrinter::printPage(const QImage& image)
{
    if (!m_failures.empty()) {
        const QString description = m_failures.front();
        m_failures.pop_front();
        throw PlatformError(description);
    }
    if (!m_folder.isValid())
        throw PlatformError(QStringLiteral("No folder for the printed pages: ") + m_folder.errorString());
    const QString file = m_folder.filePath(QStringLiteral("page-%1.pdf").arg(m_files.size() + 1));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    QtPrinterService::printOn(printer, image);
    m_pages.push_back(image);
    m_files << file;
}
