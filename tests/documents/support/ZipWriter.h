#pragma once

#include <QByteArray>
#include <QString>
#include <utility>
#include <vector>

// Writes a zip archive with libzip, entries in the order given (a book's "mimetype" first,
// stored, as readers expect).
class ZipWriter {
public:
    ZipWriter& add(const QString& name, const QByteArray& content);
    // Writes the archive; false when libzip could not.
    bool write(const QString& path) const;

private:
    std::vector<std::pair<QString, QByteArray>> m_entries;
};
