#include "QtPrinterService.h"

#include "PlatformError.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>

void QtPrinterService::printPage(const QImage& image)
{
    const QPrinterInfo target = QPrinterInfo::defaultPrinter();
    if (target.isNull())
        throw PlatformError(QStringLiteral("No default printer is installed."));
    QPrinter printer(target, QPrinter::HighResolution);
    printOn(printer, image);
}

void QtPrinterService::printOn(QPrinter& printer, const QImage& image)
{
    if (image.isNull())
        throw PlatformError(QStringLiteral("There is no picture to print."));
    QPainter painter;
    if (!painter.begin(&printer))
        throw PlatformError(QStringLiteral("The printer could not be started."));
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double screenDpi = screen ? screen->logicalDotsPerInchX() : 96.0;
    const double scale = printer.resolution() / screenDpi;
    QSize size(qRound(image.width() * scale), qRound(image.height() * scale));
    const QSize page = painter.viewport().size();
    if (size.width() > page.width() || size.height() > page.height())
        size.scale(page, Qt::KeepAspectRatio);
    painter.drawImage(QRect(QPoint(0, 0), size), image);
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        throw PlatformError(QStringLiteral("The page could not be printed."));
}
