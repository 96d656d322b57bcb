#pragma once

#include <QString>
#include <memory>

class CommonDialog;
class QComboBox;
class SpFileStream;
class frmConsole;

// One run of the console's SaveToWave: speaks a text into a wave file that the user chooses, in
// the format selected in the format list, and returns when the file is complete; the voice then
// speaks to the selected output again. A failure is one line of the console's log; a recording
// that fails creates no file and leaves a file of that name as it was.
class WaveRecording {
public:
    WaveRecording(frmConsole& console, CommonDialog& dialog, const QComboBox& formats);
    ~WaveRecording();
    WaveRecording(const WaveRecording&) = delete;
    WaveRecording& operator=(const WaveRecording&) = delete;

    void record(const QString& text);

private:
    void chooseFile();
    void openFile();
    void speakIntoFile(const QString& text);
    void closeFile();
    void restoreOutput();

    frmConsole& m_console;
    CommonDialog& m_dialog;
    const QComboBox& m_formats;
    std::shared_ptr<SpFileStream> m_stream;
    // The voice speaks into the file: a failure must give it its output back.
    bool m_redirected = false;
};
