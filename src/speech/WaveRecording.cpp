#include "WaveRecording.h"

#include "CommonDialog.h"
#include "MessageBoxes.h"
#include "PlatformError.h"
#include "RecordingProgress.h"
#include "engine/api/SpFileStream.h"
#include "engine/api/SpVoice.h"
#include "frmConsole.h"

#include <QComboBox>

WaveRecording::WaveRecording(frmConsole& console, CommonDialog& dialog, const QComboBox& formats)
    : m_console(console)
    , m_dialog(dialog)
    , m_formats(formats)
{
}

WaveRecording::~WaveRecording() = default;

void WaveRecording::record(const QString& text)
{
    try {
        chooseFile();
        openFile();
        m_console.AppendLogText(QStringLiteral("Save to .wav file"), QString());
        speakIntoFile(text);
        closeFile();
        MsgBox(QStringLiteral("WAV file successfully written!"), vbOKOnly, QStringLiteral("File Saved"), &m_console);
    } catch (const std::exception& failure) {
        const auto* platform = dynamic_cast<const PlatformError*>(&failure);
        if (!platform || platform->number() != CommonDialog::cancelErrorNumber)
            m_console.AppendLogText(QStringLiteral("Save to Wave file Error: "), failureText(failure));
        // A failed recording must not leave the speakers silent.
        if (m_redirected)
            restoreOutput();
    }
}

void WaveRecording::chooseFile()
{
    m_dialog.CancelError = true;
    m_dialog.Flags = 34818;
    m_dialog.DialogTitle = QStringLiteral("Save to a Wave File");
    m_dialog.Filter = QStringLiteral("All Files (*.*)|*.*|Wave Files (*.wav)|*.wav");
    m_dialog.FilterIndex = 2;
    m_dialog.ShowSave();
}

void WaveRecording::openFile()
{
    if (m_formats.currentIndex() < 0)
        throw PlatformError(QStringLiteral("No audio format is selected."));
    m_stream = std::make_shared<SpFileStream>();
    m_stream->Format().setType(m_formats.currentData().toInt());
    m_stream->Open(m_dialog.FileName, SSFMCreateForWrite, false);
    m_console.voice().setAllowAudioOutputFormatChangesOnNextSet(false);
    m_console.voice().setAudioOutputStream(m_stream);
    m_redirected = true;
}

void WaveRecording::speakIntoFile(const QString& text)
{
    // A paused voice would never finish the file, and the wait below would never end.
    if (m_console.IsPaused) {
        m_console.voice().Resume();
        m_console.SetSpeakState(m_console.IsSpeaking, false);
    }
    SpVoice& voice = m_console.voice();
    const int stream = voice.Speak(text, m_console.SpeakFlags | SVSFlagsAsync);
    m_console.reportMarkupReadAsText();
    const qsizetype length = (m_console.SpeakFlags & SVSFIsFilename) ? 0 : text.size();
    RecordingProgress progress(voice, stream, length, m_dialog.FileName, &m_console);
    if (!progress.waitUntilDone()) {
        // The unfinished file goes with the stream: it is never given its name.
        voice.Speak(QString(), SVSFPurgeBeforeSpeak);
        throw PlatformError(QStringLiteral("The recording was cancelled."));
    }
    // A text the synthesiser could not finish is a failed recording, not a short one.
    if (const QString cut = m_stream->cutShort(); !cut.isEmpty())
        throw PlatformError(cut);
}

// The file takes its name only when it is closed, with the voice back on its output.
void WaveRecording::closeFile()
{
    restoreOutput();
    m_redirected = false;
    m_stream->Close();
    m_stream.reset();
}

// The voice speaks to the selected output again; without any output device it still leaves the
// file, which is about to be closed, for the default device stream in the selected format.
void WaveRecording::restoreOutput()
{
    m_console.AudioOutputCB_Click();
    SpVoice* voice = m_console.Voice.get();
    if (!voice || voice->AudioOutputStream() != m_stream)
        return;
    try {
        voice->setAllowAudioOutputFormatChangesOnNextSet(false);
        voice->setAudioOutputStream(nullptr);
    } catch (const std::exception& failure) {
        m_console.AppendLogText(QStringLiteral("Set audio output error: "), failureText(failure));
    }
}
