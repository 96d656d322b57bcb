#pragma once

#include "CommonDialog.h"
#include "FacePictures.h"
#include "ImageList.h"
#include "SeenTabOrder.h"
#include "VisemeFace.h"
#include "WholeTextLists.h"
#include "engine/api/SpVoice.h"

#include <QWidget>
#include <functional>
#include <memory>

class EventItems;
class EventLogBox;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSlider;
class TextSpanSelector;
class UpDown;

// The speech console: owns the program's one voice object and the controls that choose its
// voice, format, output, rate and volume; speaks, pauses, stops, skips and resets; keeps the
// event log and shows the face. Every other window speaks through funcVoiceSpeak, VoicePause and
// VoiceStop. Failures of the console's own operations become lines of the event log.
class frmConsole : public QWidget {
    Q_OBJECT
public:
    frmConsole();
    ~frmConsole() override;

    // Creates the voice and fills the lists; on failure tells the user and ends the program.
    void Form_Load();
    void Form_Resize();
    void Form_Unload();

    void AddFormat(const QString& name, int value);
    void LoadFormats();
    void AppendLogText(const QString& text, const QString& tail);
    // The event log as far back as it is kept, each line ended by CR LF.
    QString logText() const;
    // The face list's overlay: first on the background colour, second over it; numbers or keys.
    QImage Composite(const QVariant& first, const QVariant& second) const;
    // The face and mouth pictures, numbered and keyed as the face list holds them.
    const ImageList& mouthPictures() const { return MouthImgList; }
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
    // Queues text behind whatever is being spoken, neither purging nor resuming it; returns the
    // stream number it is spoken under.
    int funcVoiceQueue(const QString& speaktext);
    // Moves the speech count sentences on (negative: back), as Skip does with its own count.
    void SkipSentences(int count);
    // The stream number of the text given to the voice last; 0 before any.
    int lastStreamNumber() const { return m_lastStream; }

    // The voice's events. Each writes its line to the event log when "Show Events" is ticked,
    // then acts; a step that fails writes one line with the failure and the handler goes on.
    void Voice_StartStream(int StreamNum, const QVariant& StreamPos);
    void Voice_EndStream(int StreamNum, const QVariant& StreamPos);
    void Voice_VoiceChange(int StreamNum, const QVariant& StreamPos, const SpObjectToken& Token);
    void Voice_Bookmark(int StreamNumber, const QVariant& StreamPosition, const QString& Bookmark, int BookmarkId);
    void Voice_Word(int StreamNum, const QVariant& StreamPos, int Pos, int Length);
    void Voice_Sentence(int StreamNum, const QVariant& StreamPos, int Pos, int Length);
    void Voice_Phoneme(int StreamNumber, const QVariant& StreamPosition, int Duration, short NextPhoneId, int Feature,
        short CurrentPhoneId);
    void Voice_Viseme(
        int StreamNum, const QVariant& StreamPos, int Duration, int VisemeType, int Feature, int VisemeId);
    void Voice_AudioLevel(int StreamNumber, const QVariant& StreamPosition, int AudioLevel);
    void Voice_EnginePrivate(int StreamNumber, int StreamPosition, const QVariant& lParam);
    void Voice_SynthesizerTrouble(int StreamNumber, const QString& Description, bool Restarted);

    // Writes "  Event: " and the items joined by ", " when "Show Events" is ticked.
    void LogVoiceEvent(const QStringList& items);
    // Selects length characters of MainTxtBox from start, unless the text spoken is a file name.
    void HighlightSpan(int start, int length);
    // The face with the mouth or eyes of the viseme; the rest face for one outside the list.
    void ShowViseme(int VisemeId);

    // Speaks savetext into a wave file that the user chooses, in the format selected in FormatCB,
    // and returns when the file is complete; the voice then speaks to the selected output again.
    // A recording that fails creates no file and leaves a file of that name as it was.
    void SaveToWave(const QString& savetext);

    // The voice object; throws PlatformError once the console has released it.
    SpVoice& voice() const;
    // Markup the voice could not read was spoken as text: the speech goes on, and the log says
    // why the tags in it were heard.
    void reportMarkupReadAsText();

    std::unique_ptr<SpVoice> Voice;
    int SpeakFlags = SVSFlagsAsync | SVSFPurgeBeforeSpeak | SVSFIsXML;
    // SaveToWave also writes SubRip and LRC subtitles beside each recording.
    bool WriteSubtitles = false;
    bool IsSpeaking = false;
    bool IsPaused = false;

signals:
    // Each line AppendLogText writes: its fixed text and its tail (a failure's description).
    void logLineAppended(const QString& text, const QString& tail);
    // The spoken text's spans as its events reach them (not raised while the text spoken is a
    // file name), the end of each stream, and Stop or Reset, after which no span of the streams
    // before stays marked.
    void wordSpoken(int StreamNum, int Pos, int Length);
    void sentenceSpoken(int StreamNum, int Pos, int Length);
    void streamStarted(int StreamNum);
    void streamEnded(int StreamNum);
    void spokenTextReleased();

protected:
    bool focusNextPrevChild(bool next) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void showSliderValues();
    void select(QComboBox* list, int index, void (frmConsole::*choice)());
    void speak(const QString& text);
    void speakAndWait(const QString& text);
    void speakWith(const QString& text, int flags);
    bool logSpeaking(const std::function<void()>& speaking);
    void restoreSpeakFlags();
    void connectVoice();
    template <typename Action> void onVoiceEvent(const EventItems& line, Action&& action);
    void showFace(const QVariant& overlay);
    void selectVoiceNamed(const SpObjectToken& token);
    void reportEventFailure(const QString& event, const std::exception& failure);

    // Builds the controls below and wires them to the handlers.
    friend class ConsoleControls;

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
    QLabel* RateValue; // the rate's number, right in Label3's row
    QLabel* VolumeValue; // the volume's number, right in Label4's row
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

    // Made once the controls exist.
    std::unique_ptr<SeenTabOrder> m_tabOrder;
    std::unique_ptr<WholeTextLists> m_wholeTexts;
    std::unique_ptr<EventLogBox> m_log;
    std::unique_ptr<TextSpanSelector> m_spokenSpan; // highlights the word spoken in MainTxtBox
    FacePictures m_faces { MouthImgList, VisemeFace::wholeFace };
    int m_lastStream = 0;
};
