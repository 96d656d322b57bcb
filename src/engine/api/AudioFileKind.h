#pragma once

#include <QString>
#include <optional>

// The kinds of file a file stream writes. A wave file holds the stream's PCM exactly; the others
// are compressed (FLAC without loss) and carry a title tag.
enum class AudioFileKind { Wave, Mp3, OggVorbis, Opus, Flac };

namespace AudioFileKinds {
// "wav", "mp3", "ogg", "opus", "flac".
QString extension(AudioFileKind kind);
// The kind a file name's extension names, in any letter case ("oga" too); nullopt for another.
std::optional<AudioFileKind> fromFileName(const QString& fileName);
// The rate a file of this kind is written at for a stream of the given rate: the same, except
// that Opus takes only 8, 12, 16, 24 and 48 kHz and gets the nearest of those at or above it.
int fileRate(AudioFileKind kind, int streamRate);
} // namespace AudioFileKinds
