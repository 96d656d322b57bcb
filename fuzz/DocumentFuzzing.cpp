#include "DocumentFuzzing.h"

#include "DocumentReader.h"
#include "ExtractionProgress.h"
#include "PlatformError.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <vector>
#include <zip.h>

namespace {

void require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

// One file per fuzzing process, written again for every input.
QString inputFile()
{
    static const QString path
        = QDir::temp().filePath(QStringLiteral("parlora-fuzz-%1.document").arg(static_cast<qint64>(getpid())));
    return path;
}

bool writeZip(const QString& path, const std::vector<std::pair<QByteArray, QByteArray>>& entries)
{
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        return false;
    for (const auto& [name, content] : entries) {
        zip_source_t* source
            = zip_source_buffer(archive, content.constData(), static_cast<zip_uint64_t>(content.size()), 0);
        if (!source || zip_file_add(archive, name.constData(), source, 0) < 0) {
            zip_source_free(source);
            zip_discard(archive);
            return false;
        }
    }
    return zip_close(archive) == 0;
}

// An input for a zipped kind that is no zip holds the XML parts, separated by NUL bytes, which
// are zipped here: mutations then reach the XML readers instead of failing the archive's checks.
// A book's parts are its container, its package (OEBPS/p.opf) and its chapters OEBPS/c1.xhtml on.
std::vector<std::pair<QByteArray, QByteArray>> partsOf(DocumentKind kind, const QByteArray& bytes)
{
    const QList<QByteArray> parts = bytes.split('\0');
    if (kind == DocumentKind::Odt)
        return { { "mimetype", "application/vnd.oasis.opendocument.text" }, { "content.xml", parts.value(0) } };
    if (kind == DocumentKind::Docx)
        return { { "word/document.xml", parts.value(0) } };
    std::vector<std::pair<QByteArray, QByteArray>> entries { { "mimetype", "application/epub+zip" },
        { "META-INF/container.xml", parts.value(0) }, { "OEBPS/p.opf", parts.value(1) } };
    for (qsizetype i = 2; i < parts.size(); ++i)
        entries.emplace_back("OEBPS/c" + QByteArray::number(i - 1) + ".xhtml", parts.at(i));
    return entries;
}

bool writeInput(DocumentKind kind, const QByteArray& bytes)
{
    const bool zipped = kind == DocumentKind::Odt || kind == DocumentKind::Docx || kind == DocumentKind::Epub;
    if (zipped && !bytes.startsWith("PK"))
        return writeZip(inputFile(), partsOf(kind, bytes));
    QFile file(inputFile());
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

} // namespace

namespace DocumentFuzzing {

int read(DocumentKind kind, const std::uint8_t* data, std::size_t size)
{
    if (!writeInput(kind, QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size))))
        return 0;
    ExtractionProgress progress;
    try {
        const QString text = DocumentReader::read(inputFile(), kind, progress);
        require(!text.contains(QLatin1String("\n\n\n")), "more than one blank line in a row");
        require(!text.startsWith(u'\n'), "text begins with a line break");
    } catch (const PlatformError& failure) {
        require(!failure.description().isEmpty(), "refusal without a description");
    }
    return 0;
}

} // namespace DocumentFuzzing
