#pragma once

#include <QElapsedTimer>
#include <QString>

class QProgressDialog;
class QWidget;
class SpVoice;

// How far a recording into a file has come while the voice speaks it. A recording done within
// half a second shows nothing; a longer one shows a modal dialog with the part of the text done,
// the time spent and the time left. The windows behind it keep repainting but take no input, and
// its Cancel ends the wait.
class RecordingProgress {
public:
    // textLength is the length of the text being spoken, 0 when it is not known (a file's text).
    RecordingProgress(SpVoice& voice, int stream, qsizetype textLength, QString fileName, QWidget* parent);

    // Waits until the voice has spoken everything; false when the user cancelled.
    bool waitUntilDone();

    static constexpr int quietMilliseconds = 500;

private:
    bool waitInDialog();
    void refresh(QProgressDialog& dialog) const;
    QString describe() const;

    SpVoice& m_voice;
    int m_stream;
    qsizetype m_length;
    QString m_fileName;
    QWidget* m_parent;
    qsizetype m_done = 0;
    QElapsedTimer m_clock;
};
