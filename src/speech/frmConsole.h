#pragma once

#include "CommonDialog.h"
#include "ImageList.h"
#include "SpVoice.h"

#include <QWidget>
#include <memory>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSlider;
class UpDown;

// The speech console: owns the program's one voice object and the controls that choose its
// voice, format, output, rate and volume; speaks, pauses, stops, skips and resets; keeps the
// event log and shows the face. Every other window speaks through funcVoiceSpeak, VoicePause and
// VoiceStop. Failures of the console's own operations become lines of the event log.
class frmConsole : public QWidget {
    Q_OBJECT
public:
    frmConsole();

    // Creates the voice and fills the lists; on failure tells the user and ends the program.
    void Form_Load();
    void Form_Resize();
    void Form_Unload();

    void AddFormat(const QString& name, int value);
    void LoadFormats();
    void AppendLogText(const QString& text, const QString& tail);
    // The face list's overlay: first on the background colour, second over it; numbers or keys.
    QImage Composite(const QVariant& first, const QVariant& second) const;
    void ShowRestFace();

    void VoiceCB_Click();
    void FormatCB_Click();
    void AudioOutputCB_Click();
    void RateSldr_Scroll();
    void VolumeSldr_Scroll();

    static int UpdateFlagBit(short ticked, int flags, int bit);
    void chkSpFlagAync_Click();
    void chkSpFlagPurgeBeforeSpeak_Click();
    void chkSpFlagIsFilename_Click();
    void chkSpFlagIsXML_Click();
    void chkSpFlagPersistXML_Click();
    void chkSpFlagNLPSpeakPunc_Click();

    void SetSpeakState(bool speaking, bool paused);
    void VoiceSpeak();
    void funcVoiceSpeak(const QString& speaktext);
    void VoiceStop();
    void VoicePause();
    void SkipBtn_Click();
    void ResetBtn_Click();

    // Speaks savetext into a wave file that the user chooses, in the format selected in FormatCB,
    // and returns when the file is complete; the voice then speaks to the selected output again.
    void SaveToWave(const QString& savetext);

    std::unique_ptr<SpVoice> Voice;
    int SpeakFlags = SVSFlagsAsync | SVSFPurgeBeforeSpeak | SVSFIsXML;
    bool IsSpeaking = false;
    bool IsPaused = false;

    QLabel* VisemePicture;
    QGroupBox* Frame2;
    QLabel* Label2;
    QComboBox* VoiceCB;
    QLabel* Label5;
    QComboBox* FormatCB;
    QLabel* Label1;
    QComboBox* AudioOutputCB;
    QLabel* Label3;
    QSlider* RateSldr;
    QLabel* Label4;
    QSlider* VolumeSldr;
    QPlainTextEdit* MainTxtBox;
    QPushButton* SpeakBtn;
    QPushButton* PauseBtn;
    QPushButton* StopBtn;
    QPushButton* SkipBtn;
    QPushButton* ResetBtn;
    QLineEdit* SkipTxtBox;
    UpDown* UpDown1;
    QGroupBox* Frame1;
    QCheckBox* chkSpFlagAync;
    QCheckBox* chkSpFlagPurgeBeforeSpeak;
    QCheckBox* chkSpFlagIsFilename;
    QCheckBox* chkSpFlagIsXML;
    QCheckBox* chkSpFlagPersistXML;
    QCheckBox* chkSpFlagNLPSpeakPunc;
    QCheckBox* chkShowEvents;
    QPlainTextEdit* DebugTxtBox;
    ImageList MouthImgList;
    CommonDialog ComDlg { this };

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void connectControls();
    SpVoice& voice() const;
    void select(QComboBox* list, int index, void (frmConsole::*choice)());
    void speak(const QString& text);
    void restoreSpeakFlags();
};
