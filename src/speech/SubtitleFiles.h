#pragma once

#include <QString>
#include <memory>
#include <vector>

class QSaveFile;

// The SubRip (.srt) and LRC (.lrc) files beside a recording, named after it without its audio
// extension. They are written in full first and take their names only on commit, after the audio
// file has taken its own; dropped uncommitted, they leave nothing behind.
class SubtitleFiles {
public:
    // Throws PlatformError when a file cannot be written.
    SubtitleFiles(const QString& audioFileName, const QString& subRip, const QString& lrc);
    ~SubtitleFiles();
    SubtitleFiles(const SubtitleFiles&) = delete;
    SubtitleFiles& operator=(const SubtitleFiles&) = delete;

    void commit(); // throws PlatformError

    // "talk.mp3" -> "talk.srt"; a name without an audio extension keeps its own: "talk" -> "talk.srt".
    static QString besideAudio(const QString& audioFileName, const QString& extension);

private:
    void write(const QString& fileName, const QString& text);

    std::vector<std::unique_ptr<QSaveFile>> m_files;
};
