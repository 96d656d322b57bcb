#pragma once

#include "PlatformServices.h"

#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <vector>

// Test double for the printer: each page becomes its own PDF file in a temporary folder, printed
// as the real printer prints, and the pictures asked for are kept. failNext makes the next page
// fail with the given description, as a printer that is offline would.
class PdfPrinter : public PrinterService {
public:
    // Puts a new double into the registry's services and returns it (the registry owns it).
    static PdfPrinter& install();

    void printPage(const QImage& image) override;
    void failNext(const QString& description) { m_failures.push_back(description); }

    const std::vector<QImage>& pages() const { return m_pages; }
    const QStringList& files() const { return m_files; }

private:
    QTemporaryDir m_folder;
    std::deque<QString> m_failures;
    std::vector<QImage> m_pages;
    QStringList m_files;
};
