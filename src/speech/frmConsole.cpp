#include "frmConsole.h"

#include "CheckValue.h"
#include "ConsoleControls.h"
#include "EventItems.h"
#include "EventLogBox.h"
#include "MessageBoxes.h"
#include "PlatformError.h"
#include "ProductCaption.h"
#include "QuietControls.h"
#include "SkipCount.h"
#include "SystemColors.h"
#include "TextSpanSelector.h"
#include "Twips.h"
#include "VisemeFace.h"
#include "WaveRecording.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTextDocument>
#include <cstdlib>

namespace {

const QString defaultFormat = QStringLiteral("SAFT22kHz16BitMono");
constexpr int magenta = 0xFF00FF;
constexpr int defaultFlags = SVSFlagsAsync | SVSFPurgeBeforeSpeak | SVSFIsXML;
const QString highlightFailure
    = QStringLiteral("Failed to high light words. This may be caused by too many charaters in the main text box.");

// The console's outer height: the frame of its subwindow when it stands in one.
int outerHeight(const QWidget* console)
{
    const QWidget* outer = qobject_cast<const QMdiSubWindow*>(console->parentWidget());
    if (!outer)
        outer = console;
    return outer->isWindow() ? outer->frameGeometry().height() : outer->height();
}

} // namespace

frmConsole::frmConsole()
{
    Q_INIT_RESOURCE(console);
    ConsoleControls::build(*this);
    setObjectName(QStringLiteral("frmConsole"));
    setWindowTitle(tr("Speech Console"));
    resize(Twips::toPixelsX(8955), Twips::toPixelsY(9420));
    // Long entries are shown whole in the open lists and as tooltips.
    m_wholeTexts
        = std::make_unique<WholeTextLists>(std::initializer_list<QComboBox*> { VoiceCB, FormatCB, AudioOutputCB });
    m_log = std::make_unique<EventLogBox>(*DebugTxtBox);
    m_spokenSpan = std::make_unique<TextSpanSelector>(*MainTxtBox);
    for (int number = 1; number <= VisemeFace::pictureCount; ++number)
        MouthImgList.add(QImage(QStringLiteral(":/console/face/%1.png").arg(number, 2, 10, QLatin1Char('0'))),
            VisemeFace::keyOf(number));
    ConsoleControls::connect(*this);
    m_tabOrder = std::make_unique<SeenTabOrder>(*this);
}

frmConsole::~frmConsole() = default;

void frmConsole::showSliderValues()
{
    RateValue->setText(QString::number(RateSldr->value()));
    VolumeValue->setText(QString::number(VolumeSldr->value()));
}

bool frmConsole::focusNextPrevChild(bool next)
{
    m_tabOrder->refresh();
    return QWidget::focusNextPrevChild(next);
}

SpVoice& frmConsole::voice() const
{
    if (!Voice)
        throw PlatformError(
            QStringLiteral("The console has no voice object: it was released when the console closed."));
    return *Voice;
}

// A selection by code runs the list's choice at once, also when the entry was selected already.
void frmConsole::select(QComboBox* list, int index, void (frmConsole::*choice)())
{
    QuietControls::select(*list, index);
    (this->*choice)();
}

void frmConsole::Form_Load()
{
    try {
        Voice = std::make_unique<SpVoice>();
        connectVoice();
        QuietControls::fill(*VoiceCB, voice().GetVoices(QString(), QString()));
        select(VoiceCB, 0, &frmConsole::VoiceCB_Click);
        LoadFormats();
        QuietControls::setValue(*RateSldr, voice().Rate());
        QuietControls::setValue(*VolumeSldr, voice().Volume());
        showSliderValues();
        select(FormatCB, FormatCB->findText(defaultFormat), &frmConsole::FormatCB_Click);
        // The outputs are asked of the sound server once.
        if (const SpObjectTokens outputs = voice().GetAudioOutputs(QString(), QString()); outputs.Count() < 1)
            QuietControls::fillUnusable(*AudioOutputCB, QStringLiteral("No audio ouput object available"));
        else
            QuietControls::fill(*AudioOutputCB, outputs);
        select(AudioOutputCB, 0, &frmConsole::AudioOutputCB_Click);
        MouthImgList.MaskColor = magenta;
        MouthImgList.BackColor = GetSysColor(COLOR_BTNFACE);
        ShowRestFace();
        restoreSpeakFlags();
        SetSpeakState(false, false);
    } catch (...) {
        const QString lineBreaks = QStringLiteral("\r\n\r\n");
        MsgBox(QStringLiteral("Error in initialization: ") + lineBreaks
                + QStringLiteral("(vxrt2000k1 not installed), Please view Readme.txt") + lineBreaks
                + QStringLiteral("Shutting down."),
            vbOKOnly, ProductCaption);
        Voice.reset();
        // Nothing works without a voice; the program ends here, not in its event loop.
        std::exit(EXIT_FAILURE); // NOLINT(concurrency-mt-unsafe): the voice and its threads are gone
    }
}

