#include "ConsoleControls.h"

#include "Twips.h"
#include "UpDown.h"
#include "frmConsole.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <algorithm>
#include <utility>

namespace {

// A control carrying its member's name as its object name, so tests and accessibility tools find it.
template <typename Control, typename... Arguments> Control* named(const char* name, Arguments&&... arguments)
{
    auto* control = new Control(std::forward<Arguments>(arguments)...);
    control->setObjectName(QLatin1String(name));
    return control;
}

void place(QWidget* control, int left, int top, int width, int height)
{
    control->setGeometry(Twips::toPixels(left, top, width, height));
}

} // namespace

void ConsoleControls::build(frmConsole& console)
{
    ConsoleControls controls(console);
    controls.create();
    controls.placeFaceAndSettings();
    controls.shapeSliders();
    // The buttons are only as wide as the gap left of the skip count; a smaller font fits them.
    QFont small = console.font();
    small.setPointSizeF(small.pointSizeF() * 0.8);
    controls.placeSpeaking(small);
    controls.placeFlags(small);
    controls.placeLog();
    controls.nameForScreenReaders();
}

QString ConsoleControls::initialText()
{
    return QStringLiteral("Enter text you wish spoken here.");
}

// The controls run the console's handlers when the user changes them; a change by code that is
// not to act blocks their signals.
void ConsoleControls::connect(frmConsole& console)
{
    QObject::connect(console.VoiceCB, &QComboBox::currentIndexChanged, &console, &frmConsole::VoiceCB_Click);
    QObject::connect(console.FormatCB, &QComboBox::currentIndexChanged, &console, &frmConsole::FormatCB_Click);
    QObject::connect(
        console.AudioOutputCB, &QComboBox::currentIndexChanged, &console, &frmConsole::AudioOutputCB_Click);
    QObject::connect(console.RateSldr, &QSlider::valueChanged, &console, &frmConsole::RateSldr_Scroll);
    QObject::connect(console.VolumeSldr, &QSlider::valueChanged, &console, &frmConsole::VolumeSldr_Scroll);

    QObject::connect(console.chkSpFlagAync, &QCheckBox::stateChanged, &console, &frmConsole::chkSpFlagAync_Click);
    QObject::connect(console.chkSpFlagPurgeBeforeSpeak, &QCheckBox::stateChanged, &console,
        &frmConsole::chkSpFlagPurgeBeforeSpeak_Click);
    QObject::connect(
        console.chkSpFlagIsFilename, &QCheckBox::stateChanged, &console, &frmConsole::chkSpFlagIsFilename_Click);
    QObject::connect(console.chkSpFlagIsXML, &QCheckBox::stateChanged, &console, &frmConsole::chkSpFlagIsXML_Click);
    QObject::connect(
        console.chkSpFlagPersistXML, &QCheckBox::stateChanged, &console, &frmConsole::chkSpFlagPersistXML_Click);
    QObject::connect(
        console.chkSpFlagNLPSpeakPunc, &QCheckBox::stateChanged, &console, &frmConsole::chkSpFlagNLPSpeakPunc_Click);

    QObject::connect(console.SpeakBtn, &QPushButton::clicked, &console, &frmConsole::VoiceSpeak);
    QObject::connect(console.PauseBtn, &QPushButton::clicked, &console, &frmConsole::VoicePause);
    QObject::connect(console.StopBtn, &QPushButton::clicked, &console, &frmConsole::VoiceStop);
    QObject::connect(console.SkipBtn, &QPushButton::clicked, &console, &frmConsole::SkipBtn_Click);
    QObject::connect(console.ResetBtn, &QPushButton::clicked, &console, &frmConsole::ResetBtn_Click);
}

ConsoleControls::ConsoleControls(frmConsole& console)
    : m_console(console)
{
}

// Made in the order of the keyboard's tab sequence.
void ConsoleControls::create()
{
    frmConsole& c = m_console;
    c.VisemePicture = named<QLabel>("VisemePicture", &c);
    createSettings();
    c.MainTxtBox = named<QPlainTextEdit>("MainTxtBox", initialText(), &c);
    createSpeaking();
    createFlags();
    c.DebugTxtBox = named<QPlainTextEdit>("DebugTxtBox", &c);
}

