#include "MDIMain.h"

#include "ColorValue.h"
#include "SystemColors.h"
#include "Twips.h"
#include "WindowRegistry.h"
#include "frmButtons.h"
#include "frmConsole.h"
#include "frmEditor.h"
#include "frmRandomText.h"
#include "frmSplash.h"

#include <QAction>
#include <QBitmap>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QToolBar>

namespace {

// Outer size below which the layout pass enlarges the window, and the console's strip.
constexpr int minimumOuterWidth = 9735;
constexpr int minimumOuterHeight = 8600;
constexpr int consoleWidth = 2100;
constexpr int consoleInset = 200;

QString indexed(const QString& name, int index)
{
    return QStringLiteral("%1(%2)").arg(name).arg(index);
}

struct ToolbarButton {
    const char* key; // nullptr: a separator
    const char* toolTip;
};

constexpr std::array<ToolbarButton, 20> toolbarButtons { {
    { "New", "New" },
    { "Print", "Print" },
    { "Save", "Save" },
    { "Open", "Open" },
    { nullptr, nullptr },
    { "Cut", "Cut" },
    { "Copy", "Copy" },
    { "Paste", "Paste" },
    { "Delete", "Delete" },
    { nullptr, nullptr },
    { "Undo", "Undo" },
    { "Redo", "Redo" },
    { nullptr, nullptr },
    { "Record", "Record" },
    { "Play", "Play" },
    { "Pause", "Pause" },
    { "Stop", "Stop" },
    { nullptr, nullptr },
    { "Time", "Current Time" },
    { "Date", "Current Date" },
} };

} // namespace

MDIMain::MDIMain()
{
    Q_INIT_RESOURCE(shell);
    setObjectName(QStringLiteral("MDIMain"));

    mdiArea = new QMdiArea(this);
    mdiArea->setObjectName(QStringLiteral("mdiArea"));
    mdiArea->setBackground(ColorValue::toQColor(GetSysColor(COLOR_APPWORKSPACE)));
    setCentralWidget(mdiArea);

    buildMenus();
    buildToolbar();
    resize(Twips::toPixelsX(8985), Twips::toPixelsY(7200));
}

MDIMain::~MDIMain() = default;

