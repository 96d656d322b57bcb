#include "SubtitleFiles.h"

#include "PlatformError.h"
#include "engine/api/AudioFileKind.h"

#include <QFileInfo>
#include <QSaveFile>

SubtitleFiles::SubtitleFiles(const QString& audioFileName, const QString& subRip, const QString& lrc)
{
    write(besideAudio(audioFileName, QStringLiteral("srt")), subRip);
    write(besideAudio(audioFileName, QStringLiteral("lrc")), lrc);
}

SubtitleFiles::~SubtitleFiles() = default;

QString SubtitleFiles::besideAudio(const QString& audioFileName, const QString& extension)
{
    QString stem = audioFileName;
    if (AudioFileKinds::fromFileName(audioFileName))
        stem.chop(QFileInfo(audioFileName).suffix().size() + 1);
    return stem + QLatin1Char('.') + extension;
}

void SubtitleFiles::write(const QString& fileName, const QString& text)
{
    auto file = std::make_unique<QSaveFile>(fileName);
    if (!file->open(QIODevice::WriteOnly) || file->write(text.toUtf8()) < 0)
        throw PlatformError(QStringLiteral("Cannot write \"%1\": %2").arg(fileName, file->errorString()));
    m_files.push_back(std::move(file));
}

void SubtitleFiles::commit()
{
    for (const auto& file : m_files) {
        if (!file->commit())
            throw PlatformError(QStringLiteral("Cannot save \"%1\": %2").arg(file->fileName(), file->errorString()));
    }
}