void frmConsole::Form_Resize()
{
    Frame2->resize(Frame2->width(), outerHeight(this));
}

void frmConsole::Form_Unload()
{
    Voice.reset();
}

void frmConsole::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void frmConsole::closeEvent(QCloseEvent* event)
{
    QWidget::closeEvent(event);
    Form_Unload();
}

void frmConsole::AddFormat(const QString& name, int value)
{
    // Adding never selects: only the choices that follow apply a format.
    const QSignalBlocker blocker(FormatCB);
    const int selected = FormatCB->currentIndex();
    FormatCB->insertItem(FormatCB->count(), name, value);
    FormatCB->setCurrentIndex(selected);
}

void frmConsole::LoadFormats()
{
    for (int type = SAFT8kHz8BitMono; type <= SAFT48kHz16BitStereo; ++type)
        AddFormat(SpAudioFormat::name(type), type);
}

void frmConsole::AppendLogText(const QString& text, const QString& tail)
{
    m_log->append(text + tail);
    emit logLineAppended(text, tail);
}

QString frmConsole::logText() const
{
    return m_log->text();
}

QImage frmConsole::Composite(const QVariant& first, const QVariant& second) const
{
    return MouthImgList.Overlay(first, second);
}

void frmConsole::ShowRestFace()
{
    showFace(VisemeFace::wholeFace);
}

void frmConsole::showFace(const QVariant& overlay)
{
    VisemePicture->setPixmap(m_faces.faceWith(overlay));
}

void frmConsole::ShowViseme(int VisemeId)
{
    showFace(VisemeFace::overlayFor(VisemeId));
}

void frmConsole::VoiceCB_Click()
{
    voice().setVoice(voice().GetVoices(QString(), QString()).Item(VoiceCB->currentIndex()));
}

void frmConsole::FormatCB_Click()
{
    try {
        if (FormatCB->currentIndex() < 0)
            throw PlatformError(QStringLiteral("No audio format is selected."));
        voice().setAllowAudioOutputFormatChangesOnNextSet(false);
        const std::shared_ptr<SpStream> stream = voice().AudioOutputStream();
        stream->Format().setType(FormatCB->currentData().toInt());
        voice().setAudioOutputStream(stream);
    } catch (const std::exception& failure) {
        AppendLogText(QStringLiteral("Set format error: "), failureText(failure));
    }
}

void frmConsole::AudioOutputCB_Click()
{
    try {
        voice().setAudioOutput(voice().GetAudioOutputs(QString(), QString()).Item(AudioOutputCB->currentIndex()));
    } catch (const std::exception& failure) {
        AppendLogText(QStringLiteral("Set audio output error: "), failureText(failure));
        return;
    }
    FormatCB_Click();
}

void frmConsole::RateSldr_Scroll()
{
    showSliderValues();
    voice().setRate(RateSldr->value());
}

void frmConsole::VolumeSldr_Scroll()
{
    showSliderValues();
    voice().setVolume(VolumeSldr->value());
}

int frmConsole::UpdateFlagBit(short ticked, int flags, int bit)
{
    return ticked != 0 ? flags | bit : flags & ~bit;
}

void frmConsole::chkSpFlagAync_Click()
{
    SpeakFlags = UpdateFlagBit(checkValue(chkSpFlagAync), SpeakFlags, SVSFlagsAsync);
}

void frmConsole::chkSpFlagPurgeBeforeSpeak_Click()
{
    SpeakFlags = UpdateFlagBit(checkValue(chkSpFlagPurgeBeforeSpeak), SpeakFlags, SVSFPurgeBeforeSpeak);
}

void frmConsole::chkSpFlagIsFilename_Click()
{
    SpeakFlags = UpdateFlagBit(checkValue(chkSpFlagIsFilename), SpeakFlags, SVSFIsFilename);
}

// The word always carries exactly one of the two markup bits.
void frmConsole::chkSpFlagIsXML_Click()
{
    const short ticked = checkValue(chkSpFlagIsXML);
    SpeakFlags = UpdateFlagBit(ticked, SpeakFlags, SVSFIsXML);
    SpeakFlags = UpdateFlagBit(ticked == 0 ? 1 : 0, SpeakFlags, SVSFIsNotXML);
}