void ConsoleControls::createSettings()
{
    frmConsole& c = m_console;
    c.Frame2 = named<QGroupBox>("Frame2", &c);
    c.Label2 = named<QLabel>("Label2", frmConsole::tr("Voice"), c.Frame2);
    c.VoiceCB = named<QComboBox>("VoiceCB", c.Frame2);
    c.Label5 = named<QLabel>("Label5", frmConsole::tr("Format"), c.Frame2);
    c.FormatCB = named<QComboBox>("FormatCB", c.Frame2);
    c.Label1 = named<QLabel>("Label1", frmConsole::tr("Audio Output"), c.Frame2);
    c.AudioOutputCB = named<QComboBox>("AudioOutputCB", c.Frame2);
    c.Label3 = named<QLabel>("Label3", frmConsole::tr("Rate"), c.Frame2);
    c.RateSldr = named<QSlider>("RateSldr", Qt::Horizontal, c.Frame2);
    c.Label4 = named<QLabel>("Label4", frmConsole::tr("Volume"), c.Frame2);
    c.VolumeSldr = named<QSlider>("VolumeSldr", Qt::Horizontal, c.Frame2);
    c.RateValue = named<QLabel>("RateValue", c.Frame2);
    c.VolumeValue = named<QLabel>("VolumeValue", c.Frame2);
}

void ConsoleControls::createSpeaking()
{
    frmConsole& c = m_console;
    c.SpeakBtn = named<QPushButton>("SpeakBtn", frmConsole::tr("Speak"), &c);
    c.PauseBtn = named<QPushButton>("PauseBtn", QStringLiteral("Pause"), &c);
    c.StopBtn = named<QPushButton>("StopBtn", frmConsole::tr("Stop"), &c);
    c.SkipBtn = named<QPushButton>("SkipBtn", frmConsole::tr("Skip"), &c);
    c.ResetBtn = named<QPushButton>("ResetBtn", frmConsole::tr("Reset"), &c);
    c.SkipTxtBox = named<QLineEdit>("SkipTxtBox", QStringLiteral("0"), &c);
    c.UpDown1 = named<UpDown>("UpDown1", &c);
}

void ConsoleControls::createFlags()
{
    frmConsole& c = m_console;
    c.Frame1 = named<QGroupBox>("Frame1", frmConsole::tr("Speak Flags"), &c);
    c.chkSpFlagAync = named<QCheckBox>("chkSpFlagAync", frmConsole::tr("FlagsAsync"), c.Frame1);
    c.chkSpFlagPurgeBeforeSpeak
        = named<QCheckBox>("chkSpFlagPurgeBeforeSpeak", frmConsole::tr("PurgeBeforeSpeak"), c.Frame1);
    c.chkSpFlagIsFilename = named<QCheckBox>("chkSpFlagIsFilename", frmConsole::tr("IsFilename"), c.Frame1);
    c.chkSpFlagIsXML = named<QCheckBox>("chkSpFlagIsXML", frmConsole::tr("IsXML"), c.Frame1);
    c.chkSpFlagPersistXML = named<QCheckBox>("chkSpFlagPersistXML", frmConsole::tr("PersistXML"), c.Frame1);
    c.chkSpFlagNLPSpeakPunc = named<QCheckBox>("chkSpFlagNLPSpeakPunc", frmConsole::tr("NLPSpeakPunc"), c.Frame1);
    c.chkShowEvents = named<QCheckBox>("chkShowEvents", frmConsole::tr("Show Events"), c.Frame1);
}

void ConsoleControls::placeFaceAndSettings()
{
    // The face picture is a little smaller than the pictures; they stand centred in it.
    place(m_console.VisemePicture, 120, 60, 1875, 1815);
    m_console.VisemePicture->setAlignment(Qt::AlignCenter);
    place(m_console.Frame2, 120, 1920, 1875, 4995);
    placeSettingsRows();
}

