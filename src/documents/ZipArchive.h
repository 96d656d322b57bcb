#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

struct zip;

// A zip archive opened for reading its entries (libzip). Guards against archives built to
// exhaust memory: the entries read from one archive may expand to expansionLimit bytes in all,
// counted as they are inflated rather than as the archive claims. Throws PlatformError when the
// archive cannot be read, an entry is missing, encrypted or damaged, or the limit is passed.
class ZipArchive {
public:
    explicit ZipArchive(const QString& path);
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    bool contains(const QString& name) const;
    QByteArray read(const QString& name);

    static constexpr qint64 expansionLimit = 100LL * 1024 * 1024;

private:
    struct Close {
        void operator()(zip* archive) const;
    };
    std::unique_ptr<zip, Close> m_archive;
    qint64 m_expanded = 0;
};