void frmConsole::chkSpFlagPersistXML_Click()
{
    SpeakFlags = UpdateFlagBit(checkValue(chkSpFlagPersistXML), SpeakFlags, SVSFPersistXML);
}

void frmConsole::chkSpFlagNLPSpeakPunc_Click()
{
    SpeakFlags = UpdateFlagBit(checkValue(chkSpFlagNLPSpeakPunc), SpeakFlags, SVSFNLPSpeakPunc);
}

void frmConsole::SetSpeakState(bool speaking, bool paused)
{
    SpeakBtn->setEnabled(true);
    StopBtn->setEnabled(speaking);
    SkipBtn->setEnabled(speaking && !paused);
    PauseBtn->setEnabled(speaking);
    PauseBtn->setText(paused ? QStringLiteral("Resume") : QStringLiteral("Pause"));
    IsSpeaking = speaking;
    IsPaused = paused;
}

// Markup the voice could not read was spoken as text: the speech goes on, the log says why the
// tags in it were heard.
void frmConsole::reportMarkupReadAsText()
{
    if (const QString problem = voice().TakeMarkupError(); !problem.isEmpty())
        AppendLogText(QStringLiteral("Markup read as text: "), problem);
}

// Speaking while paused in the middle of speech continues it instead of starting over.
void frmConsole::speak(const QString& text)
{
    if (IsPaused && IsSpeaking) {
        voice().Resume();
        SetSpeakState(true, false);
        return;
    }
    if (!(SpeakFlags & SVSFlagsAsync)) {
        speakAndWait(text);
        return;
    }
    speakWith(text, SpeakFlags);
    if (IsPaused)
        voice().Resume();
    SetSpeakState(true, false);
}

void frmConsole::speakWith(const QString& text, int flags)
{
    m_lastStream = voice().Speak(text, flags);
    reportMarkupReadAsText();
}

// A synchronous Speak returns when its text has been spoken, its events handled on the way. So the
// buttons are set before it, for its EndStream to leave them at rest, and a paused voice is
// resumed before it, or it would wait for ever.
void frmConsole::speakAndWait(const QString& text)
{
    if (IsPaused)
        voice().Resume();
    SetSpeakState(true, false);
    speakWith(text, SpeakFlags);
}

// "Speak" in the log, then the speaking; a failure is one "Speak Error: " line. False on failure.
bool frmConsole::logSpeaking(const std::function<void()>& speaking)
{
    try {
        AppendLogText(QStringLiteral("Speak"), QString());
        speaking();
        return true;
    } catch (const std::exception& failure) {
        AppendLogText(QStringLiteral("Speak Error: "), failureText(failure));
        return false;
    }
}

void frmConsole::VoiceSpeak()
{
    const bool spoken = logSpeaking([this] {
        if (const QString text = MainTxtBox->toPlainText(); !text.isEmpty())
            speak(text);
    });
    if (!spoken)
        SetSpeakState(false, IsPaused);
}

void frmConsole::funcVoiceSpeak(const QString& speaktext)
{
    // A null text would only purge; an empty one is spoken as the empty stream it is.
    if (!logSpeaking([&] { speak(speaktext.isNull() ? QStringLiteral("") : speaktext); }))
        SetSpeakState(false, IsPaused);
}

int frmConsole::funcVoiceQueue(const QString& speaktext)
{
    logSpeaking([&] {
        speakWith(speaktext, (SpeakFlags | SVSFlagsAsync) & ~SVSFPurgeBeforeSpeak);
        SetSpeakState(true, IsPaused);
    });
    return m_lastStream;
}

void frmConsole::VoiceStop()
{
    emit spokenTextReleased();
    try {
        AppendLogText(QStringLiteral("Stop"), QString());
        voice().Speak(QString(), SVSFPurgeBeforeSpeak);
        if (IsPaused)
            voice().Resume();
        SetSpeakState(false, false);
    } catch (const std::exception& failure) {
        AppendLogText(QStringLiteral("Speak Error: "), failureText(failure));
    }
}

// The caption is the pause state as the user sees it, so every caller toggles alike.
void frmConsole::VoicePause()
{
    const QString caption = PauseBtn->text();
    if (caption == QLatin1String("Pause")) {
        AppendLogText(QStringLiteral("Pause"), QString());
        voice().Pause();
        SetSpeakState(IsSpeaking, true);
    } else if (caption == QLatin1String("Resume")) {
        AppendLogText(QStringLiteral("Resume"), QString());
        voice().Resume();
        SetSpeakState(IsSpeaking, false);
    }
}

