#include "AudioOutputRequired.h"
#include "ConsoleChild.h"
#include "ConsoleLog.h"
#include "Controls.h"
#include "ScriptedMessages.h"
#include "SystemColors.h"
#include "Twips.h"
#include "UpDown.h"
#include "WindowRegistry.h"
#include "engine/api/SpFileStream.h"
#include "frmConsole.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QToolTip>

namespace {
const QString longText = QStringLiteral("The first sentence is here. The second one follows it closely. "
                                        "A third sentence comes next. Then there is a fourth. The fifth is "
                                        "rather short. Number six is the last but one. Seven ends it.");

QString captionOf(const QWidget* w)
{
    if (auto* label = qobject_cast<const QLabel*>(w))
        return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(w))
        return button->text();
    if (auto* frame = qobject_cast<const QGroupBox*>(w))
        return frame->title();
    if (auto* line = qobject_cast<const QLineEdit*>(w))
        return line->text();
    if (auto* box = qobject_cast<const QPlainTextEdit*>(w))
        return box->toPlainText();
    return {};
}
} // namespace

// The console window against the real speech engine, speaking to the PulseAudio null sink.
class tst_frmConsole : public QObject {
    Q_OBJECT

    frmConsole* c = nullptr;

    QStringList log() const { return consoleLogLines(c->logText()); }
    bool buttons(bool stop, bool skip, bool pause, const QString& caption) const
    {
        return control<QPushButton>(*c, "SpeakBtn")->isEnabled()
            && control<QPushButton>(*c, "StopBtn")->isEnabled() == stop
            && control<QPushButton>(*c, "SkipBtn")->isEnabled() == skip
            && control<QPushButton>(*c, "PauseBtn")->isEnabled() == pause
            && control<QPushButton>(*c, "PauseBtn")->text() == caption;
    }

private slots:
    void init()
    {
        WindowRegistry::reset();
        ScriptedMessages::install();
        c = &WindowRegistry::get<frmConsole>();
        c->show();
    }

    void cleanup()
    {
        if (c->Voice) {
            c->Voice->Speak(QString(), SVSFPurgeBeforeSpeak);
            c->Voice->Resume();
        }
        WindowRegistry::reset();
    }

    void controlsStandAtTheirPlaces_data()
    {
        QTest::addColumn<QString>("container");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QList<int>>("twips"); // left, top, width, height; -1 where free
        QTest::addColumn<QString>("caption");
        const auto row
            = [](const char* name, const char* in, const char* kind, QList<int> twips, QString caption = {}) {
                  QTest::newRow(name) << QString(in) << QString(kind) << twips << caption;
              };
        row("VisemePicture", "frmConsole", "QLabel", { 120, 60, 1875, 1815 });
        row("Frame2", "frmConsole", "QGroupBox", { 120, 1920, 1875, -1 });
        // The settings rows' tops: settingsRowsKeepClearOfEachOther.
        row("Label2", "Frame2", "QLabel", { -1, -1, -1, -1 }, "Voice");
        row("VoiceCB", "Frame2", "QComboBox", { 60, -1, 1740, -1 });
        row("Label5", "Frame2", "QLabel", { -1, -1, -1, -1 }, "Format");
        row("FormatCB", "Frame2", "QComboBox", { 60, -1, 1740, -1 });
        row("Label1", "Frame2", "QLabel", { -1, -1, -1, -1 }, "Audio Output");
        row("AudioOutputCB", "Frame2", "QComboBox", { 60, -1, 1740, -1 });
        row("Label3", "Frame2", "QLabel", { -1, -1, -1, -1 }, "Rate");
        row("RateSldr", "Frame2", "QSlider", { 60, -1, 1740, -1 });
        row("Label4", "Frame2", "QLabel", { -1, -1, -1, -1 }, "Volume");
        row("VolumeSldr", "Frame2", "QSlider", { 60, -1, 1680, -1 });
        row("MainTxtBox", "frmConsole", "QPlainTextEdit", { 4260, 1560, 4575, 2175 },
            "Enter text you wish spoken here.");
        row("SpeakBtn", "frmConsole", "QPushButton", { -1, 2100, -1, -1 }, "Speak");
        row("PauseBtn", "frmConsole", "QPushButton", { -1, 2985, -1, -1 }, "Pause");
        row("StopBtn", "frmConsole", "QPushButton", { -1, 2535, -1, -1 }, "Stop");
        row("SkipBtn", "frmConsole", "QPushButton", { -1, 3420, -1, -1 }, "Skip");
        row("ResetBtn", "frmConsole", "QPushButton", { -1, 3855, -1, -1 }, "Reset");
        row("SkipTxtBox", "frmConsole", "QLineEdit", { 3480, 3420, 400, -1 }, "0");
        row("UpDown1", "frmConsole", "UpDown", { 3885, 3420, -1, -1 });
        row("Frame1", "frmConsole", "QGroupBox", { 2340, 4860, 3615, 1575 }, "Speak Flags");
        row("chkSpFlagAync", "Frame1", "QCheckBox", { -1, -1, -1, -1 }, "FlagsAsync");
        row("chkSpFlagPurgeBeforeSpeak", "Frame1", "QCheckBox", { -1, -1, -1, -1 }, "PurgeBeforeSpeak");
        row("chkSpFlagIsFilename", "Frame1", "QCheckBox", { -1, -1, -1, -1 }, "IsFilename");
        row("chkSpFlagIsXML", "Frame1", "QCheckBox", { -1, -1, -1, -1 }, "IsXML");
        row("chkSpFlagPersistXML", "Frame1", "QCheckBox", { -1, -1, -1, -1 }, "PersistXML");
        row("chkSpFlagNLPSpeakPunc", "Frame1", "QCheckBox", { -1, -1, -1, -1 }, "NLPSpeakPunc");
        row("chkShowEvents", "Frame1", "QCheckBox", { -1, -1, -1, -1 }, "Show Events");
        row("DebugTxtBox", "frmConsole", "QPlainTextEdit", { 120, 7380, 7815, 1920 });
    }