// Each label above its control, as designed when the font fits; a taller font pushes the rows
// below down instead of letting a label run into its control.
void ConsoleControls::placeSettingsRows()
{
    frmConsole& c = m_console;
    struct Row {
        QLabel* label;
        int labelTop;
        QWidget* control;
        int controlTop, controlWidth, controlHeight;
    };
    const Row rows[] = { { c.Label2, 180, c.VoiceCB, 420, 1740, 330 }, { c.Label5, 780, c.FormatCB, 960, 1740, 330 },
        { c.Label1, 1320, c.AudioOutputCB, 1500, 1740, 330 }, { c.Label3, 1800, c.RateSldr, 1980, 1740, 285 },
        { c.Label4, 2280, c.VolumeSldr, 2460, 1680, 285 } };
    const int left = Twips::toPixelsX(60);
    const int width = Twips::toPixelsX(1740);
    const int labelHeight = std::max(Twips::toPixelsY(240), c.Label2->fontMetrics().height());
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
    for (const auto& [value, name] : { std::pair { c.RateValue, c.Label3 }, std::pair { c.VolumeValue, c.Label4 } }) {
        value->setGeometry(name->geometry());
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
}

void ConsoleControls::shapeSliders()
{
    QSlider* rate = m_console.RateSldr;
    QSlider* volume = m_console.VolumeSldr;
    rate->setRange(-10, 10);
    rate->setSingleStep(1);
    rate->setPageStep(1);
    rate->setToolTip(frmConsole::tr("Changes voice playback rate"));
    volume->setRange(0, 100);
    volume->setSingleStep(1);
    volume->setPageStep(5);
    volume->setToolTip(frmConsole::tr("Changes voice playback volume"));
    for (QSlider* slider : { rate, volume })
        slider->setTickPosition(QSlider::TicksBelow);
    rate->setTickInterval(1);
    volume->setTickInterval(10);
}

void ConsoleControls::placeSpeaking(const QFont& small)
{
    frmConsole& c = m_console;
    place(c.MainTxtBox, 4260, 1560, 4575, 2175);
    placeSpeakButtons(small);
    place(c.SkipTxtBox, 3480, 3420, 400, 375);
    place(c.UpDown1, 3885, 3420, 240, 375);
    c.UpDown1->setBuddy(c.SkipTxtBox);
    c.UpDown1->setRange(-50, 50);
    c.UpDown1->setIncrement(1);
}

// As wide as their widest caption ("Resume" too), growing leftwards from where the skip count
// stands beside them.
void ConsoleControls::placeSpeakButtons(const QFont& small)
{
    frmConsole& c = m_console;
    const std::pair<QPushButton*, int> column[] = { { c.SpeakBtn, 2100 }, { c.StopBtn, 2535 }, { c.PauseBtn, 2985 },
        { c.SkipBtn, 3420 }, { c.ResetBtn, 3855 } };
    int width = Twips::toPixelsX(480);
    for (const auto& [button, top] : column) {
        button->setFont(small);
        width = std::max(width, button->sizeHint().width());
    }
    c.PauseBtn->setText(QStringLiteral("Resume"));
    width = std::max(width, c.PauseBtn->sizeHint().width());
    c.PauseBtn->setText(QStringLiteral("Pause"));
    const int right = Twips::toPixelsX(3000 + 480);
    for (const auto& [button, top] : column)
        button->setGeometry(right - width, Twips::toPixelsY(top), width, Twips::toPixelsY(375));
}

void ConsoleControls::placeFlags(const QFont& small)
{
    frmConsole& c = m_console;
    place(c.Frame1, 2340, 4860, 3615, 1575);
    QCheckBox* const firstColumn[]
        = { c.chkSpFlagAync, c.chkSpFlagPurgeBeforeSpeak, c.chkSpFlagIsFilename, c.chkSpFlagIsXML };
    QCheckBox* const secondColumn[] = { c.chkSpFlagPersistXML, c.chkSpFlagNLPSpeakPunc, c.chkShowEvents };
    for (QCheckBox* box : firstColumn)
        box->setFont(small);
    for (QCheckBox* box : secondColumn)
        box->setFont(small);
    for (int row = 0; row < 4; ++row)
        place(firstColumn[row], 90, 240 + row * 315, 1935, 285);
    for (int row = 0; row < 3; ++row)
        place(secondColumn[row], 2040, 240 + row * 315, 1545, 285);
}

void ConsoleControls::placeLog()
{
    QPlainTextEdit* log = m_console.DebugTxtBox;
    place(log, 120, 7380, 7815, 1920);
    log->setReadOnly(true);
    log->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Read-only: an undo history would only keep every line ever logged.
    log->setUndoRedoEnabled(false);
}

// What a screen reader announces: the lists and sliders by the labels above them, the face by
// what it shows.
void ConsoleControls::nameForScreenReaders()
{
    frmConsole& c = m_console;
    c.Label2->setBuddy(c.VoiceCB);
    c.Label5->setBuddy(c.FormatCB);
    c.Label1->setBuddy(c.AudioOutputCB);
    c.Label3->setBuddy(c.RateSldr);
    c.Label4->setBuddy(c.VolumeSldr);
    c.VisemePicture->setAccessibleName(frmConsole::tr("Face"));
    c.VisemePicture->setAccessibleDescription(frmConsole::tr("A face whose mouth moves with the voice"));
    c.DebugTxtBox->setTabChangesFocus(true);
    c.MainTxtBox->setAccessibleName(frmConsole::tr("Text to speak"));
    c.SkipTxtBox->setAccessibleName(frmConsole::tr("Sentences to skip"));
    c.DebugTxtBox->setAccessibleName(frmConsole::tr("Event log"));
}