void frmConsole::SkipBtn_Click()
{
    try {
        AppendLogText(QStringLiteral("Skip"), QString());
        voice().Skip(QStringLiteral("Sentence"), SkipCount::parse(SkipTxtBox->text()));
    } catch (const std::exception& failure) {
        AppendLogText(QStringLiteral("Skip Error: "), failureText(failure));
    }
}

void frmConsole::SkipSentences(int count)
{
    try {
        AppendLogText(QStringLiteral("Skip"), QString());
        voice().Skip(QStringLiteral("Sentence"), count);
    } catch (const std::exception& failure) {
        AppendLogText(QStringLiteral("Skip Error: "), failureText(failure));
    }
}

// Ticking or unticking a box runs its click; the word ends at the default whatever the boxes were.
void frmConsole::restoreSpeakFlags()
{
    SpeakFlags = defaultFlags;
    chkSpFlagAync->setChecked(true);
    chkSpFlagPurgeBeforeSpeak->setChecked(true);
    chkSpFlagIsXML->setChecked(true);
    chkSpFlagIsFilename->setChecked(false);
    chkSpFlagNLPSpeakPunc->setChecked(false);
    chkSpFlagPersistXML->setChecked(false);
}

// Reset leaves speech under way alone; it only returns the settings and controls to the start.
void frmConsole::ResetBtn_Click()
{
    emit spokenTextReleased();
    select(AudioOutputCB, 0, &frmConsole::AudioOutputCB_Click);
    // Without any audio device the default output cannot be chosen either; the audio-output
    // choice has just logged that, and the rest of the reset must still happen.
    try {
        voice().setAudioOutput(SpObjectToken());
    } catch (const PlatformError&) {
        if (voice().GetAudioOutputs().Count() > 0)
            throw;
    }
    select(VoiceCB, 0, &frmConsole::VoiceCB_Click);
    select(FormatCB, FormatCB->findText(defaultFormat), &frmConsole::FormatCB_Click);
    MainTxtBox->setPlainText(ConsoleControls::initialText());
    QuietControls::setValue(*VolumeSldr, 100);
    VolumeSldr_Scroll();
    QuietControls::setValue(*RateSldr, 0);
    RateSldr_Scroll();
    restoreSpeakFlags();
    DebugTxtBox->clear();
    SkipTxtBox->setText(QStringLiteral("0"));
    ShowRestFace();
    if (IsPaused)
        voice().Resume();
    SetSpeakState(false, false);
}

void frmConsole::connectVoice()
{
    SpVoice* v = Voice.get();
    connect(v, &SpVoice::StartStream, this, &frmConsole::Voice_StartStream);
    connect(v, &SpVoice::EndStream, this, &frmConsole::Voice_EndStream);
    connect(v, &SpVoice::VoiceChange, this, &frmConsole::Voice_VoiceChange);
    connect(v, &SpVoice::Bookmark, this, &frmConsole::Voice_Bookmark);
    connect(v, &SpVoice::Word, this, &frmConsole::Voice_Word);
    connect(v, &SpVoice::Sentence, this, &frmConsole::Voice_Sentence);
    connect(v, &SpVoice::Phoneme, this, &frmConsole::Voice_Phoneme);
    connect(v, &SpVoice::Viseme, this, &frmConsole::Voice_Viseme);
    connect(v, &SpVoice::AudioLevel, this, &frmConsole::Voice_AudioLevel);
    connect(v, &SpVoice::EnginePrivate, this, &frmConsole::Voice_EnginePrivate);
    connect(v, &SpVoice::synthesizerTrouble, this, &frmConsole::Voice_SynthesizerTrouble);
}

void frmConsole::LogVoiceEvent(const QStringList& items)
{
    if (checkValue(chkShowEvents) != 1)
        return;
    AppendLogText(QStringLiteral("  Event: ") + items.join(QStringLiteral(", ")), QString());
}

void frmConsole::HighlightSpan(int start, int length)
{
    if (checkValue(chkSpFlagIsFilename) != 0)
        return;
    try {
        m_spokenSpan->select(start, length);
    } catch (const std::exception&) {
        AppendLogText(highlightFailure, QString());
    }
}

void frmConsole::reportEventFailure(const QString& event, const std::exception& failure)
{
    AppendLogText(event + QStringLiteral(" event error: "), failureText(failure));
}

// Every voice event's shape: its line in the log when "Show Events" is ticked, then its action;
// a failure of the action becomes one line, the event's name, " event error: " and the description.
template <typename Action> void frmConsole::onVoiceEvent(const EventItems& line, Action&& action)
{
    LogVoiceEvent(line.items());
    try {
        action();
    } catch (const std::exception& failure) {
        reportEventFailure(line.name(), failure);
    }
}

