#pragma once

#include "PlatformServices.h"

// Prints on the default printer. A picture keeps the physical size it has on the screen, reduced
// to fit the page when larger, at the page's top left corner.
class QtPrinterService : public PrinterService {
public:
    void printPage(const QImage& image) override;

    // Prints image as the one page of printer; throws PlatformError when that fails. Shared with
    // the PDF double so both print alike.
    static void printOn(QPrinter& printer, const QImage& image);
};
