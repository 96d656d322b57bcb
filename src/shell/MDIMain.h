#pragma once

#include "CommonDialog.h"
#include "ImageList.h"

#include <QMainWindow>
#include <array>
#include <map>

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;
class frmConsole;

// The main window: a multiple-document frame with the menu bar, the toolbar and the colour
// dialog. Its child area holds the speech console in a strip at the right and one of the three
// mode pages to the left of it; the layout pass places them and the Modes menu switches pages.
// Positions and sizes in its operations are twips.
class MDIMain : public QMainWindow {
    Q_OBJECT
public:
    static inline const QString ProductCaption = QStringLiteral("Parlora v1.0");

    MDIMain();
    ~MDIMain() override;

    // The registry's load call; runs MDIForm_Load.
    void Form_Load();
    void MDIForm_Load();
    void MDIForm_Resize();
    void ResizeForms();

    void LoadSettings();
    void SaveSettings();
    // How often SaveSettings has been called, written or not.
    int saveSettingsCalls() const { return m_saveSettingsCalls; }

    void mnuFileItems_Click(int index);
    void mnuEditItems_Click(int index);
    void mnuModesItems_Click(int index);
    void mnuSettingsItem_Click(int index);
    void mnuAutoSpeech_Click();
    void mnuHelpItems_Click(int index);
    void ToolbarA_ButtonClick(const QString& key);

    void funcSpeakTTS(QString speaktext);
    void funcRecordWavTTS(QString recordtext);

    // The frame in the child area that holds the console (created and placed on first use).
    QMdiSubWindow& consoleFrame();

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
    QMenu* mnuHelp;
    std::array<QAction*, 2> mnuHelpItems {};
    QToolBar* ToolbarA;
    ImageList ToolBarIcons;
    CommonDialog Dialogs { this };
    bool SettingsLoaded = false;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildToolbar();
    QAction* addItem(QMenu* menu, const QString& name, int index, const QString& caption, const QKeySequence& shortcut);
    QAction* addSeparator(QMenu* menu, const QString& name, int index);
    void setModeItemsEnabled(bool enabled);
    frmConsole& console();
    template <typename Page> Page& page();
    void embedPage(QMdiSubWindow& page);
    void setOuterSize(int widthPixels, int heightPixels);

    int m_saveSettingsCalls = 0;
};
