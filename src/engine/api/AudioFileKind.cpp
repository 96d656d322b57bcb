#include "engine/api/AudioFileKind.h"

#include <QFileInfo>
#include <array>

namespace {
struct KindName {
    AudioFileKind kind;
    const char* extension;
};
// The first name of a kind is the one it is written with.
constexpr std::array kindNames { KindName { AudioFileKind::Wave, "wav" }, KindName { AudioFileKind::Mp3, "mp3" },
    KindName { AudioFileKind::OggVorbis, "ogg" }, KindName { AudioFileKind::OggVorbis, "oga" },
    KindName { AudioFileKind::Opus, "opus" }, KindName { AudioFileKind::Flac, "flac" } };
constexpr std::array opusRates { 8000, 12000, 16000, 24000, 48000 };
} // namespace

QString AudioFileKinds::extension(AudioFileKind kind)
{
    for (const KindName& name : kindNames) {
        if (name.kind == kind)
            return QLatin1String(name.extension);
    }
    return {};
}

std::optional<AudioFileKind> AudioFileKinds::fromFileName(const QString& fileName)
{
    const QString suffix = QFileInfo(fileName).suffix();
    for (const KindName& name : kindNames) {
        if (suffix.compare(QLatin1String(name.extension), Qt::CaseInsensitive) == 0)
            return name.kind;
    }
    return std::nullopt;
}

int AudioFileKinds::fileRate(AudioFileKind kind, int streamRate)
{
    if (kind != AudioFileKind::Opus)
        return streamRate;
    for (const int rate : opusRates) {
        if (rate >= streamRate)
            return rate;
    }
    return opusRates.back();
}
