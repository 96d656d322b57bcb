#include "frmConsole.h"

#include "EventItems.h"
#include "MDIMain.h"
#include "MessageBoxes.h"
#include "PlatformError.h"
#include "SystemColors.h"
#include "Twips.h"
#include "UpDown.h"
#include "VisemeFace.h"
#include "engine/api/SpFileStream.h"

#include <QAbstractTextDocumentLayout>
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
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <cmath>
#include <cstdlib>

namespace {

const QString defaultFormat = QStringLiteral("SAFT22kHz16BitMono");
const QString initialText = QStringLiteral("Enter text you wish spoken here.");
constexpr int magenta = 0xFF00FF;
constexpr int defaultFlags = SVSFlagsAsync | SVSFPurgeBeforeSpeak | SVSFIsXML;
constexpr int logLimit = 64000;
constexpr int logCut = 10240;
constexpr int invalidPropertyValue = 380;
const QString highlightFailure
    = QStringLiteral("Failed to high light words. This may be caused by too many charaters in the main text box.");

void place(QWidget* control, int left, int top, int width, int height)
{
    control->setGeometry(Twips::toPixels(left, top, width, height));
}

QString describe(const std::exception& failure)
{
    if (const auto* platform = dynamic_cast<const PlatformError*>(&failure))
        return platform->description();
    return QString::fromLocal8Bit(failure.what());
}

// The check box's value as the toolkit numbers it: 0 unticked, 1 ticked, 2 greyed.
short valueOf(const QCheckBox* box)
{
    switch (box->checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    case Qt::Unchecked:
        break;
    }
    return 0;
}

// Sliders set by code do not act as if the user had moved them.
void setQuietly(QSlider* slider, int value)
{
    const QSignalBlocker blocker(slider);
    slider->setValue(value);
}

// The skip count as a 16-bit number: blanks around it and a sign are allowed, a fraction goes to
// the nearest whole number and a half to the even one.
short toSkipCount(const QString& text)
{
    bool isNumber = false;
    const double number = text.trimmed().toDouble(&isNumber);
    if (!isNumber || !std::isfinite(number))
        throw PlatformError(QStringLiteral("\"%1\" is not a number.").arg(text));
    const double rounded = std::nearbyint(number);
    if (rounded < -32768 || rounded > 32767)
        throw PlatformError(
            QStringLiteral("%1 is out of range: a skip count runs from -32768 to 32767.").arg(text.trimmed()));
    return static_cast<short>(rounded);
}

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
    : VisemePicture(new QLabel(this))
    , Frame2(new QGroupBox(this))
    , Label2(new QLabel(tr("Voice"), Frame2))
    , VoiceCB(new QComboBox(Frame2))
    , Label5(new QLabel(tr("Format"), Frame2))
    , FormatCB(new QComboBox(Frame2))
    , Label1(new QLabel(tr("Audio Output"), Frame2))
    , AudioOutputCB(new QComboBox(Frame2))
    , Label3(new QLabel(tr("Rate"), Frame2))
    , RateSldr(new QSlider(Qt::Horizontal, Frame2))
    , Label4(new QLabel(tr("Volume"), Frame2))
    , VolumeSldr(new QSlider(Qt::Horizontal, Frame2))
    , RateValue(new QLabel(Frame2))
    , VolumeValue(new QLabel(Frame2))
    , MainTxtBox(new QPlainTextEdit(initialText, this))
    , SpeakBtn(new QPushButton(tr("Speak"), this))
    , PauseBtn(new QPushButton(QStringLiteral("Pause"), this))
    , StopBtn(new QPushButton(tr("Stop"), this))
    , SkipBtn(new QPushButton(tr("Skip"), this))
    , ResetBtn(new QPushButton(tr("Reset"), this))
    , SkipTxtBox(new QLineEdit(QStringLiteral("0"), this))
    , UpDown1(new UpDown(this))
    , Frame1(new QGroupBox(tr("Speak Flags"), this))
    , chkSpFlagAync(new QCheckBox(tr("FlagsAsync"), Frame1))
    , chkSpFlagPurgeBeforeSpeak(new QCheckBox(tr("PurgeBeforeSpeak"), Frame1))
    , chkSpFlagIsFilename(new QCheckBox(tr("IsFilename"), Frame1))
    , chkSpFlagIsXML(new QCheckBox(tr("IsXML"), Frame1))
    , chkSpFlagPersistXML(new QCheckBox(tr("PersistXML"), Frame1))
    , chkSpFlagNLPSpeakPunc(new QCheckBox(tr("NLPSpeakPunc"), Frame1))
    , chkShowEvents(new QCheckBox(tr("Show Events"), Frame1))
    , DebugTxtBox(new QPlainTextEdit(this))
{
    Q_INIT_RESOURCE(console);
    buildControls();
    connectControls();
    m_tabOrder = std::make_unique<SeenTabOrder>(*this);
}

void frmConsole::buildControls()
{
    setObjectName(QStringLiteral("frmConsole"));
    setWindowTitle(tr("Speech Console"));
    resize(Twips::toPixelsX(8955), Twips::toPixelsY(9420));

    const std::pair<QWidget*, const char*> names[] = { { VisemePicture, "VisemePicture" }, { Frame2, "Frame2" },
        { Label2, "Label2" }, { VoiceCB, "VoiceCB" }, { Label5, "Label5" }, { FormatCB, "FormatCB" },
        { Label1, "Label1" }, { AudioOutputCB, "AudioOutputCB" }, { Label3, "Label3" }, { RateSldr, "RateSldr" },
        { Label4, "Label4" }, { VolumeSldr, "VolumeSldr" }, { MainTxtBox, "MainTxtBox" }, { SpeakBtn, "SpeakBtn" },
        { PauseBtn, "PauseBtn" }, { StopBtn, "StopBtn" }, { SkipBtn, "SkipBtn" }, { ResetBtn, "ResetBtn" },
        { SkipTxtBox, "SkipTxtBox" }, { UpDown1, "UpDown1" }, { Frame1, "Frame1" }, { chkSpFlagAync, "chkSpFlagAync" },
        { chkSpFlagPurgeBeforeSpeak, "chkSpFlagPurgeBeforeSpeak" }, { chkSpFlagIsFilename, "chkSpFlagIsFilename" },
        { chkSpFlagIsXML, "chkSpFlagIsXML" }, { chkSpFlagPersistXML, "chkSpFlagPersistXML" },
        { chkSpFlagNLPSpeakPunc, "chkSpFlagNLPSpeakPunc" }, { chkShowEvents, "chkShowEvents" },
        { DebugTxtBox, "DebugTxtBox" } };
    for (const auto& [control, name] : names)
        control->setObjectName(QLatin1String(name));
    RateValue->setObjectName(QStringLiteral("RateValue"));
    VolumeValue->setObjectName(QStringLiteral("VolumeValue"));

    // The face picture is a little smaller than the pictures; they stand centred in it.
    place(VisemePicture, 120, 60, 1875, 1815);
    VisemePicture->setAlignment(Qt::AlignCenter);

    place(Frame2, 120, 1920, 1875, 4995);
    placeSettingsRows();

    RateSldr->setRange(-10, 10);
    RateSldr->setSingleStep(1);
    RateSldr->setPageStep(1);
    RateSldr->setToolTip(tr("Changes voice playback rate"));
    VolumeSldr->setRange(0, 100);
    VolumeSldr->setSingleStep(1);
    VolumeSldr->setPageStep(5);
    VolumeSldr->setToolTip(tr("Changes voice playback volume"));
    for (QSlider* slider : { RateSldr, VolumeSldr })
        slider->setTickPosition(QSlider::TicksBelow);
    RateSldr->setTickInterval(1);
    VolumeSldr->setTickInterval(10);

    place(MainTxtBox, 4260, 1560, 4575, 2175);

    // The buttons are only as wide as the gap left of the skip count; a smaller font fits them.
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    placeSpeakButtons(small);
    place(SkipTxtBox, 3480, 3420, 400, 375);
    place(UpDown1, 3885, 3420, 240, 375);
    UpDown1->setBuddy(SkipTxtBox);
    UpDown1->setRange(-50, 50);
    UpDown1->setIncrement(1);

    place(Frame1, 2340, 4860, 3615, 1575);
    QCheckBox* const firstColumn[] = { chkSpFlagAync, chkSpFlagPurgeBeforeSpeak, chkSpFlagIsFilename, chkSpFlagIsXML };
    QCheckBox* const secondColumn[] = { chkSpFlagPersistXML, chkSpFlagNLPSpeakPunc, chkShowEvents };
    for (QCheckBox* box : firstColumn)
        box->setFont(small);
    for (QCheckBox* box : secondColumn)
        box->setFont(small);
    for (int row = 0; row < 4; ++row)
        place(firstColumn[row], 90, 240 + row * 315, 1935, 285);
    for (int row = 0; row < 3; ++row)
        place(secondColumn[row], 2040, 240 + row * 315, 1545, 285);

    place(DebugTxtBox, 120, 7380, 7815, 1920);
    DebugTxtBox->setReadOnly(true);
    DebugTxtBox->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Read-only: an undo history would only keep every line ever logged.
    DebugTxtBox->setUndoRedoEnabled(false);

    nameControls();
    for (int number = 1; number <= VisemeFace::pictureCount; ++number)
        MouthImgList.add(QImage(QStringLiteral(":/console/face/%1.png").arg(number, 2, 10, QLatin1Char('0'))),
            VisemeFace::keyOf(number));
}

// Each label above its control, as designed when the font fits; a taller font pushes the rows
// below down instead of letting a label run into its control.
void frmConsole::placeSettingsRows()
{
    struct Row {
        QLabel* label;
        int labelTop;
        QWidget* control;
        int controlTop, controlWidth, controlHeight;
    };
    const Row rows[] = { { Label2, 180, VoiceCB, 420, 1740, 330 }, { Label5, 780, FormatCB, 960, 1740, 330 },
        { Label1, 1320, AudioOutputCB, 1500, 1740, 330 }, { Label3, 1800, RateSldr, 1980, 1740, 285 },
        { Label4, 2280, VolumeSldr, 2460, 1680, 285 } };
    const int left = Twips::toPixelsX(60);
    const int width = Twips::toPixelsX(1740);
    const int labelHeight = std::max(Twips::toPixelsY(240), Label2->fontMetrics().height());
    constexpr int gap = 2;
    int below = 0;
    for (const Row& row : rows) {
        const int labelTop = std::max(Twips::toPixelsY(row.labelTop), below);
        row.label->setGeometry(left, labelTop, width, labelHeight);
        const int controlTop = std::max(Twips::toPixelsY(row.controlTop), labelTop + labelHeight + gap);
        row.control->setGeometry(
            left, controlTop, Twips::toPixelsX(row.controlWidth), Twips::toPixelsY(row.controlHeight));
        below = controlTop + row.control->height() + gap;
    }
    for (const auto& [value, name] : { std::pair { RateValue, Label3 }, std::pair { VolumeValue, Label4 } }) {
        value->setGeometry(name->geometry());
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
}

// As wide as their widest caption ("Resume" too), growing leftwards from where the skip count
// stands beside them.
void frmConsole::placeSpeakButtons(const QFont& font)
{
    const std::pair<QPushButton*, int> column[]
        = { { SpeakBtn, 2100 }, { StopBtn, 2535 }, { PauseBtn, 2985 }, { SkipBtn, 3420 }, { ResetBtn, 3855 } };
    int width = Twips::toPixelsX(480);
    for (const auto& [button, top] : column) {
        button->setFont(font);
        width = std::max(width, button->sizeHint().width());
    }
    PauseBtn->setText(QStringLiteral("Resume"));
    width = std::max(width, PauseBtn->sizeHint().width());
    PauseBtn->setText(QStringLiteral("Pause"));
    const int right = Twips::toPixelsX(3000 + 480);
    for (const auto& [button, top] : column)
        button->setGeometry(right - width, Twips::toPixelsY(top), width, Twips::toPixelsY(375));
}

// What a screen reader announces: the lists and sliders by the labels above them, the face by
// what it shows. Long entries are shown whole in the open lists and as tooltips.
void frmConsole::nameControls()
{
    Label2->setBuddy(VoiceCB);
    Label5->setBuddy(FormatCB);
    Label1->setBuddy(AudioOutputCB);
    Label3->setBuddy(RateSldr);
    Label4->setBuddy(VolumeSldr);
    VisemePicture->setAccessibleName(tr("Face"));
    VisemePicture->setAccessibleDescription(tr("A face whose mouth moves with the voice"));
    m_wholeTexts
        = std::make_unique<WholeTextLists>(std::initializer_list<QComboBox*> { VoiceCB, FormatCB, AudioOutputCB });
    DebugTxtBox->setTabChangesFocus(true);
    MainTxtBox->setAccessibleName(tr("Text to speak"));
    SkipTxtBox->setAccessibleName(tr("Sentences to skip"));
    DebugTxtBox->setAccessibleName(tr("Event log"));
}

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

void frmConsole::connectControls()
{
    connect(VoiceCB, &QComboBox::currentIndexChanged, this, &frmConsole::VoiceCB_Click);
    connect(FormatCB, &QComboBox::currentIndexChanged, this, &frmConsole::FormatCB_Click);
    connect(AudioOutputCB, &QComboBox::currentIndexChanged, this, &frmConsole::AudioOutputCB_Click);
    connect(RateSldr, &QSlider::valueChanged, this, &frmConsole::RateSldr_Scroll);
    connect(VolumeSldr, &QSlider::valueChanged, this, &frmConsole::VolumeSldr_Scroll);

    connect(chkSpFlagAync, &QCheckBox::stateChanged, this, &frmConsole::chkSpFlagAync_Click);
    connect(chkSpFlagPurgeBeforeSpeak, &QCheckBox::stateChanged, this, &frmConsole::chkSpFlagPurgeBeforeSpeak_Click);
    connect(chkSpFlagIsFilename, &QCheckBox::stateChanged, this, &frmConsole::chkSpFlagIsFilename_Click);
    connect(chkSpFlagIsXML, &QCheckBox::stateChanged, this, &frmConsole::chkSpFlagIsXML_Click);
    connect(chkSpFlagPersistXML, &QCheckBox::stateChanged, this, &frmConsole::chkSpFlagPersistXML_Click);
    connect(chkSpFlagNLPSpeakPunc, &QCheckBox::stateChanged, this, &frmConsole::chkSpFlagNLPSpeakPunc_Click);

    connect(SpeakBtn, &QPushButton::clicked, this, &frmConsole::VoiceSpeak);
    connect(PauseBtn, &QPushButton::clicked, this, &frmConsole::VoicePause);
    connect(StopBtn, &QPushButton::clicked, this, &frmConsole::VoiceStop);
    connect(SkipBtn, &QPushButton::clicked, this, &frmConsole::SkipBtn_Click);
    connect(ResetBtn, &QPushButton::clicked, this, &frmConsole::ResetBtn_Click);
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
    if (index < 0 || index >= list->count())
        throw PlatformError(QStringLiteral("Invalid property value: %1 has no entry at position %2.")
                                .arg(list->objectName())
                                .arg(index));
    {
        const QSignalBlocker blocker(list);
        list->setCurrentIndex(index);
    }
    (this->*choice)();
}

void frmConsole::Form_Load()
{
    try {
        Voice = std::make_unique<SpVoice>();
        connectVoice();
        {
            const QSignalBlocker blocker(VoiceCB);
            for (const SpObjectToken& token : voice().GetVoices(QString(), QString()))
                VoiceCB->addItem(token.GetDescription(0));
            VoiceCB->setCurrentIndex(-1);
        }
        select(VoiceCB, 0, &frmConsole::VoiceCB_Click);
        LoadFormats();
        setQuietly(RateSldr, voice().Rate());
        setQuietly(VolumeSldr, voice().Volume());
        showSliderValues();
        select(FormatCB, FormatCB->findText(defaultFormat), &frmConsole::FormatCB_Click);
        {
            const QSignalBlocker blocker(AudioOutputCB);
            if (voice().GetAudioOutputs(QString(), QString()).Count() < 1) {
                AudioOutputCB->addItem(QStringLiteral("No audio ouput object available"));
                AudioOutputCB->setEnabled(false);
            } else {
                for (const SpObjectToken& token : voice().GetAudioOutputs(QString(), QString()))
                    AudioOutputCB->addItem(token.GetDescription(0));
            }
            AudioOutputCB->setCurrentIndex(-1);
        }
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
            vbOKOnly, MDIMain::ProductCaption);
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

// The text and the caret change at once; the box lays itself out and scrolls to the new line
// once per turn of the event loop (followLog), since a stream of voice events appends far more
// lines than can be shown, and laying out each one would cost more than all the rest of an event.
void frmConsole::AppendLogText(const QString& text, const QString& tail)
{
    QTextDocument* log = DebugTxtBox->document();
    {
        const QSignalBlocker quiet(log->documentLayout());
        QTextCursor cursor(log);
        if (log->characterCount() - 1 > logLimit) {
            cursor.setPosition(0);
            cursor.setPosition(logCut, QTextCursor::KeepAnchor);
            cursor.insertText(QString());
        }
        cursor.setPosition(log->characterCount() - 1);
        cursor.insertText(text + tail + QStringLiteral("\r\n"));
        // The box's own caret follows text inserted where it stands; it is set only when elsewhere.
        const QTextCursor caret = DebugTxtBox->textCursor();
        if (caret.hasSelection() || caret.position() != cursor.position())
            DebugTxtBox->setTextCursor(cursor);
    }
    if (!m_logFollowPending) {
        m_logFollowPending = true;
        QMetaObject::invokeMethod(this, &frmConsole::followLog, Qt::QueuedConnection);
    }
    emit logLineAppended(text, tail);
}

// The box holds each line as a paragraph, which its plain text ends with LF alone.
QString frmConsole::logText() const
{
    return DebugTxtBox->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

// Tells the box what its layout kept quiet about while lines were appended, then brings the
// caret, after the newest line, into view.
void frmConsole::followLog()
{
    m_logFollowPending = false;
    QAbstractTextDocumentLayout* layout = DebugTxtBox->document()->documentLayout();
    emit layout->documentSizeChanged(layout->documentSize());
    emit layout->update();
    DebugTxtBox->ensureCursorVisible();
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
        AppendLogText(QStringLiteral("Set format error: "), describe(failure));
    }
}

void frmConsole::AudioOutputCB_Click()
{
    try {
        voice().setAudioOutput(voice().GetAudioOutputs(QString(), QString()).Item(AudioOutputCB->currentIndex()));
    } catch (const std::exception& failure) {
        AppendLogText(QStringLiteral("Set audio output error: "), describe(failure));
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
    SpeakFlags = UpdateFlagBit(valueOf(chkSpFlagAync), SpeakFlags, SVSFlagsAsync);
}

void frmConsole::chkSpFlagPurgeBeforeSpeak_Click()
{
    SpeakFlags = UpdateFlagBit(valueOf(chkSpFlagPurgeBeforeSpeak), SpeakFlags, SVSFPurgeBeforeSpeak);
}

void frmConsole::chkSpFlagIsFilename_Click()
{
    SpeakFlags = UpdateFlagBit(valueOf(chkSpFlagIsFilename), SpeakFlags, SVSFIsFilename);
}

// The word always carries exactly one of the two markup bits.
void frmConsole::chkSpFlagIsXML_Click()
{
    const short ticked = valueOf(chkSpFlagIsXML);
    SpeakFlags = UpdateFlagBit(ticked, SpeakFlags, SVSFIsXML);
    SpeakFlags = UpdateFlagBit(ticked == 0 ? 1 : 0, SpeakFlags, SVSFIsNotXML);
}

void frmConsole::chkSpFlagPersistXML_Click()
{
    SpeakFlags = UpdateFlagBit(valueOf(chkSpFlagPersistXML), SpeakFlags, SVSFPersistXML);
}

void frmConsole::chkSpFlagNLPSpeakPunc_Click()
{
    SpeakFlags = UpdateFlagBit(valueOf(chkSpFlagNLPSpeakPunc), SpeakFlags, SVSFNLPSpeakPunc);
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
    voice().Speak(text, SpeakFlags);
    reportMarkupReadAsText();
    if (IsPaused)
        voice().Resume();
    SetSpeakState(true, false);
}

// A synchronous Speak returns when its text has been spoken, its events handled on the way. So the
// buttons are set before it, for its EndStream to leave them at rest, and a paused voice is
// resumed before it, or it would wait for ever.
void frmConsole::speakAndWait(const QString& text)
{
    if (IsPaused)
        voice().Resume();
    SetSpeakState(true, false);
    voice().Speak(text, SpeakFlags);
    reportMarkupReadAsText();
}

void frmConsole::VoiceSpeak()
{
    try {
        AppendLogText(QStringLiteral("Speak"), QString());
        const QString text = MainTxtBox->toPlainText();
        if (text.isEmpty())
            return;
        speak(text);
    } catch (const std::exception& failure) {
        AppendLogText(QStringLiteral("Speak Error: "), describe(failure));
        SetSpeakState(false, IsPaused);
    }
}

void frmConsole::funcVoiceSpeak(const QString& speaktext)
{
    try {
        AppendLogText(QStringLiteral("Speak"), QString());
        // A null text would only purge; an empty one is spoken as the empty stream it is.
        speak(speaktext.isNull() ? QStringLiteral("") : speaktext);
    } catch (const std::exception& failure) {
        AppendLogText(QStringLiteral("Speak Error: "), describe(failure));
        SetSpeakState(false, IsPaused);
    }
}

void frmConsole::VoiceStop()
{
    try {
        AppendLogText(QStringLiteral("Stop"), QString());
        voice().Speak(QString(), SVSFPurgeBeforeSpeak);
        if (IsPaused)
            voice().Resume();
        SetSpeakState(false, false);
    } catch (const std::exception& failure) {
        AppendLogText(QStringLiteral("Speak Error: "), describe(failure));
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
        voice().Skip(QStringLiteral("Sentence"), toSkipCount(SkipTxtBox->text()));
    } catch (const std::exception& failure) {
        AppendLogText(QStringLiteral("Skip Error: "), describe(failure));
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
    MainTxtBox->setPlainText(initialText);
    setQuietly(VolumeSldr, 100);
    VolumeSldr_Scroll();
    setQuietly(RateSldr, 0);
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
}

void frmConsole::LogVoiceEvent(const QStringList& items)
{
    if (valueOf(chkShowEvents) != 1)
        return;
    AppendLogText(QStringLiteral("  Event: ") + items.join(QStringLiteral(", ")), QString());
}

// The box's selection as its start and length properties set it: a start past the end of the text
// goes to the end, a length past it stops there, and a negative value is refused after the parts
// before it took effect.
void frmConsole::selectInMainText(int start, int length)
{
    const auto refused = [](int value) {
        return PlatformError(QStringLiteral("Invalid property value: %1").arg(value), invalidPropertyValue);
    };
    if (start < 0)
        throw refused(start);
    const qint64 end = MainTxtBox->document()->characterCount() - 1;
    QTextCursor cursor(MainTxtBox->document());
    keepShaped(static_cast<int>(std::min<qint64>(start, end)));
    cursor.setPosition(static_cast<int>(std::min<qint64>(start, end)));
    if (length < 0) {
        MainTxtBox->setTextCursor(cursor);
        throw refused(length);
    }
    cursor.setPosition(static_cast<int>(std::min<qint64>(qint64(start) + length, end)), QTextCursor::KeepAnchor);
    MainTxtBox->setTextCursor(cursor);
}

// Placing a cursor in a paragraph needs its shaped glyphs, which the text box throws away after
// every repaint; the paragraph being spoken keeps them, so that a stream of word events does not
// shape it again for every word.
void frmConsole::keepShaped(int position)
{
    const QTextBlock block = MainTxtBox->document()->findBlock(position);
    if (!block.isValid() || !block.layout())
        return;
    if (block.blockNumber() != m_shapedBlock) {
        const QTextBlock previous = MainTxtBox->document()->findBlockByNumber(m_shapedBlock);
        if (previous.isValid() && previous.layout())
            previous.layout()->setCacheEnabled(false);
        m_shapedBlock = block.blockNumber();
    }
    block.layout()->setCacheEnabled(true);
}

void frmConsole::HighlightSpan(int start, int length)
{
    if (valueOf(chkSpFlagIsFilename) != 0)
        return;
    try {
        selectInMainText(start, length);
    } catch (const std::exception&) {
        AppendLogText(highlightFailure, QString());
    }
}

void frmConsole::reportEventFailure(const QString& event, const std::exception& failure)
{
    AppendLogText(event + QStringLiteral(" event error: "), describe(failure));
}

void frmConsole::Voice_StartStream(int StreamNum, const QVariant& StreamPos)
{
    LogVoiceEvent(EventItems(QStringLiteral("StartStream"))
                      .add(QLatin1StringView("StreamNum="), StreamNum)
                      .add(QLatin1StringView("StreamPos="), StreamPos)
                      .items());
    SetSpeakState(true, IsPaused);
}

// The buttons return to rest even when the face cannot.
void frmConsole::Voice_EndStream(int StreamNum, const QVariant& StreamPos)
{
    LogVoiceEvent(EventItems(QStringLiteral("EndStream"))
                      .add(QLatin1StringView("StreamNum="), StreamNum)
                      .add(QLatin1StringView("StreamPos="), StreamPos)
                      .items());
    HighlightSpan(0, MainTxtBox->document()->characterCount() - 1);
    try {
        ShowRestFace();
    } catch (const std::exception& failure) {
        reportEventFailure(QStringLiteral("EndStream"), failure);
    }
    SetSpeakState(false, IsPaused);
    // A lost audio output (the device or the audio server went away) silenced this stream.
    if (const QString lost = voice().TakeAudioOutputError(); !lost.isEmpty())
        AppendLogText(QStringLiteral("Speak Error: "), lost);
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
    LogVoiceEvent(EventItems(QStringLiteral("VoiceChange"))
                      .add(QLatin1StringView("StreamNum="), StreamNum)
                      .add(QLatin1StringView("StreamPos="), StreamPos)
                      .add(QLatin1StringView("Token="), Token.GetDescription(0))
                      .items());
    try {
        selectVoiceNamed(Token);
    } catch (const std::exception& failure) {
        reportEventFailure(QStringLiteral("VoiceChange"), failure);
    }
}

void frmConsole::Voice_Bookmark(
    int StreamNumber, const QVariant& StreamPosition, const QString& Bookmark, int BookmarkId)
{
    LogVoiceEvent(EventItems(QStringLiteral("BookMark"))
                      .add(QLatin1StringView("StreamNumber="), StreamNumber)
                      .add(QLatin1StringView("StreamPosition="), StreamPosition)
                      .add(QLatin1StringView("Bookmark="), Bookmark)
                      .add(QLatin1StringView("BookmarkId="), BookmarkId)
                      .items());
}

void frmConsole::Voice_Word(int StreamNum, const QVariant& StreamPos, int Pos, int Length)
{
    LogVoiceEvent(EventItems(QStringLiteral("Word"))
                      .add(QLatin1StringView("StreamNum="), StreamNum)
                      .add(QLatin1StringView("StreamPos="), StreamPos)
                      .add(QLatin1StringView("Pos="), Pos)
                      .add(QLatin1StringView("Length="), Length)
                      .items());
    HighlightSpan(Pos, Length);
}

void frmConsole::Voice_Sentence(int StreamNum, const QVariant& StreamPos, int Pos, int Length)
{
    LogVoiceEvent(EventItems(QStringLiteral("Sentence"))
                      .add(QLatin1StringView("StreamNum="), StreamNum)
                      .add(QLatin1StringView("StreamPos="), StreamPos)
                      .add(QLatin1StringView("Pos="), Pos)
                      .add(QLatin1StringView("Length="), Length)
                      .items());
}

void frmConsole::Voice_Phoneme(int StreamNumber, const QVariant& StreamPosition, int /*Duration: not logged*/,
    short NextPhoneId, int Feature, short CurrentPhoneId)
{
    LogVoiceEvent(EventItems(QStringLiteral("Phoneme"))
                      .add(QLatin1StringView("StreamNumber="), StreamNumber)
                      .add(QLatin1StringView("StreamPosition="), StreamPosition)
                      .add(QLatin1StringView("NextPhoneId="), NextPhoneId)
                      .add(QLatin1StringView("Feature="), Feature)
                      .add(QLatin1StringView("CurrentPhoneId="), CurrentPhoneId)
                      .items());
}

void frmConsole::Voice_Viseme(
    int StreamNum, const QVariant& StreamPos, int Duration, int VisemeType, int Feature, int VisemeId)
{
    LogVoiceEvent(EventItems(QStringLiteral("Viseme"))
                      .add(QLatin1StringView("StreamNum="), StreamNum)
                      .add(QLatin1StringView("StreamPos="), StreamPos)
                      .add(QLatin1StringView("Duration="), Duration)
                      .add(QLatin1StringView("VisemeType="), VisemeType)
                      .add(QLatin1StringView("Feature="), Feature)
                      .add(QLatin1StringView("VisemeId="), VisemeId)
                      .items());
    try {
        ShowViseme(VisemeId);
    } catch (const std::exception& failure) {
        reportEventFailure(QStringLiteral("Viseme"), failure);
    }
}

void frmConsole::Voice_AudioLevel(int StreamNumber, const QVariant& StreamPosition, int AudioLevel)
{
    LogVoiceEvent(EventItems(QStringLiteral("AudioLevel"))
                      .add(QLatin1StringView("StreamNumber="), StreamNumber)
                      .add(QLatin1StringView("StreamPosition="), StreamPosition)
                      .add(QLatin1StringView("AudioLevel="), AudioLevel)
                      .items());
}

void frmConsole::Voice_EnginePrivate(int StreamNumber, int StreamPosition, const QVariant& lParam)
{
    LogVoiceEvent(EventItems(QStringLiteral("EnginePrivate"))
                      .add(QLatin1StringView("StreamNumber="), StreamNumber)
                      .add(QLatin1StringView("StreamPosition="), StreamPosition)
                      .add(QLatin1StringView("lParam="), lParam)
                      .items());
}

// The voice speaks to the selected output again; without any output device it still leaves the
// file, which is about to be closed, for the default device stream in the selected format.
void frmConsole::restoreOutputAfter(const std::shared_ptr<SpStream>& recording)
{
    AudioOutputCB_Click();
    if (!Voice || Voice->AudioOutputStream() != recording)
        return;
    try {
        Voice->setAllowAudioOutputFormatChangesOnNextSet(false);
        Voice->setAudioOutputStream(nullptr);
    } catch (const std::exception& failure) {
        AppendLogText(QStringLiteral("Set audio output error: "), describe(failure));
    }
}

void frmConsole::SaveToWave(const QString& savetext)
{
    std::shared_ptr<SpFileStream> stream;
    bool redirected = false;
    try {
        ComDlg.CancelError = true;
        ComDlg.Flags = 34818;
        ComDlg.DialogTitle = QStringLiteral("Save to a Wave File");
        ComDlg.Filter = QStringLiteral("All Files (*.*)|*.*|Wave Files (*.wav)|*.wav");
        ComDlg.FilterIndex = 2;
        ComDlg.ShowSave();
        if (FormatCB->currentIndex() < 0)
            throw PlatformError(QStringLiteral("No audio format is selected."));
        stream = std::make_shared<SpFileStream>();
        stream->Format().setType(FormatCB->currentData().toInt());
        stream->Open(ComDlg.FileName, SSFMCreateForWrite, false);
        voice().setAllowAudioOutputFormatChangesOnNextSet(false);
        voice().setAudioOutputStream(stream);
        redirected = true;
        AppendLogText(QStringLiteral("Save to .wav file"), QString());
        // A paused voice would never finish the file, and the wait below would never end.
        if (IsPaused) {
            voice().Resume();
            SetSpeakState(IsSpeaking, false);
        }
        voice().Speak(savetext, SpeakFlags);
        reportMarkupReadAsText();
        voice().WaitUntilDone(-1);
        // A text the synthesiser could not finish is a failed recording, not a short one.
        if (const QString cut = stream->cutShort(); !cut.isEmpty())
            throw PlatformError(cut);
        restoreOutputAfter(stream);
        redirected = false;
        stream->Close();
        stream.reset();
        MsgBox(QStringLiteral("WAV file successfully written!"), vbOKOnly, QStringLiteral("File Saved"), this);
    } catch (const std::exception& failure) {
        const auto* platform = dynamic_cast<const PlatformError*>(&failure);
        if (!platform || platform->number() != CommonDialog::cancelErrorNumber)
            AppendLogText(QStringLiteral("Save to Wave file Error: "), describe(failure));
        // A failed recording must not leave the speakers silent.
        if (redirected)
            restoreOutputAfter(stream);
    }
}