void MDIMain::buildMenus()
{
    mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    const QString file = QStringLiteral("mnuFileItems");
    mnuFileItems[0] = addItem(mnuFile, file, 0, QStringLiteral("&New"), Qt::CTRL | Qt::Key_N);
    mnuFileItems[1] = addItem(mnuFile, file, 1, QStringLiteral("&Open"), Qt::CTRL | Qt::Key_O);
    mnuFileItems[2] = addItem(mnuFile, file, 2, QStringLiteral("&Save"), Qt::CTRL | Qt::Key_S);
    mnuFileItems[3] = addItem(mnuFile, file, 3, QStringLiteral("Save &As"), {});
    mnuFileItems[4] = addItem(mnuFile, file, 4, QStringLiteral("Save to *.wav"), {});
    mnuFileItems[5] = addSeparator(mnuFile, file, 5);
    mnuFileItems[6] = addItem(mnuFile, file, 6, QStringLiteral("&Print"), Qt::CTRL | Qt::Key_P);
    mnuFileItems[7] = addSeparator(mnuFile, file, 7);
    mnuFileItems[8] = addItem(mnuFile, file, 8, QStringLiteral("&Exit"), Qt::CTRL | Qt::Key_E);
    for (int i = 0; i < static_cast<int>(mnuFileItems.size()); ++i)
        connect(mnuFileItems[i], &QAction::triggered, this, [this, i] { mnuFileItems_Click(i); });

    mnuEditItem = menuBar()->addMenu(QStringLiteral("&Edit"));
    mnuEditItem->setObjectName(QStringLiteral("mnuEditItem"));
    const QString edit = QStringLiteral("mnuEditItems");
    mnuEditItems[0] = addItem(mnuEditItem, edit, 0, QStringLiteral("&Undo"), Qt::CTRL | Qt::Key_U);
    mnuEditItems[1] = addSeparator(mnuEditItem, edit, 1);
    mnuEditItems[2] = addItem(mnuEditItem, edit, 2, QStringLiteral("&Cut"), Qt::CTRL | Qt::Key_X);
    mnuEditItems[3] = addItem(mnuEditItem, edit, 3, QStringLiteral("C&opy"), Qt::CTRL | Qt::Key_C);
    mnuEditItems[4] = addItem(mnuEditItem, edit, 4, QStringLiteral("&Paste"), Qt::CTRL | Qt::Key_V);
    mnuEditItems[5] = addItem(mnuEditItem, edit, 5, QStringLiteral("Delete"), Qt::Key_Delete);
    for (int i = 0; i < static_cast<int>(mnuEditItems.size()); ++i)
        connect(mnuEditItems[i], &QAction::triggered, this, [this, i] { mnuEditItems_Click(i); });

    mnuModes = menuBar()->addMenu(QStringLiteral("Modes"));
    mnuModes->setObjectName(QStringLiteral("mnuModes"));
    const QString modes = QStringLiteral("mnuModesItems");
    mnuModesItems[0] = addItem(mnuModes, modes, 0, QStringLiteral("&Text Editor Mode"), {});
    mnuModesItems[1] = addItem(mnuModes, modes, 1, QStringLiteral("&Quick Text Mode"), {});
    mnuModesItems[2] = addItem(mnuModes, modes, 2, QStringLiteral("&Programmed Buttons Mode"), {});
    for (int i = 0; i < static_cast<int>(mnuModesItems.size()); ++i) {
        mnuModesItems[i]->setCheckable(true);
        // The handler sets every check mark itself, whatever the toolkit toggled.
        connect(mnuModesItems[i], &QAction::triggered, this, [this, i] { mnuModesItems_Click(i); });
    }
    mnuModesItems[0]->setChecked(true);

    mnuSettings = menuBar()->addMenu(QStringLiteral("&Settings"));
    mnuSettings->setObjectName(QStringLiteral("mnuSettings"));
    const QString settings = QStringLiteral("mnuSettingsItem");
    mnuSettingsItem[0] = addItem(mnuSettings, settings, 0, QStringLiteral("Change &Backgound Color"), {});
    mnuSettingsItem[1] = addItem(mnuSettings, settings, 1, QStringLiteral("Change &Text Color"), {});
    for (int i = 0; i < static_cast<int>(mnuSettingsItem.size()); ++i)
        connect(mnuSettingsItem[i], &QAction::triggered, this, [this, i] { mnuSettingsItem_Click(i); });
    mnuSettingsItems[2] = addSeparator(mnuSettings, QStringLiteral("mnuSettingsItems"), 2);
    mnuAutoSpeech = mnuSettings->addAction(QStringLiteral("Automatic Speech"));
    mnuAutoSpeech->setObjectName(QStringLiteral("mnuAutoSpeech"));
    mnuAutoSpeech->setCheckable(true);
    mnuAutoSpeech->setChecked(true);
    // Choosing the item leaves its mark alone; the toolkit has already flipped it, so flip it back.
    connect(mnuAutoSpeech, &QAction::triggered, this, [this](bool checked) {
        mnuAutoSpeech->setChecked(!checked);
        mnuAutoSpeech_Click();
    });

    mnuHelp = menuBar()->addMenu(QStringLiteral("Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    const QString help = QStringLiteral("mnuHelpItems");
    mnuHelpItems[0] = addItem(mnuHelp, help, 0, QStringLiteral("&Help"), Qt::CTRL | Qt::Key_H);
    mnuHelpItems[1] = addItem(mnuHelp, help, 1, QStringLiteral("About Parlora"), {});
    for (int i = 0; i < static_cast<int>(mnuHelpItems.size()); ++i)
        connect(mnuHelpItems[i], &QAction::triggered, this, [this, i] { mnuHelpItems_Click(i); });
}

QAction* MDIMain::addItem(
    QMenu* menu, const QString& name, int index, const QString& caption, const QKeySequence& shortcut)
{
    QAction* item = menu->addAction(caption);
    item->setObjectName(indexed(name, index));
    item->setShortcut(shortcut);
    return item;
}

QAction* MDIMain::addSeparator(QMenu* menu, const QString& name, int index)
{
    QAction* separator = menu->addSeparator();
    separator->setObjectName(indexed(name, index));
    return separator;
}

void MDIMain::buildToolbar()
{
    for (const ToolbarButton& button : toolbarButtons) {
        if (button.key) {
            const QString key = QLatin1String(button.key);
            ToolBarIcons.add(QImage(QStringLiteral(":/shell/toolbar/%1.png").arg(key)), key);
        }
    }

    ToolbarA = addToolBar(QStringLiteral("Toolbar"));
    ToolbarA->setObjectName(QStringLiteral("ToolbarA"));
    ToolbarA->setMovable(false);
    ToolbarA->setFloatable(false);
    ToolbarA->setIconSize(ToolBarIcons.size());
    // Only the mode switch shows and hides the toolbar, so the frame's context menu may not.
    ToolbarA->toggleViewAction()->setVisible(false);

    const QColor mask = ImageList::toQColor(ToolBarIcons.MaskColor);
    for (std::size_t i = 0; i < toolbarButtons.size(); ++i) {
        const ToolbarButton& button = toolbarButtons[i];
        QAction* action = nullptr;
        if (button.key) {
            const QString key = QLatin1String(button.key);
            QPixmap picture = QPixmap::fromImage(ToolBarIcons.picture(key));
            picture.setMask(picture.createMaskFromColor(mask, Qt::MaskInColor));
            action = ToolbarA->addAction(QIcon(picture), key);
            action->setToolTip(QLatin1String(button.toolTip));
            action->setData(key);
        } else {
            action = ToolbarA->addSeparator();
        }
        action->setObjectName(indexed(QStringLiteral("Buttons"), static_cast<int>(i) + 1));
    }
    connect(ToolbarA, &QToolBar::actionTriggered, this,
        [this](QAction* button) { ToolbarA_ButtonClick(button->data().toString()); });
}

QMdiSubWindow& MDIMain::consoleFrame()
{
    frmConsole& speech = WindowRegistry::get<frmConsole>();
    if (auto* frame = qobject_cast<QMdiSubWindow*>(speech.parentWidget()); frame && frame->mdiArea() == mdiArea)
        return *frame;
    // Sizable and titled, but without the buttons that would minimise, maximise or close it away.
    QMdiSubWindow* frame
        = mdiArea->addSubWindow(&speech, Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    frame->setObjectName(QStringLiteral("frmConsoleFrame"));
    // The registry owns the console: closing the frame must not delete it.
    frame->setAttribute(Qt::WA_DeleteOnClose, false);
    frame->setWindowTitle(QStringLiteral("Speech Console"));
    frame->move(0, 0);
    frame->show();
    return *frame;
}

frmConsole& MDIMain::console()
{
    consoleFrame();
    return WindowRegistry::get<frmConsole>();
}

template <typename Page> Page& MDIMain::page()
{
    Page& window = WindowRegistry::get<Page>();
    if (window.mdiArea() != mdiArea)
        embedPage(window);
    return window;
}

void MDIMain::embedPage(QMdiSubWindow& window)
{
    // A page that hid itself while loading stays hidden; any other is shown, as children are on load.
    const bool hiddenByItself = window.isHidden() && window.testAttribute(Qt::WA_WState_ExplicitShowHide);
    // Adding a window makes it a plain child window; its own look (borderless) is put back after.
    const Qt::WindowFlags look = window.windowFlags() & ~Qt::WindowType_Mask;
    mdiArea->addSubWindow(&window);
    window.setWindowFlags(Qt::SubWindow | look);
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.setVisible(!hiddenByItself);
}

void MDIMain::Form_Load()
{
    MDIForm_Load();
}

void MDIMain::MDIForm_Load()
{
    WindowRegistry::unload<frmSplash>();
    consoleFrame();
    setWindowTitle(ProductCaption + QStringLiteral(" - Text Editor Mode"));
    ResizeForms();
    page<frmButtons>().hide();
    page<frmRandomText>().hide();
    page<frmEditor>().show();
    LoadSettings();
}

void MDIMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    MDIForm_Resize();
}

// Minimising and restoring need not change the size, yet each is a resize of the window's state.
void MDIMain::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        MDIForm_Resize();
}

// Closing the frame closes its child windows too, each with its own closing handler.
void MDIMain::closeEvent(QCloseEvent* event)
{
    mdiArea->closeAllSubWindows();
    QMainWindow::closeEvent(event);
}

void MDIMain::MDIForm_Resize()
{
    ResizeForms();
}

void MDIMain::ResizeForms()
{
    if (isMinimized())
        return;
    // Compared in pixels: a minimum that falls between two pixels would otherwise never be met.
    if (frameGeometry().width() < Twips::toPixelsX(minimumOuterWidth))
        setOuterSize(Twips::toPixelsX(minimumOuterWidth), frameGeometry().height());
    if (frameGeometry().height() < Twips::toPixelsY(minimumOuterHeight))
        setOuterSize(frameGeometry().width(), Twips::toPixelsY(minimumOuterHeight));

    const int width = Twips::fromPixelsX(frameGeometry().width());
    const int height = Twips::fromPixelsY(frameGeometry().height());
    const int stripLeft = width - consoleWidth - consoleInset;

    QMdiSubWindow& frame = consoleFrame();
    frame.setGeometry(Twips::toPixelsX(stripLeft), frame.y(), Twips::toPixelsX(consoleWidth), Twips::toPixelsY(height));

    frmEditor& editor = page<frmEditor>();
    if (!editor.isHidden())
        editor.setGeometry(Twips::toPixels(0, 0, stripLeft, height));
    frmButtons& buttons = page<frmButtons>();
    if (!buttons.isHidden())
        buttons.setGeometry(0, 0, editor.width(), editor.height());
    frmRandomText& randomText = page<frmRandomText>();
    if (!randomText.isHidden())
        randomText.setGeometry(0, 0, editor.width(), editor.height());

    SaveSettings();
}

void MDIMain::setOuterSize(int widthPixels, int heightPixels)
{
    const QSize frameExtra = frameGeometry().size() - size();
    resize(widthPixels - frameExtra.width(), heightPixels - frameExtra.height());
}

void MDIMain::mnuModesItems_Click(int index)
{
    for (QAction* item : mnuModesItems)
        item->setChecked(false);
    page<frmEditor>().hide();
    page<frmButtons>().hide();
    page<frmRandomText>().hide();
    mnuModesItems.at(static_cast<std::size_t>(index))->setChecked(true);
    ToolbarA->hide();
    setModeItemsEnabled(false);
    switch (index) {
    case 0:
        setModeItemsEnabled(true);
        setWindowTitle(ProductCaption + QStringLiteral(" - Text Editor Mode"));
        ToolbarA->show();
        page<frmEditor>().show();
        break;
    case 1:
        setWindowTitle(ProductCaption + QStringLiteral(" - Random Text Mode"));
        page<frmRandomText>().show();
        break;
    case 2:
        setWindowTitle(ProductCaption + QStringLiteral(" - Programmed Buttons Mode"));
        page<frmButtons>().show();
        break;
    }
    ResizeForms();
}

// File items New to Print and the Edit items, separators left out; separator 7 and Exit keep theirs.
void MDIMain::setModeItemsEnabled(bool enabled)
{
    for (const int i : { 0, 1, 2, 3, 4, 6 })
        mnuFileItems[i]->setEnabled(enabled);
    for (const int i : { 0, 2, 3, 4, 5 })
        mnuEditItems[i]->setEnabled(enabled);
}

void MDIMain::LoadSettings()
{
    SettingsLoaded = true;
}

// Settings.ini comes with the settings' own work; even then nothing is written before LoadSettings.
void MDIMain::SaveSettings()
{
    ++m_saveSettingsCalls;
}

// The menu and toolbar commands come with their own work; until then choosing them does nothing.
void MDIMain::mnuFileItems_Click(int)
{
}
void MDIMain::mnuEditItems_Click(int)
{
}
void MDIMain::mnuSettingsItem_Click(int)
{
}
void MDIMain::mnuAutoSpeech_Click()
{
}
void MDIMain::mnuHelpItems_Click(int)
{
}
void MDIMain::ToolbarA_ButtonClick(const QString&)
{
}

void MDIMain::funcSpeakTTS(QString speaktext)
{
    console().funcVoiceSpeak(speaktext);
}

// The console cannot record yet; the text goes to its SaveToWave once that exists.
void MDIMain::funcRecordWavTTS(QString)
{
}
