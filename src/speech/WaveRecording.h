#pragma once

#include "engine/api/AudioFileKind.h"

#include <QString>
#include <memory>

class CommonDialog;
class QComboBox;
class SpFileStream;
class SubtitleTrack;
class frmConsole;

// One run of the console's SaveToWave: speaks a text into a file that the user chooses (a wave
// file, or MP3, Ogg Vorbis, Opus or FLAC by the dialog's entry or the name's extension), in the
// format selected in the format list, and returns when the file is complete; the voice then
// speaks to the selected output again. With the console's WriteSubtitles the sentences and words
// heard go into SubRip and LRC files beside it. A failure is one line of the console's log; a
// recording that fails creates no file, no subtitles, and leaves files of those names as they were.
class WaveRecording {
public:
    WaveRecording(frmConsole& console, CommonDialog& dialog, const QComboBox& formats);
    ~WaveRecording();
    WaveRecording(const WaveRecording&) = delete;
    WaveRecording& operator=(const WaveRecording&) = delete;

    void record(const QString& text);

    // The dialog's filter: the wave entries first, then one entry for each compressed kind.
    static QString filter();
    // The kind of file for the dialog's 1-based entry and the name chosen with it.
    static AudioFileKind kindOf(int filterIndex, const QString& fileName);
    // The name with the kind's extension added where the user gave none and the entry named the
    // kind; a wave file keeps the name exactly as given.
    static QString nameFor(int filterIndex, const QString& fileName);
    // The title tag: the first words of what is heard, at most titleLength characters.
    static QString titleOf(const QString& spoken);
    static constexpr int titleLength = 60;

private:
    QString chooseFile();
    void openFile(const QString& fileName, const QString& text);
    void speakIntoFile(const QString& text);
    void closeFile(const QString& text);
    void restoreOutput();

    frmConsole& m_console;
    CommonDialog& m_dialog;
    const QComboBox& m_formats;
    std::shared_ptr<SpFileStream> m_stream;
    std::unique_ptr<SubtitleTrack> m_subtitles;
    QString m_title; // of a compressed file and of the subtitles
    // The voice speaks into the file: a failure must give it its output back.
    bool m_redirected = false;
};
