#include "PdfPrinter.h"
#include "PlatformError.h"
#include "WindowRegistry.h"

#include <QFile>
#include <QTest>

namespace {

QString failureOf(PrinterService& printer, const QImage& image)
{
    try {
        printer.printPage(image);
    } catch (const PlatformError& error) {
        return error.description();
    }
    return {};
}

} // namespace

class TestPdfPrinter : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { WindowRegistry::reset(); }

    void eachPageIsAPdfFile()
    {
        PdfPrinter& printer = PdfPrinter::install();
        QImage page(320, 200, QImage::Format_RGB32);
        page.fill(Qt::white);
        printer.failNext("Printer error");
        QCOMPARE(failureOf(*WindowRegistry::services().printer, page), QStringLiteral("Printer error"));
        QVERIFY(!failureOf(printer, QImage()).isEmpty());
        QCOMPARE(failureOf(printer, page), QString());
        QCOMPARE(failureOf(printer, page.scaled(100, 900)), QString());

        QCOMPARE(printer.files().size(), 2);
        QCOMPARE(printer.pages().at(0), page);
        for (const QString& name : printer.files()) {
            QFile file(name);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray content = file.readAll();
            QVERIFY(content.startsWith("%PDF"));
            QVERIFY(content.contains("/Image"));
        }
    }
};

QTEST_MAIN(TestPdfPrinter)
#include "tst_PdfPrinter.moc"