void frmConsole::Voice_StartStream(int StreamNum, const QVariant& StreamPos)
{
    onVoiceEvent(EventItems::startStream(StreamNum, StreamPos), [this] { SetSpeakState(true, IsPaused); });
    emit streamStarted(StreamNum);
}

void frmConsole::Voice_EndStream(int StreamNum, const QVariant& StreamPos)
{
    onVoiceEvent(EventItems::endStream(StreamNum, StreamPos), [this] {
        HighlightSpan(0, MainTxtBox->document()->characterCount() - 1);
        ShowRestFace();
    });
    // The buttons return to rest even when the face cannot.
    SetSpeakState(false, IsPaused);
    emit streamEnded(StreamNum);
    // A lost audio output (the device or the audio server went away) silenced this stream.
    if (const QString lost = voice().TakeAudioOutputError(); !lost.isEmpty())
        AppendLogText(QStringLiteral("Speak Error: "), lost);
}

// A restarted synthesiser went on speaking: a note in the log. One that could not go on silenced
// the rest of the stream, which the user must see.
void frmConsole::Voice_SynthesizerTrouble(int, const QString& Description, bool Restarted)
{
    if (Restarted)
        AppendLogText(QStringLiteral("Speech synthesiser restarted"), QStringLiteral(" (%1)").arg(Description));
    else
        AppendLogText(QStringLiteral("Speak Error: "), Description);
}

// The first entry whose text is the token's description, compared exactly.
void frmConsole::selectVoiceNamed(const SpObjectToken& token)
{
    if (token.isNull())
        throw PlatformError(QStringLiteral("The new voice's token has no description."));
    const QString description = token.GetDescription(0);
    for (int i = 0; i < VoiceCB->count(); ++i) {
        if (VoiceCB->itemText(i) == description) {
            select(VoiceCB, i, &frmConsole::VoiceCB_Click);
            return;
        }
    }
}

void frmConsole::Voice_VoiceChange(int StreamNum, const QVariant& StreamPos, const SpObjectToken& Token)
{
    onVoiceEvent(EventItems::voiceChange(StreamNum, StreamPos, Token), [&] { selectVoiceNamed(Token); });
}

void frmConsole::Voice_Bookmark(
    int StreamNumber, const QVariant& StreamPosition, const QString& Bookmark, int BookmarkId)
{
    onVoiceEvent(EventItems::bookmark(StreamNumber, StreamPosition, Bookmark, BookmarkId), [] {});
}

void frmConsole::Voice_Word(int StreamNum, const QVariant& StreamPos, int Pos, int Length)
{
    onVoiceEvent(EventItems::word(StreamNum, StreamPos, Pos, Length), [&] { HighlightSpan(Pos, Length); });
    if (checkValue(chkSpFlagIsFilename) == 0)
        emit wordSpoken(StreamNum, Pos, Length);
}

void frmConsole::Voice_Sentence(int StreamNum, const QVariant& StreamPos, int Pos, int Length)
{
    onVoiceEvent(EventItems::sentence(StreamNum, StreamPos, Pos, Length), [] {});
    if (checkValue(chkSpFlagIsFilename) == 0)
        emit sentenceSpoken(StreamNum, Pos, Length);
}

void frmConsole::Voice_Phoneme(int StreamNumber, const QVariant& StreamPosition, int /*Duration: not logged*/,
    short NextPhoneId, int Feature, short CurrentPhoneId)
{
    onVoiceEvent(EventItems::phoneme(StreamNumber, StreamPosition, NextPhoneId, Feature, CurrentPhoneId), [] {});
}

void frmConsole::Voice_Viseme(
    int StreamNum, const QVariant& StreamPos, int Duration, int VisemeType, int Feature, int VisemeId)
{
    onVoiceEvent(EventItems::viseme(StreamNum, StreamPos, Duration, VisemeType, Feature, VisemeId),
        [&] { ShowViseme(VisemeId); });
}

void frmConsole::Voice_AudioLevel(int StreamNumber, const QVariant& StreamPosition, int AudioLevel)
{
    onVoiceEvent(EventItems::audioLevel(StreamNumber, StreamPosition, AudioLevel), [] {});
}

void frmConsole::Voice_EnginePrivate(int StreamNumber, int StreamPosition, const QVariant& lParam)
{
    onVoiceEvent(EventItems::enginePrivate(StreamNumber, StreamPosition, lParam), [] {});
}

void frmConsole::SaveToWave(const QString& savetext)
{
    WaveRecording(*this, ComDlg, *FormatCB).record(savetext);
}
