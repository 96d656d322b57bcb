#include "engine/audio/AudioFileWriter.h"

#include "engine/audio/Mp3FileWriter.h"
#include "engine/audio/OpusFileWriter.h"
#include "engine/audio/SoundFileWriter.h"

std::unique_ptr<AudioFileWriter> AudioFileWriter::create(
    int fd, AudioFileKind kind, const PcmFormat& format, const QString& title)
{
    switch (kind) {
    case AudioFileKind::Mp3:
        return std::make_unique<Mp3FileWriter>(fd, format, title);
    case AudioFileKind::Opus:
        return std::make_unique<OpusFileWriter>(fd, format, title);
    case AudioFileKind::Wave:
    case AudioFileKind::OggVorbis:
    case AudioFileKind::Flac:
        break;
    }
    return std::make_unique<SoundFileWriter>(fd, kind, format, title);
}
