#include "ZipArchive.h"

#include "PlatformError.h"

#include <QFile>
#include <zip.h>

namespace {

QString describe(int code)
{
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    QString text = QString::fromUtf8(zip_error_strerror(&error));
    zip_error_fini(&error);
    return text;
}

[[noreturn]] void fail(const QString& description)
{
    throw PlatformError(description);
}

struct EntryClose {
    void operator()(zip_file_t* entry) const { zip_fclose(entry); }
};

} // namespace

void ZipArchive::Close::operator()(zip* archive) const
{
    zip_discard(archive);
}

ZipArchive::ZipArchive(const QString& path)
{
    int code = 0;
    m_archive.reset(zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code));
    if (!m_archive)
        fail(QStringLiteral("The archive cannot be read: %1").arg(describe(code)));
}

ZipArchive::~ZipArchive() = default;

bool ZipArchive::contains(const QString& name) const
{
    return zip_name_locate(m_archive.get(), name.toUtf8().constData(), 0) >= 0;
}

QByteArray ZipArchive::read(const QString& name)
{
    const QByteArray key = name.toUtf8();
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat(m_archive.get(), key.constData(), 0, &stat) != 0)
        fail(QStringLiteral("The archive has no entry \"%1\".").arg(name));
    if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE)
        fail(QStringLiteral("The entry \"%1\" is encrypted.").arg(name));
    const qint64 remaining = expansionLimit - m_expanded;
    if ((stat.valid & ZIP_STAT_SIZE) && stat.size > static_cast<zip_uint64_t>(remaining))
        fail(QStringLiteral("The archive expands to more than 100 MB."));
    std::unique_ptr<zip_file_t, EntryClose> entry(zip_fopen(m_archive.get(), key.constData(), 0));
    if (!entry)
        fail(QStringLiteral("The entry \"%1\" cannot be read: %2")
                 .arg(name, QString::fromUtf8(zip_strerror(m_archive.get()))));
    QByteArray content;
    constexpr qint64 block = qint64(64) * 1024;
    for (;;) {
        // A size in the archive may lie: what is inflated counts, not what was claimed.
        if (content.size() >= remaining)
            fail(QStringLiteral("The archive expands to more than 100 MB."));
        const qsizetype at = content.size();
        content.resize(at + block);
        const zip_int64_t got = zip_fread(entry.get(), content.data() + at, block);
        if (got < 0)
            fail(QStringLiteral("The entry \"%1\" is damaged: %2")
                     .arg(name, QString::fromUtf8(zip_file_strerror(entry.get()))));
        content.resize(at + got);
        if (got == 0)
            break;
    }
    m_expanded += content.size();
    return content;
}