    void controlsStandAtTheirPlaces()
    {
        QFETCH(QString, container);
        QFETCH(QString, kind);
        QFETCH(QList<int>, twips);
        QFETCH(QString, caption);
        QCOMPARE(c->windowTitle(), QStringLiteral("Speech Console"));
        auto* control = c->findChild<QWidget*>(QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(control);
        QVERIFY(control->inherits(kind.toLatin1()));
        QCOMPARE(control->parentWidget()->objectName(), container);
        const QRect g = control->geometry();
        const int pixels[] = { Twips::fromPixelsX(g.x()), Twips::fromPixelsY(g.y()), Twips::fromPixelsX(g.width()),
            Twips::fromPixelsY(g.height()) };
        for (int i = 0; i < 4; ++i) {
            if (twips[i] >= 0)
                QVERIFY2(std::abs(pixels[i] - twips[i]) <= Twips::perPixelX() / 2 + 1, qPrintable(QString::number(i)));
        }
        QCOMPARE(captionOf(control), caption);
    }

    // Designed tops while the font fits the designed label height; a taller font moves the rows
    // below down rather than letting a label run into its control. Checked with a large font too.
    void settingsRowsKeepClearOfEachOther_data()
    {
        QTest::addColumn<qreal>("points");
        QTest::newRow("the program's font") << qreal(0);
        QTest::newRow("a large font") << qreal(16);
    }

    void settingsRowsKeepClearOfEachOther()
    {
        QFETCH(qreal, points);
        if (points > 0) {
            WindowRegistry::reset();
            QFont large = QApplication::font();
            large.setPointSizeF(points);
            QApplication::setFont(large);
            c = &WindowRegistry::get<frmConsole>();
            c->show();
        }
        const std::pair<const char*, int> rows[] = { { "Label2", 180 }, { "VoiceCB", 420 }, { "Label5", 780 },
            { "FormatCB", 960 }, { "Label1", 1320 }, { "AudioOutputCB", 1500 }, { "Label3", 1800 },
            { "RateSldr", 1980 }, { "Label4", 2280 }, { "VolumeSldr", 2460 } };
        // The closest designed label and control stand 180 twips apart; a gap of 2 pixels stays.
        const bool fits = control<QLabel>(*c, "Label2")->fontMetrics().height() + 2 <= Twips::toPixelsY(180);
        int below = 0;
        for (const auto& [name, designTop] : rows) {
            const auto* control = c->findChild<QWidget*>(QLatin1String(name));
            QVERIFY(control);
            const QRect g = control->geometry();
            QVERIFY2(g.top() >= below, name);
            QVERIFY2(g.top() >= Twips::toPixelsY(designTop), name);
            if (fits)
                QVERIFY2(g.top() == Twips::toPixelsY(designTop), name);
            if (const auto* label = qobject_cast<const QLabel*>(control)) {
                QVERIFY2(label->height() >= label->fontMetrics().height(), name);
                below = label->y() + label->fontMetrics().height() + 2;
            } else {
                below = g.bottom() + 1;
            }
        }
        QVERIFY(below <= control<QGroupBox>(*c, "Frame2")->height());
        if (points > 0)
            QApplication::setFont(QFont());
    }

    // Rate and volume show their numbers, set by the user, by code and by Reset alike.
    void slidersShowTheirNumbers()
    {
        QCOMPARE(control<QLabel>(*c, "RateValue")->text(), QString::number(control<QSlider>(*c, "RateSldr")->value()));
        QCOMPARE(
            control<QLabel>(*c, "VolumeValue")->text(), QString::number(control<QSlider>(*c, "VolumeSldr")->value()));
        control<QSlider>(*c, "RateSldr")->setValue(4);
        control<QSlider>(*c, "VolumeSldr")->setValue(35);
        QCOMPARE(control<QLabel>(*c, "RateValue")->text(), QStringLiteral("4"));
        QCOMPARE(control<QLabel>(*c, "VolumeValue")->text(), QStringLiteral("35"));
        c->ResetBtn_Click();
        QCOMPARE(control<QLabel>(*c, "RateValue")->text(), QStringLiteral("0"));
        QCOMPARE(control<QLabel>(*c, "VolumeValue")->text(), QStringLiteral("100"));
        QCOMPARE(control<QLabel>(*c, "RateValue")->geometry().top(), control<QLabel>(*c, "Label3")->geometry().top());
    }

    // A widened console shows every speak button's caption whole, "Resume" too, and the buttons
    // keep their right edge beside the skip count.
    void speakButtonsShowWholeCaptions()
    {
        for (QPushButton* button : { control<QPushButton>(*c, "SpeakBtn"), control<QPushButton>(*c, "StopBtn"),
                 control<QPushButton>(*c, "PauseBtn"), control<QPushButton>(*c, "SkipBtn"),
                 control<QPushButton>(*c, "ResetBtn") }) {
            QVERIFY2(button->width() >= button->sizeHint().width(), qPrintable(button->text()));
            QCOMPARE(button->geometry().right() + 1, Twips::toPixelsX(3480));
            QVERIFY(button->x() >= Twips::toPixelsX(2100));
        }
        control<QPushButton>(*c, "PauseBtn")->setText(QStringLiteral("Resume"));
        QVERIFY(
            control<QPushButton>(*c, "PauseBtn")->width() >= control<QPushButton>(*c, "PauseBtn")->sizeHint().width());
        QCOMPARE(control<QLineEdit>(*c, "SkipTxtBox")->x(), Twips::toPixelsX(3480));
    }

    // Lists narrower than their entries: the open list shows the longest entry whole, the closed
    // one names its entry in its tooltip, whether chosen by hand or by code.
    void listsShowWholeEntries()
    {
        QComboBox* list = control<QComboBox>(*c, "VoiceCB");
        const QString longest = QStringLiteral("A voice with a name far longer than the console's strip is wide");
        list->addItem(longest);
        const int needed = list->view()->fontMetrics().horizontalAdvance(longest);
        QVERIFY(list->view()->minimumWidth() > needed);
        QCOMPARE(list->itemData(list->count() - 1, Qt::ToolTipRole).toString(), longest);
        control<QComboBox>(*c, "FormatCB")
            ->setCurrentIndex(control<QComboBox>(*c, "FormatCB")->findText(QStringLiteral("SAFT48kHz16BitStereo")));
        for (QComboBox* shown : { control<QComboBox>(*c, "FormatCB"), control<QComboBox>(*c, "VoiceCB") }) {
            QHelpEvent ask(QEvent::ToolTip, QPoint(5, 5), shown->mapToGlobal(QPoint(5, 5)));
            QApplication::sendEvent(shown, &ask);
            QTRY_COMPARE(QToolTip::text(), shown->currentText());
            QToolTip::hideText();
        }
    }

    void slidersDriveRateAndVolume()
    {
        QCOMPARE(control<QSlider>(*c, "RateSldr")->toolTip(), QStringLiteral("Changes voice playback rate"));
        QCOMPARE(control<QSlider>(*c, "VolumeSldr")->toolTip(), QStringLiteral("Changes voice playback volume"));
        const QList<int> rate { control<QSlider>(*c, "RateSldr")->minimum(),
            control<QSlider>(*c, "RateSldr")->maximum(), control<QSlider>(*c, "RateSldr")->singleStep(),
            control<QSlider>(*c, "RateSldr")->pageStep() };
        const QList<int> volume { control<QSlider>(*c, "VolumeSldr")->minimum(),
            control<QSlider>(*c, "VolumeSldr")->maximum(), control<QSlider>(*c, "VolumeSldr")->singleStep(),
            control<QSlider>(*c, "VolumeSldr")->pageStep() };
        QCOMPARE(rate, QList<int>({ -10, 10, 1, 1 }));
        QCOMPARE(volume, QList<int>({ 0, 100, 1, 5 }));
        QCOMPARE(control<QSlider>(*c, "RateSldr")->value(), c->Voice->Rate());
        QCOMPARE(control<QSlider>(*c, "VolumeSldr")->value(), c->Voice->Volume());

        control<QSlider>(*c, "RateSldr")->triggerAction(QSlider::SliderToMinimum);
        QCOMPARE(c->Voice->Rate(), -10);
        control<QSlider>(*c, "VolumeSldr")->triggerAction(QSlider::SliderToMinimum);
        QCOMPARE(c->Voice->Volume(), 0);
        control<QSlider>(*c, "VolumeSldr")->triggerAction(QSlider::SliderPageStepAdd);
        QCOMPARE(c->Voice->Volume(), 5);
        control<QSlider>(*c, "VolumeSldr")->triggerAction(QSlider::SliderToMaximum);
        QCOMPARE(c->Voice->Volume(), 100);
    }

    void voiceAndOutputLists()
    {
        const SpObjectTokens voices = c->Voice->GetVoices();
        QStringList expected;
        for (const SpObjectToken& token : voices)
            expected << token.GetDescription(0);
        QStringList listed;
        for (int i = 0; i < control<QComboBox>(*c, "VoiceCB")->count(); ++i)
            listed << control<QComboBox>(*c, "VoiceCB")->itemText(i);
        QCOMPARE(listed, expected);
        QCOMPARE(control<QComboBox>(*c, "VoiceCB")->currentIndex(), 0);
        QCOMPARE(c->Voice->Voice(), voices.Item(0));
        control<QComboBox>(*c, "VoiceCB")->setCurrentIndex(voices.Count() - 1);
        QCOMPARE(c->Voice->Voice().Id(), voices.Item(voices.Count() - 1).Id());

        const SpObjectTokens outputs = c->Voice->GetAudioOutputs();
        if (outputs.Count() == 0)
            NO_AUDIO_OUTPUT("no audio output");
        QCOMPARE(control<QComboBox>(*c, "AudioOutputCB")->count(), outputs.Count());
        for (int i = 0; i < outputs.Count(); ++i)
            QCOMPARE(control<QComboBox>(*c, "AudioOutputCB")->itemText(i), outputs.Item(i).GetDescription(0));
        QVERIFY(control<QComboBox>(*c, "AudioOutputCB")->isEnabled());
        QCOMPARE(control<QComboBox>(*c, "AudioOutputCB")->currentIndex(), 0);
        QCOMPARE(c->Voice->AudioOutput(), outputs.Item(0));
        QVERIFY(log().isEmpty());
    }

    void formatListAfterLoad()
    {
        QCOMPARE(control<QComboBox>(*c, "FormatCB")->count(), 36);
        int row = 0;
        for (const char* rate : { "8", "11", "12", "16", "22", "24", "32", "44", "48" }) {
            for (const char* kind : { "8BitMono", "8BitStereo", "16BitMono", "16BitStereo" }) {
                QCOMPARE(
                    control<QComboBox>(*c, "FormatCB")->itemText(row), QStringLiteral("SAFT%1kHz%2").arg(rate, kind));
                QCOMPARE(control<QComboBox>(*c, "FormatCB")->itemData(row), QVariant(row + 4));
                ++row;
            }
        }
        QCOMPARE(control<QComboBox>(*c, "FormatCB")->currentText(), QStringLiteral("SAFT22kHz16BitMono"));
        QCOMPARE(c->Voice->AudioOutputStream()->Format().Type(), 22);

        // An added row goes to the end with its value and does not apply itself.
        c->AddFormat(QStringLiteral("SAFT99kHz"), 99);
        QCOMPARE(control<QComboBox>(*c, "FormatCB")->itemText(36), QStringLiteral("SAFT99kHz"));
        QCOMPARE(control<QComboBox>(*c, "FormatCB")->itemData(36), QVariant(99));
        QCOMPARE(control<QComboBox>(*c, "FormatCB")->currentText(), QStringLiteral("SAFT22kHz16BitMono"));
        QVERIFY(log().isEmpty());
        control<QComboBox>(*c, "FormatCB")->setCurrentIndex(36);
        QCOMPARE(log().size(), 1);
        QVERIFY(log()[0].startsWith(QStringLiteral("Set format error: ")));
        QVERIFY(log()[0].size() > 20);
    }

    void choosingAFormat_data()
    {
        QTest::addColumn<int>("value");
        QTest::newRow("SAFT8kHz8BitMono") << 4;
        QTest::newRow("SAFT48kHz16BitStereo") << 39;
        QTest::newRow("SAFT11kHz16BitStereo") << 11;
    }

    void choosingAFormat()
    {
        QFETCH(int, value);
        control<QComboBox>(*c, "FormatCB")
            ->setCurrentIndex(
                control<QComboBox>(*c, "FormatCB")->findText(QString::fromLatin1(QTest::currentDataTag())));
        QCOMPARE(c->Voice->AudioOutputStream()->Format().Type(), value);
        // Choosing the output again applies the selected format to it.
        c->Voice->AudioOutputStream()->Format().setType(30);
        c->AudioOutputCB_Click();
        QCOMPARE(c->Voice->AudioOutputStream()->Format().Type(), value);
        if (c->Voice->GetAudioOutputs().Count() == 0)
            NO_AUDIO_OUTPUT("no audio output");
        QSignalSpy ended(c->Voice.get(), &SpVoice::EndStream);
        c->funcVoiceSpeak(QStringLiteral("Hello."));
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 15000);
        QCOMPARE(log(), QStringList { "Speak" });
    }

