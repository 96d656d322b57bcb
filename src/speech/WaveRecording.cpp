#include "WaveRecording.h"

#include "CommonDialog.h"
#include "MessageBoxes.h"
#include "PlatformError.h"
#include "RecordingProgress.h"
#include "SubtitleFiles.h"
#include "SubtitleText.h"
#include "SubtitleTrack.h"
#include "engine/api/SpFileStream.h"
#include "engine/api/SpVoice.h"
#include "engine/api/SpokenText.h"
#include "frmConsole.h"

#include <QComboBox>
#include <QFileInfo>
#include <array>

namespace {
constexpr int allFilesEntry = 1;
// The entries after "All Files", in the filter's order.
constexpr std::array entryKinds { AudioFileKind::Wave, AudioFileKind::Mp3, AudioFileKind::OggVorbis,
    AudioFileKind::Opus, AudioFileKind::Flac };
// The first words as heard: the start of a long text is enough, its markup read forgivingly.
QString textStart(const QString& text, int flags)
{
    constexpr qsizetype enough = 4096;
    const QString start = ((flags & SVSFIsFilename) ? SpokenText::readFile(text) : text).left(enough);
    return SpokenText(start, flags & ~SVSFIsFilename).span(0, start.size());
}
} // namespace

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
        const QString fileName = chooseFile();
        openFile(fileName, text);
        m_console.AppendLogText(QStringLiteral("Save to .wav file"), QString());
        speakIntoFile(text);
        closeFile(text);
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

QString WaveRecording::filter()
{
    return QStringLiteral("All Files (*.*)|*.*|Wave Files (*.wav)|*.wav|MP3 Files (*.mp3)|*.mp3|"
                          "Ogg Vorbis Files (*.ogg)|*.ogg|Opus Files (*.opus)|*.opus|FLAC Files (*.flac)|*.flac");
}

AudioFileKind WaveRecording::kindOf(int filterIndex, const QString& fileName)
{
    const auto entry = static_cast<size_t>(filterIndex - allFilesEntry - 1);
    if (entry < entryKinds.size())
        return entryKinds[entry];
    return AudioFileKinds::fromFileName(fileName).value_or(AudioFileKind::Wave);
}

QString WaveRecording::nameFor(int filterIndex, const QString& fileName)
{
    const AudioFileKind kind = kindOf(filterIndex, fileName);
    if (kind == AudioFileKind::Wave || filterIndex == allFilesEntry || !QFileInfo(fileName).suffix().isEmpty())
        return fileName;
    return fileName + QLatin1Char('.') + AudioFileKinds::extension(kind);
}

QString WaveRecording::titleOf(const QString& spoken)
{
    QString title;
    for (const QString& word : spoken.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (title.size() + 1 + word.size() > titleLength)
            break;
        title += (title.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    // One long word still names the file.
    if (title.isEmpty())
        title = spoken.simplified().left(titleLength);
    return title;
}

QString WaveRecording::chooseFile()
{
    m_dialog.CancelError = true;
    m_dialog.Flags = 34818;
    m_dialog.DialogTitle = QStringLiteral("Save to a Wave File");
    m_dialog.Filter = filter();
    m_dialog.FilterIndex = 2;
    m_dialog.ShowSave();
    QString fileName = nameFor(m_dialog.FilterIndex, m_dialog.FileName);
    // The dialog asked about the name as typed; the name with its extension is asked about here.
    if (fileName != m_dialog.FileName && QFileInfo::exists(fileName)) {
        const QString question = QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(fileName);
        if (MsgBox(question, vbYesNo | vbExclamation, m_dialog.DialogTitle, &m_console) != vbYes)
            throw PlatformError(QStringLiteral("Cancel was selected."), CommonDialog::cancelErrorNumber);
    }
    return fileName;
}

void WaveRecording::openFile(const QString& fileName, const QString& text)
{
    if (m_formats.currentIndex() < 0)
        throw PlatformError(QStringLiteral("No audio format is selected."));
    m_stream = std::make_shared<SpFileStream>();
    m_stream->Format().setType(m_formats.currentData().toInt());
    const AudioFileKind kind = kindOf(m_dialog.FilterIndex, fileName);
    m_stream->setKind(kind);
    if (kind != AudioFileKind::Wave || m_console.WriteSubtitles)
        m_title = titleOf(textStart(text, m_console.SpeakFlags));
    m_stream->setTitle(m_title);
    m_stream->Open(fileName, SSFMCreateForWrite, false);
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
    if (m_console.WriteSubtitles)
        m_subtitles = std::make_unique<SubtitleTrack>(voice, stream, m_stream->openFormat());
    m_console.reportMarkupReadAsText();
    const qsizetype length = (m_console.SpeakFlags & SVSFIsFilename) ? 0 : text.size();
    RecordingProgress progress(voice, stream, length, m_stream->fileName(), &m_console);
    if (!progress.waitUntilDone()) {
        // The unfinished file goes with the stream: it is never given its name.
        voice.Speak(QString(), SVSFPurgeBeforeSpeak);
        throw PlatformError(QStringLiteral("The recording was cancelled."));
    }
    // A text the synthesiser could not finish is a failed recording, not a short one.
    if (const QString cut = m_stream->cutShort(); !cut.isEmpty())
        throw PlatformError(cut);
}

// The file takes its name only when it is closed, with the voice back on its output; the
// subtitles are written before and take their names after it.
void WaveRecording::closeFile(const QString& text)
{
    std::unique_ptr<SubtitleFiles> subtitles;
    if (m_subtitles) {
        const SpokenText spoken(text, m_console.SpeakFlags);
        const std::vector<TimedSentence> sentences = m_subtitles->sentences(spoken, m_stream->bytesWritten());
        subtitles = std::make_unique<SubtitleFiles>(
            m_stream->fileName(), SubtitleText::subRip(sentences), SubtitleText::lrc(sentences, m_title));
    }
    restoreOutput();
    m_redirected = false;
    m_stream->Close();
    m_stream.reset();
    if (subtitles)
        subtitles->commit();
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
