#include "ZipWriter.h"

#include <QFile>
#include <zip.h>

ZipWriter& ZipWriter::add(const QString& name, const QByteArray& content)
{
    m_entries.emplace_back(name, content);
    return *this;
}

bool ZipWriter::write(const QString& path) const
{
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        return false;
    bool ok = true;
    for (const auto& [name, content] : m_entries) {
        // libzip reads the buffer when the archive is closed, so it must stay until then.
        zip_source_t* source
            = zip_source_buffer(archive, content.constData(), static_cast<zip_uint64_t>(content.size()), 0);
        const zip_int64_t index
            = source ? zip_file_add(archive, name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            zip_source_free(source);
            ok = false;
            continue;
        }
        if (name == QLatin1String("mimetype"))
            zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
    }
    if (zip_close(archive) != 0) {
        zip_discard(archive);
        return false;
    }
    return ok;
}