    void resizeMakesTheSettingsPanelAsTallAsTheWindow()
    {
        for (const int height : { 300, 700, 420 }) {
            c->resize(c->width(), height);
            QCOMPARE(control<QGroupBox>(*c, "Frame2")->height(), c->frameGeometry().height());
        }
        QMdiArea area;
        area.resize(900, 900);
        QMdiSubWindow* sub = area.addSubWindow(c);
        area.show();
        sub->resize(200, 640);
        QCOMPARE(control<QGroupBox>(*c, "Frame2")->height(), 640);
        sub->setWidget(nullptr); // the registry owns the console
        QVERIFY(!c->parentWidget());
    }

    void speakFlags_data()
    {
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<int>("flags");
        QTest::newRow("at load") << QStringList {} << 11;
        QTest::newRow("IsXML unticked") << QStringList { "IsXML" } << 19;
        QTest::newRow("IsXML ticked again") << QStringList { "IsXML", "IsXML" } << 11;
        QTest::newRow("NLPSpeakPunc then PersistXML") << QStringList { "NLPSpeakPunc", "PersistXML" } << 107;
        QTest::newRow("FlagsAsync unticked") << QStringList { "Aync" } << 10;
        QTest::newRow("PurgeBeforeSpeak unticked") << QStringList { "PurgeBeforeSpeak" } << 9;
        QTest::newRow("IsFilename ticked") << QStringList { "IsFilename" } << 15;
        QTest::newRow("all defaults off") << QStringList { "Aync", "PurgeBeforeSpeak", "IsXML" } << 16;
        QTest::newRow("greyed counts as ticked") << QStringList { "NLPSpeakPunc greyed" } << 75;
    }

