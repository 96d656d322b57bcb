#pragma once

#include "CommonDialog.h"
#include "ImageList.h"
#include "ProductCaption.h"
#include "TextEncoding.h"

#include <QMainWindow>
#include <array>
#include <functional>
#include <map>
#include <optional>

class ConsoleLogViews;
class FramePlacement;
class MainMenus;
class MainToolbar;
class PronunciationSettings;
class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class SpeechMenu;
class SpokenTextFollower;
class frmButtons;
class frmConsole;
class frmEditor;
class frmRandomText;
struct SettingsFields;
struct SettingsValues;

// The main window: a multiple-document frame with the menu bar, the toolbar and the colour
// dialog. Its child area holds the speech console in a strip at the right and one of the three
// mode pages to the left of it; the layout pass places them and the Modes menu switches pages.
// Positions and sizes in its operations are twips. The pages speak, record and enable saving
// through their signals, which the window connects where it first embeds each page.
class MDIMain : public QMainWindow {
    Q_OBJECT
public:
    // The product caption its titles begin with.
    static inline const QString& ProductCaption = ::ProductCaption;
    // The console's strip at the right edge, in twips: its width and its inset from the edge.
    static constexpr int ConsoleStripWidth = 2100;
    static constexpr int ConsoleStripInset = 200;

    MDIMain();
    ~MDIMain() override;

    // The registry's load call; runs MDIForm_Load.
    void Form_Load();
    void MDIForm_Load();
    void MDIForm_Resize();
    void ResizeForms();

    // Restores the window's size and position, the colours and the automatic-speech mark from
    // Settings.ini; a file that is missing or faulty puts the window at the top left corner and is
    // rewritten from the current state.
    void LoadSettings();
    // Writes Settings.ini once LoadSettings has run. A failed write is reported once a run.
    void SaveSettings();
    // How often SaveSettings has been called, written or not.
    int saveSettingsCalls() const { return m_saveSettingsCalls; }
    // Settings.ini in the application folder.
    QString settingsPath() const;

    void mnuFileItems_Click(int index);
    void mnuEditItems_Click(int index);
    void mnuModesItems_Click(int index);
    void mnuSettingsItem_Click(int index);
    void mnuAutoSpeech_Click();
    void mnuHighlightWords_Click();
    void mnuWriteSubtitles_Click();
    void mnuPronunciation_Click();
    void mnuHelpItems_Click(int index);
    void ToolbarA_ButtonClick(const QString& key);

    void funcSpeakTTS(const QString& speaktext);
    void funcRecordWavTTS(const QString& recordtext);
    // Speaks the editor's text from the start of the word at its cursor, or its selection.
    void readFromCursor();

    // Preferences.ini, beside Settings.ini: the preferences Settings.ini has no field for.
    QString preferencesPath() const;
    // Follows the console's streams to the boxes they were spoken from, marking the words there.
    SpokenTextFollower& spokenText();

    // The frame in the child area that holds the console (created and placed on first use).
    QMdiSubWindow& consoleFrame();
    // The window's outer frame as the settings and the layout pass mean it, title bar included;
    // it holds the wanted frame until the window manager has framed the window.
    FramePlacement& placement() const { return *m_placement; }

    // The mode whose Modes item is checked: 0 the editor, 1 Quick Text, 2 Programmed Buttons.
    int currentMode() const;
    // Shows the toolbar's Pause button pressed or released.
    void showPaused(bool paused);
    // The toolbar's pictures, keyed by the buttons' keys.
    const ImageList& toolbarPictures() const { return ToolBarIcons; }

    bool SettingsLoaded = false;
    // Ends the program at once, without any window's closing handlers: the event loop returns and
    // the windows are destroyed directly. Tests put a recorder in its place.
    std::function<void()> EndProgram;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void setModeItemsEnabled(bool enabled);
    frmConsole& console();
    template <typename Page> Page& page();
    void embedPage(QMdiSubWindow& page);
    void connectPage(frmEditor& editor);
    void connectPage(frmRandomText& quickText);
    void connectPage(frmButtons& buttons);
    void setOuterSize(int widthPixels, int heightPixels);
    QSize minimumOuterSize() const;
    QRect availableArea() const;
    void runEditCommand(const QString& name);
    void runToolbarCommand(const QString& key);
    void playEditorText();
    void speakTypedSentence(int offset, const QString& text);
    void loadPreferences();
    void exitProgram();
    void applySettings(const SettingsFields& file);
    SettingsValues currentSettings();

    // Builds the menu bar into the menus and items below.
    friend class MainMenus;

    QMdiArea* mdiArea;
    QMenu* mnuFile;
    std::array<QAction*, 9> mnuFileItems {};
    QMenu* mnuEditItem;
    std::array<QAction*, 6> mnuEditItems {};
    QMenu* mnuModes;
    std::array<QAction*, 3> mnuModesItems {};
    QMenu* mnuSettings;
    std::array<QAction*, 2> mnuSettingsItem {};
    std::map<int, QAction*> mnuSettingsItems; // only index 2, the separator
    QAction* mnuAutoSpeech;
    // After Automatic Speech: marks the word being spoken in the box it comes from.
    QAction* mnuHighlightWords;
    // Last: recordings also write SubRip and LRC subtitles beside them.
    QAction* mnuWriteSubtitles;
    QAction* mnuPronunciation = nullptr;
    // The pronunciation rules, loaded with the preferences.
    PronunciationSettings* Pronunciation = nullptr;
    QMenu* mnuHelp;
    std::array<QAction*, 2> mnuHelpItems {};
    // Play, Pause/Resume, Stop and Record in every mode; after the Settings menu.
    SpeechMenu* Speech;
    // The console's failures as notices over this window, and its whole log in a window of its own.
    ConsoleLogViews* LogViews = nullptr;
    MainToolbar* ToolbarA;
    ImageList ToolBarIcons;
    CommonDialog Dialogs { this };

    FramePlacement* m_placement;
    SpokenTextFollower* m_spokenText = nullptr;
    int m_saveSettingsCalls = 0;
    bool m_settingsWriteFailed = false;
    // The encoding Settings.ini was read in; nothing when it could not be read.
    std::optional<TextEncoding> m_settingsEncoding;
};
