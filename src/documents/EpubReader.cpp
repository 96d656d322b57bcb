#include "EpubReader.h"

#include "DocumentText.h"
#include "ExtractionProgress.h"
#include "HtmlReader.h"
#include "PlatformError.h"
#include "XmlPartReader.h"
#include "ZipArchive.h"

#include <QDir>
#include <QHash>
#include <QUrl>

namespace {

const QString containerSpace = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:container");
const QString packageSpace = QStringLiteral("http://www.idpf.org/2007/opf");

QString packagePath(ZipArchive& archive, ExtractionProgress& progress)
{
    XmlPartReader xml(archive.read(QStringLiteral("META-INF/container.xml")), progress);
    while (xml.next()) {
        if (xml.isStart(containerSpace, u"rootfile"))
            return xml.attribute({}, u"full-path");
    }
    throw PlatformError(QStringLiteral("The book names no package."));
}

// The entries of the spine, in order, as paths in the archive.
QStringList spine(const QByteArray& package, const QString& folder, ExtractionProgress& progress)
{
    QHash<QString, QString> manifest;
    QStringList order;
    XmlPartReader xml(package, progress);
    while (xml.next()) {
        if (xml.isStart(packageSpace, u"item"))
            manifest.insert(xml.attribute({}, u"id"), xml.attribute({}, u"href"));
        else if (xml.isStart(packageSpace, u"itemref"))
            order.append(xml.attribute({}, u"idref"));
    }
    QStringList paths;
    for (const QString& id : order) {
        const auto href = manifest.constFind(id);
        if (href == manifest.cend())
            continue;
        // An href is a URL relative to the package: its fragment goes, escapes are decoded.
        const QString relative = QUrl::fromPercentEncoding(href->section(u'#', 0, 0).toUtf8());
        paths.append(QDir::cleanPath(folder.isEmpty() ? relative : folder + u'/' + relative));
    }
    return paths;
}

} // namespace

namespace EpubReader {

QString read(const QString& path, ExtractionProgress& progress)
{
    ZipArchive archive(path);
    const QString package = packagePath(archive, progress);
    const QString folder = package.contains(u'/') ? package.section(u'/', 0, -2) : QString();
    const QStringList chapters = spine(archive.read(package), folder, progress);
    if (chapters.isEmpty())
        throw PlatformError(QStringLiteral("The book has no chapters."));
    DocumentText out;
    const int total = static_cast<int>(chapters.size());
    for (int i = 0; i < total; ++i) {
        progress.step(i, total);
        HtmlReader::read(archive.read(chapters.at(i)), out, progress);
    }
    progress.step(total, total);
    return out.take();
}

} // namespace EpubReader