    void speakFlags()
    {
        QFETCH(QStringList, clicks);
        QFETCH(int, flags);
        const QList<bool> atLoad { control<QCheckBox>(*c, "chkSpFlagAync")->isChecked(),
            control<QCheckBox>(*c, "chkSpFlagPurgeBeforeSpeak")->isChecked(),
            control<QCheckBox>(*c, "chkSpFlagIsFilename")->isChecked(),
            control<QCheckBox>(*c, "chkSpFlagIsXML")->isChecked(),
            control<QCheckBox>(*c, "chkSpFlagPersistXML")->isChecked(),
            control<QCheckBox>(*c, "chkSpFlagNLPSpeakPunc")->isChecked(),
            control<QCheckBox>(*c, "chkShowEvents")->isChecked() };
        QCOMPARE(atLoad, QList<bool>({ true, true, false, true, false, false, false }));
        for (const QString& click : clicks) {
            auto* box = c->findChild<QCheckBox*>(QStringLiteral("chkSpFlag") + click.section(' ', 0, 0));
            QVERIFY(box);
            if (click.endsWith(QLatin1String("greyed")))
                box->setCheckState(Qt::PartiallyChecked);
            else
                box->click();
        }
        QCOMPARE(c->SpeakFlags, flags);
    }

    void speakPauseAndSpeakAgain()
    {
        QVERIFY(buttons(false, false, false, "Pause"));
        if (c->Voice->GetAudioOutputs().Count() == 0)
            NO_AUDIO_OUTPUT("no audio output");
        QSignalSpy started(c->Voice.get(), &SpVoice::StartStream);
        QSignalSpy ended(c->Voice.get(), &SpVoice::EndStream);
        QSignalSpy words(c->Voice.get(), &SpVoice::Word);
        control<QPlainTextEdit>(*c, "MainTxtBox")
            ->setPlainText(QStringLiteral("One two three four five six seven eight nine ten."));
        control<QPushButton>(*c, "SpeakBtn")->click();
        QVERIFY(buttons(true, true, true, "Pause"));
        QVERIFY(c->IsSpeaking && !c->IsPaused);
        QTRY_VERIFY_WITH_TIMEOUT(words.size() >= 2, 15000);

        control<QPushButton>(*c, "PauseBtn")->click();
        QVERIFY(buttons(true, false, true, "Resume"));
        QVERIFY(c->IsSpeaking && c->IsPaused);
        const qsizetype heard = words.size();
        QTest::qWait(600);
        QCOMPARE(words.size(), heard);

        control<QPushButton>(*c, "SpeakBtn")->click(); // resumes the speech instead of queueing the text again
        QVERIFY(buttons(true, true, true, "Pause"));
        QTRY_VERIFY_WITH_TIMEOUT(words.size() > heard, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 15000);
        QCOMPARE(started.size(), 1);
        QCOMPARE(log(), QStringList({ "Speak", "Pause", "Speak" }));
    }

    void stopWhilePaused()
    {
        if (c->Voice->GetAudioOutputs().Count() == 0)
            NO_AUDIO_OUTPUT("no audio output");
        QSignalSpy ended(c->Voice.get(), &SpVoice::EndStream);
        QSignalSpy words(c->Voice.get(), &SpVoice::Word);
        c->funcVoiceSpeak(longText);
        QTRY_VERIFY_WITH_TIMEOUT(words.size() >= 1, 15000);
        c->VoicePause();
        control<QPushButton>(*c, "StopBtn")->click();
        QCOMPARE(ended.size(), 1);
        QVERIFY(buttons(false, false, false, "Pause"));
        QVERIFY(!c->IsSpeaking && !c->IsPaused);
        QCOMPARE(log(), QStringList({ "Speak", "Pause", "Stop" }));
        c->Voice->Speak(QStringLiteral("Hi."), SVSFlagsAsync); // plays: the voice was resumed
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 2, 15000);
    }

    void resetReturnsEverything_data()
    {
        QTest::addColumn<bool>("moveLists");
        QTest::newRow("lists moved") << true;
        QTest::newRow("voice and format changed behind the lists") << false;
    }

    void resetReturnsEverything()
    {
        QFETCH(bool, moveLists);
        if (c->Voice->GetAudioOutputs().Count() == 0)
            NO_AUDIO_OUTPUT("no audio output");
        QSignalSpy ended(c->Voice.get(), &SpVoice::EndStream);
        QSignalSpy words(c->Voice.get(), &SpVoice::Word);
        c->funcVoiceSpeak(QStringLiteral("One two three four five six seven eight."));
        QTRY_VERIFY_WITH_TIMEOUT(words.size() >= 1, 15000);
        c->VoicePause();
        const SpObjectTokens voices = c->Voice->GetVoices();
        if (moveLists) {
            control<QComboBox>(*c, "VoiceCB")->setCurrentIndex(3);
            control<QComboBox>(*c, "FormatCB")->setCurrentIndex(0);
        } else {
            c->Voice->setVoice(voices.Item(3));
            c->Voice->AudioOutputStream()->Format().setType(30);
        }
        control<QPlainTextEdit>(*c, "MainTxtBox")->setPlainText(QStringLiteral("changed"));
        control<QSlider>(*c, "VolumeSldr")->setValue(30);
        control<QSlider>(*c, "RateSldr")->setValue(5);
        for (QCheckBox* box : { control<QCheckBox>(*c, "chkSpFlagIsXML"),
                 control<QCheckBox>(*c, "chkSpFlagNLPSpeakPunc"), control<QCheckBox>(*c, "chkSpFlagPersistXML"),
                 control<QCheckBox>(*c, "chkSpFlagIsFilename"), control<QCheckBox>(*c, "chkSpFlagAync") })
            box->click();
        control<QLineEdit>(*c, "SkipTxtBox")->setText(QStringLiteral("7"));
        control<QLabel>(*c, "VisemePicture")->setPixmap(QPixmap(8, 8));

        control<QPushButton>(*c, "ResetBtn")->click();
        QCOMPARE(control<QComboBox>(*c, "AudioOutputCB")->currentIndex(), 0);
        QCOMPARE(control<QComboBox>(*c, "VoiceCB")->currentIndex(), 0);
        QCOMPARE(c->Voice->Voice(), voices.Item(0));
        QCOMPARE(control<QComboBox>(*c, "FormatCB")->currentText(), QStringLiteral("SAFT22kHz16BitMono"));
        QCOMPARE(c->Voice->AudioOutputStream()->Format().Type(), 22);
        QCOMPARE(control<QPlainTextEdit>(*c, "MainTxtBox")->toPlainText(),
            QStringLiteral("Enter text you wish spoken here."));
        QCOMPARE(QList<int>({ control<QSlider>(*c, "VolumeSldr")->value(), control<QSlider>(*c, "RateSldr")->value() }),
            QList<int>({ 100, 0 }));
        QCOMPARE(QList<int>({ c->Voice->Volume(), c->Voice->Rate() }), QList<int>({ 100, 0 }));
        QCOMPARE(c->SpeakFlags, 11);
        const QList<bool> boxes { control<QCheckBox>(*c, "chkSpFlagAync")->isChecked(),
            control<QCheckBox>(*c, "chkSpFlagPurgeBeforeSpeak")->isChecked(),
            control<QCheckBox>(*c, "chkSpFlagIsFilename")->isChecked(),
            control<QCheckBox>(*c, "chkSpFlagIsXML")->isChecked(),
            control<QCheckBox>(*c, "chkSpFlagPersistXML")->isChecked(),
            control<QCheckBox>(*c, "chkSpFlagNLPSpeakPunc")->isChecked() };
        QCOMPARE(boxes, QList<bool>({ true, true, false, true, false, false }));
        QCOMPARE(control<QPlainTextEdit>(*c, "DebugTxtBox")->toPlainText(), QString());
        QCOMPARE(control<QLineEdit>(*c, "SkipTxtBox")->text(), QStringLiteral("0"));
        QCOMPARE(control<QLabel>(*c, "VisemePicture")->pixmap().toImage(),
            c->Composite(QStringLiteral("MICFULL"), QStringLiteral("MICFULL")).convertToFormat(QImage::Format_RGB32));
        QVERIFY(buttons(false, false, false, "Pause"));
        QVERIFY(!c->IsSpeaking && !c->IsPaused);
        // The speech under way goes on: the voice was resumed, not stopped.
        QCOMPARE(ended.size(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), 1, 15000);
    }

    void skipMovesBySentences()
    {
        QList<int> starts { 0 };
        for (int i = longText.indexOf(QLatin1String(". ")); i >= 0; i = longText.indexOf(QLatin1String(". "), i + 1))
            starts << i + 2;
        QCOMPARE(starts.size(), 7);
        struct Step {
            QString count;
            int from;
        };
        const QList<Step> steps { { " 3.5 ", 0 }, { "-2", 4 }, { "2.5", 2 }, { "+1", 4 } };
        QList<int> reached;
        QObject context;
        connect(c->Voice.get(), &SpVoice::Sentence, &context, [&](int, QVariant, int position, int) {
            int sentence = 0;
            while (sentence + 1 < starts.size() && starts[sentence + 1] <= position)
                ++sentence;
            reached << sentence;
            const int next = reached.size() - 1;
            if (next < steps.size() && steps[next].from == sentence) {
                control<QLineEdit>(*c, "SkipTxtBox")->setText(steps[next].count);
                control<QPushButton>(*c, "SkipBtn")->click();
            }
        });
        control<QPlainTextEdit>(*c, "MainTxtBox")->setPlainText(longText);
        QSignalSpy started(c->Voice.get(), &SpVoice::StartStream);
        control<QPlainTextEdit>(*c, "DebugTxtBox")->clear();
        c->VoiceSpeak();
        QVERIFY(c->Voice->WaitUntilDone(60000));
        QCOMPARE(started.size(), 1);
        QCOMPARE(reached.mid(0, 5), QList<int>({ 0, 4, 2, 4, 5 }));
        QCOMPARE(log(), QStringList({ "Speak", "Skip", "Skip", "Skip", "Skip" }));
    }

    void skipCountsThatFail_data()
    {
        QTest::addColumn<QString>("count");
        QTest::addColumn<bool>("fails");
        QTest::newRow("letters") << "abc" << true;
        QTest::newRow("too large") << "40000" << true;
        QTest::newRow("below the range") << "-32769" << true;
        QTest::newRow("rounds out of range") << "32767.5" << true;
        QTest::newRow("empty") << "" << true;
        QTest::newRow("two points") << "1.5.2" << true;
        QTest::newRow("lowest, with blanks") << " -32768 " << false;
        QTest::newRow("half below the lowest rounds to even") << "-32768.5" << false;
    }

    void skipCountsThatFail()
    {
        QFETCH(QString, count);
        QFETCH(bool, fails);
        control<QLineEdit>(*c, "SkipTxtBox")->setText(count);
        c->SkipBtn_Click();
        QCOMPARE(log().value(0), QStringLiteral("Skip"));
        QCOMPARE(log().size(), fails ? 2 : 1);
        if (fails) {
            QVERIFY(log()[1].startsWith(QStringLiteral("Skip Error: ")));
            QVERIFY(log()[1].contains(count.trimmed()));
            QVERIFY(log()[1].size() > 22);
        }
    }

    void spinnerStepsTheSkipCount()
    {
        QCOMPARE(control<UpDown>(*c, "UpDown1")->buddy(), control<QLineEdit>(*c, "SkipTxtBox"));
        QCOMPARE(QList<int>({ control<UpDown>(*c, "UpDown1")->minimum(), control<UpDown>(*c, "UpDown1")->maximum() }),
            QList<int>({ -50, 50 }));
        auto* up = control<UpDown>(*c, "UpDown1")->findChild<QToolButton*>(QStringLiteral("up"));
        auto* down = control<UpDown>(*c, "UpDown1")->findChild<QToolButton*>(QStringLiteral("down"));
        up->click();
        QCOMPARE(control<QLineEdit>(*c, "SkipTxtBox")->text(), QStringLiteral("1"));
        control<QLineEdit>(*c, "SkipTxtBox")->setText(QStringLiteral("49"));
        up->click();
        up->click();
        QCOMPARE(control<QLineEdit>(*c, "SkipTxtBox")->text(), QStringLiteral("50"));
        control<QLineEdit>(*c, "SkipTxtBox")->setText(QStringLiteral("abc")); // free text stays until a step
        down->click();
        QCOMPARE(control<QLineEdit>(*c, "SkipTxtBox")->text(), QStringLiteral("49"));
        QTest::keyClick(control<QLineEdit>(*c, "SkipTxtBox"), Qt::Key_Down);
        QCOMPARE(control<QLineEdit>(*c, "SkipTxtBox")->text(), QStringLiteral("48"));
    }

    void logIsBounded_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("cut");
        QTest::newRow("empty") << 0 << 0;
        QTest::newRow("exactly 64000") << 64000 << 0;
        QTest::newRow("64001") << 64001 << 10240;
        QTest::newRow("far over: one cut per line") << 80000 << 10240;
    }

    void logIsBounded()
    {
        QFETCH(int, length);
        QFETCH(int, cut);
        QString filler;
        for (int i = 0; filler.size() < length; ++i)
            filler += QStringLiteral("line %1 of the log\n").arg(i);
        filler.truncate(length);
        control<QPlainTextEdit>(*c, "DebugTxtBox")->setPlainText(filler);
        c->AppendLogText(QStringLiteral("Set format error: "), QStringLiteral("detail"));
        const QString expected = filler.mid(cut) + QStringLiteral("Set format error: detail\n");
        QCOMPARE(control<QPlainTextEdit>(*c, "DebugTxtBox")->toPlainText(), expected);
        QCOMPARE(control<QPlainTextEdit>(*c, "DebugTxtBox")->textCursor().position(), expected.size());
    }

    void speakingEmptyTexts()
    {
        QSignalSpy started(c->Voice.get(), &SpVoice::StartStream);
        control<QPlainTextEdit>(*c, "MainTxtBox")->clear();
        control<QPushButton>(*c, "SpeakBtn")->click();
        QCOMPARE(log(), QStringList { "Speak" });
        QVERIFY(buttons(false, false, false, "Pause"));
        QTest::qWait(300);
        QCOMPARE(started.size(), 0);
        if (c->Voice->GetAudioOutputs().Count() == 0)
            NO_AUDIO_OUTPUT("no audio output");
        c->funcVoiceSpeak(QStringLiteral(""));
        QVERIFY(buttons(true, true, true, "Pause"));
        QTRY_COMPARE_WITH_TIMEOUT(started.size(), 1, 5000);
        c->funcVoiceSpeak(QString());
        QTRY_COMPARE_WITH_TIMEOUT(started.size(), 2, 5000);
        QCOMPARE(log(), QStringList({ "Speak", "Speak", "Speak" }));
    }

    void speakFailures()
    {
        control<QCheckBox>(*c, "chkSpFlagIsFilename")->click();
        control<QPlainTextEdit>(*c, "MainTxtBox")->setPlainText(QStringLiteral("/nonexistent/parlora.txt"));
        c->VoiceSpeak();
        QCOMPARE(log().size(), 2);
        QVERIFY(log()[1].startsWith(QStringLiteral("Speak Error: ")));
        QVERIFY(log()[1].contains(QStringLiteral("/nonexistent/parlora.txt")));
        QVERIFY(buttons(false, false, false, "Pause"));

        c->SetSpeakState(false, true); // a stream that ended while paused
        c->SpeakFlags = SVSFlagsAsync | SVSFIsXML | SVSFIsNotXML;
        c->funcVoiceSpeak(QStringLiteral("Hello."));
        QVERIFY(log()[3].startsWith(QStringLiteral("Speak Error: ")));
        QVERIFY(buttons(false, false, false, "Resume"));
        QVERIFY(!c->IsSpeaking && c->IsPaused);

        c->close(); // unloads: the voice goes, the console keeps answering
        QVERIFY(!c->Voice);
        c->SetSpeakState(true, false);
        c->VoiceStop();
        QCOMPARE(log().size(), 6);
        QVERIFY(log()[5].startsWith(QStringLiteral("Speak Error: ")));
        QVERIFY(buttons(true, true, true, "Pause"));
    }

    void restFace()
    {
        const QImage face = c->mouthPictures().picture(1);
        QCOMPARE(c->mouthPictures().picture(QStringLiteral("MICFULL")), face);
        QCOMPARE(face.size(), QSize(128, 128));
        QVERIFY(!QImage(QStringLiteral(":/console/face/01.png")).hasAlphaChannel());
        QRect opaque;
        for (int y = 0; y < 128; ++y)
            for (int x = 0; x < 128; ++x)
                if ((face.pixel(x, y) & 0xFFFFFF) != 0xFF00FF)
                    opaque |= QRect(x, y, 1, 1);
        QCOMPARE(opaque, QRect(QPoint(18, 26), QPoint(117, 121)));
        // The bands that later pictures replace are wholly covered by the face.
        for (int y = 53; y <= 92; ++y)
            for (int x = 18; x <= 117; ++x)
                QVERIFY((face.pixel(x, y) & 0xFFFFFF) != 0xFF00FF);

        QCOMPARE(c->mouthPictures().MaskColor, 0xFF00FF);
        QCOMPARE(c->mouthPictures().BackColor, GetSysColor(COLOR_BTNFACE));
        const QImage rest = control<QLabel>(*c, "VisemePicture")->pixmap().toImage();
        QCOMPARE(rest.pixelColor(0, 0), ImageList::toQColor(GetSysColor(COLOR_BTNFACE)));
        QCOMPARE(rest.pixel(68, 62), face.pixel(68, 62));
        QCOMPARE(rest.pixel(18, 80), face.pixel(18, 80));
    }

    void loadFailsWithoutSpeechData()
    {
        QTemporaryDir empty;
        const ConsoleChild::Result child = ConsoleChild::run({ { "ESPEAK_DATA_PATH", empty.path() } });
        QCOMPARE(child.exitStatus, QProcess::NormalExit);
        QVERIFY(child.exitCode != 0);
        QCOMPARE(child.values("msgbox.title"), QStringList { "Parlora v1.0" });
        QCOMPARE(child.values("msgbox.style"), QStringList { "0" });
        QCOMPARE(child.values("msgbox.text"),
            QStringList { "Error in initialization: \r\n\r\n(vxrt2000k1 not installed), Please view Readme.txt"
                          "\r\n\r\nShutting down." });
        QVERIFY(child.values("loaded").isEmpty());
    }

    void loadWithoutAudioOutput()
    {
        const ConsoleChild::Result child = ConsoleChild::run({ { "PULSE_SERVER", "unix:/nonexistent" } });
        QCOMPARE(child.exitStatus, QProcess::NormalExit);
        QCOMPARE(child.exitCode, 0);
        QVERIFY(child.values("msgbox.text").isEmpty());
        QCOMPARE(child.values("outputs"), QStringList { "No audio ouput object available" });
        QCOMPARE(child.values("outputs.enabled"), QStringList { "0" });
        const QStringList lines = child.values("log");
        QCOMPARE(lines.size(), 1);
        QVERIFY(lines[0].startsWith(QStringLiteral("Set audio output error: ")));
        QVERIFY(lines[0].size() > 24);
        QCOMPARE(child.values("reset.text"), QStringList { "Enter text you wish spoken here." });
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (ConsoleChild::isChild(argc, argv))
        return ConsoleChild::load();
    tst_frmConsole test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_frmConsole.moc"
