#include "MDIMain.h"

#include "ApplicationIcon.h"
#include "ColorValue.h"
#include "ConsoleLogViews.h"
#include "EditCommands.h"
#include "EditShortcutRouter.h"
#include "FramePlacement.h"
#include "IndexedName.h"
#include "MessageBoxes.h"
#include "OnScreenKeeper.h"
#include "PlatformError.h"
#include "SettingsFile.h"
#include "SpeechMenu.h"
#include "SystemColors.h"
#include "Twips.h"
#include "WindowRegistry.h"
#include "frmAbout.h"
#include "frmButtons.h"
#include "frmConsole.h"
#include "frmEditor.h"
#include "frmHelp.h"
#include "frmRandomText.h"
#include "frmSplash.h"

#include <QAction>
#include <QBitmap>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QGuiApplication>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QScreen>
#include <QTime>
#include <QToolBar>
#include <algorithm>
#include <cmath>

namespace {

// Outer size below which the layout pass enlarges the window.
constexpr int minimumOuterWidth = 9735;
constexpr int minimumOuterHeight = 8600;

// Larger than this no desktop window can be, nor stand farther from the desktop's origin.
constexpr int largestWindowPixels = 32767;
// How much of a title bar must lie on a screen for a user to take hold of it: its whole height
// (at least this many pixels before the window manager has told it) and this much of its width.
constexpr int smallestTitleHeight = 8;
constexpr int smallestTitleGrip = 48;

// A stored size or position in pixels; the window refuses what no desktop could show.
int windowPixels(float twips, int (*toPixels)(int), bool isSize)
{
    const auto refuse = [] { throw PlatformError(QStringLiteral("Invalid property value")); };
    if (!std::isfinite(twips) || std::fabs(twips) > 1.0e7f)
        refuse();
    const int pixels = toPixels(static_cast<int>(std::lround(twips)));
    if (std::abs(pixels) > largestWindowPixels || (isSize && pixels < 0))
        refuse();
    return pixels;
}

QRect availableDesktop()
{
    QRect desktop;
    for (const QScreen* screen : QGuiApplication::screens())
        desktop |= screen->availableGeometry();
    return desktop;
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
    ApplicationIcon::applyTo(*this);

    mdiArea = new QMdiArea(this);
    mdiArea->setObjectName(QStringLiteral("mdiArea"));
    mdiArea->setBackground(ColorValue::toQColor(GetSysColor(COLOR_APPWORKSPACE)));
    setCentralWidget(mdiArea);

    buildMenus();
    buildToolbar();
    resize(Twips::toPixelsX(8985), Twips::toPixelsY(7200));
    // The layout pass and the settings speak of the outer frame, which a window manager gives
    // the window only when it maps it.
    m_placement = new FramePlacement(*this);
    // Every other window it opens is kept wholly on a screen; this one keeps its stored place.
    OnScreenKeeper::setKeepsOwnPlace(*this);
    new OnScreenKeeper(this);
    EndProgram = [] { QCoreApplication::exit(0); };
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
    // Ctrl+Z is the key most users reach for first; Ctrl+U stays the item's own.
    mnuEditItems[0]->setShortcuts({ QKeySequence(Qt::CTRL | Qt::Key_U), QKeySequence(Qt::CTRL | Qt::Key_Z) });
    for (int i = 0; i < static_cast<int>(mnuEditItems.size()); ++i)
        connect(mnuEditItems[i], &QAction::triggered, this, [this, i] { mnuEditItems_Click(i); });
    // The Edit keys act on the editor's text wherever the focus is, even in another text box.
    new EditShortcutRouter(
        { mnuEditItems[0], mnuEditItems[2], mnuEditItems[3], mnuEditItems[4], mnuEditItems[5] }, this);

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
    // The handler flips the mark itself; the toolkit has flipped it already, so flip that back.
    connect(mnuAutoSpeech, &QAction::triggered, this, [this](bool checked) {
        mnuAutoSpeech->setChecked(!checked);
        mnuAutoSpeech_Click();
    });

    Speech = new SpeechMenu(*this);

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
    item->setObjectName(indexedName(name, index));
    item->setShortcut(shortcut);
    return item;
}

QAction* MDIMain::addSeparator(QMenu* menu, const QString& name, int index)
{
    QAction* separator = menu->addSeparator();
    separator->setObjectName(indexedName(name, index));
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
            ToolbarA->widgetForAction(action)->setAccessibleName(QLatin1String(button.toolTip));
            action->setData(key);
            // Pause shows pressed while speech stands paused.
            action->setCheckable(key == QLatin1String("Pause"));
        } else {
            action = ToolbarA->addSeparator();
        }
        action->setObjectName(indexedName(QStringLiteral("Buttons"), static_cast<int>(i) + 1));
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
    LogViews = new ConsoleLogViews(*this, Speech->menu(), console());
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

// Closing the frame offers unsaved work for saving, then closes the child windows too, each with
// its own closing handler. It writes no settings.
void MDIMain::closeEvent(QCloseEvent* event)
{
    if (!page<frmEditor>().OfferToSaveWork()) {
        event->ignore();
        return;
    }
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
    const QSize minimum = minimumOuterSize();
    if (m_placement->frame().width() < minimum.width())
        setOuterSize(minimum.width(), m_placement->frame().height());
    if (m_placement->frame().height() < minimum.height())
        setOuterSize(m_placement->frame().width(), minimum.height());

    const int width = Twips::fromPixelsX(m_placement->frame().width());
    const int height = Twips::fromPixelsY(m_placement->frame().height());
    const int stripLeft = width - ConsoleStripWidth - ConsoleStripInset;

    // The whole place, top too: a console dragged down would otherwise keep its lists out of sight.
    QMdiSubWindow& frame = consoleFrame();
    frame.setGeometry(Twips::toPixelsX(stripLeft), 0, Twips::toPixelsX(ConsoleStripWidth), Twips::toPixelsY(height));

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
    m_placement->setFrameSize(QSize(widthPixels, heightPixels));
}

// The design's smallest frame, but never more than the screen can show: on a small screen, or
// one scaled up, the window must still fit and its lower edge be reachable.
QSize MDIMain::minimumOuterSize() const
{
    const QSize design(Twips::toPixelsX(minimumOuterWidth), Twips::toPixelsY(minimumOuterHeight));
    return design.boundedTo(availableArea().size());
}

QRect MDIMain::availableArea() const
{
    const QScreen* shownOn = screen() ? screen() : QGuiApplication::primaryScreen();
    return shownOn ? shownOn->availableGeometry() : QRect(0, 0, largestWindowPixels, largestWindowPixels);
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
    try {
        const SettingsFields fields = SettingsFile(settingsPath()).read();
        m_settingsEncoding = fields.encoding;
        applySettings(fields);
        SettingsLoaded = true;
    } catch (const std::exception&) {
        // What was applied before the fault stays; the window goes to the corner and the file is
        // repaired. The corner is the one the desktop leaves free of its panels.
        m_placement->moveFrame(availableArea().topLeft());
        SettingsLoaded = true;
        SaveSettings();
    }
}

// Fields are converted as they are applied, so a fault keeps the effect of the fields before it.
void MDIMain::applySettings(const SettingsFields& file)
{
    // A size stored on a larger desktop is cut to what the screens can show.
    const QSize desktop = availableDesktop().size();
    const int largestWidth = desktop.width();
    const int largestHeight = desktop.height();
    const int width = windowPixels(SettingsFile::toSingle(file.fields[0]), Twips::toPixelsX, true);
    setOuterSize(qMin(width, largestWidth), m_placement->frame().height());
    const int height = windowPixels(SettingsFile::toSingle(file.fields[1]), Twips::toPixelsY, true);
    setOuterSize(m_placement->frame().width(), qMin(height, largestHeight));
    const int left = windowPixels(SettingsFile::toSingle(file.fields[2]), Twips::toPixelsX, false);
    const int top = windowPixels(SettingsFile::toSingle(file.fields[3]), Twips::toPixelsY, false);
    placeOnScreen(left, top);

    const int textColor = SettingsFile::toLong(file.fields[4]);
    const int backColor = SettingsFile::toLong(file.fields[5]);
    page<frmRandomText>().setForeColor(textColor);
    page<frmRandomText>().setBackColor(backColor);
    page<frmEditor>().setForeColor(textColor);
    page<frmEditor>().setBackColor(backColor);
    mnuAutoSpeech->setChecked(SettingsFile::toTruth(file.fields[6]));
}

// A window whose title bar no screen shows could never be dragged back, so such a place is
// refused.
void MDIMain::placeOnScreen(int leftPixels, int topPixels)
{
    const int titleHeight = qMax(m_placement->margins().top(), smallestTitleHeight);
    const QRect title(leftPixels, topPixels, m_placement->frame().width(), titleHeight);
    const QList<QScreen*> screens = QGuiApplication::screens();
    const bool reachable = std::any_of(screens.begin(), screens.end(), [&title](const QScreen* screen) {
        const QRect shown = screen->availableGeometry().intersected(title);
        return shown.height() == title.height() && shown.width() >= qMin(title.width(), smallestTitleGrip);
    });
    if (!reachable)
        throw PlatformError(
            QStringLiteral("Invalid property value: the window's title bar would stand off every screen."));
    m_placement->moveFrame(QPoint(leftPixels, topPixels));
}

void MDIMain::SaveSettings()
{
    ++m_saveSettingsCalls;
    if (!SettingsLoaded)
        return;
    try {
        // The file keeps the encoding it was read in; a new one is written as new files are.
        const TextEncoding encoding = m_settingsEncoding.value_or(LocaleTextCodec::newFileEncoding());
        SettingsFile(settingsPath()).write(currentSettings(), encoding);
    } catch (const PlatformError& failure) {
        // Every resize writes the file, so an unwritable file is reported once a run, not at each.
        if (m_settingsWriteFailed)
            return;
        m_settingsWriteFailed = true;
        MsgBox(QStringLiteral("The settings could not be saved.\n%1").arg(failure.description()), vbExclamation,
            ProductCaption, this);
    }
}

QString MDIMain::settingsPath() const
{
    return QDir(WindowRegistry::services().folder->applicationFolder()).filePath(QStringLiteral("Settings.ini"));
}

SettingsValues MDIMain::currentSettings()
{
    SettingsValues values;
    if (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) {
        values.width = 8400;
        values.height = 9735;
    } else {
        values.width = static_cast<float>(Twips::fromPixelsX(m_placement->frame().width()));
        values.height = static_cast<float>(Twips::fromPixelsY(m_placement->frame().height()));
    }
    values.left = static_cast<float>(Twips::fromPixelsX(m_placement->frame().x()));
    values.top = static_cast<float>(Twips::fromPixelsY(m_placement->frame().y()));
    values.textColor = page<frmEditor>().foreColor();
    values.backColor = page<frmEditor>().backColor();
    values.autoSpeech = mnuAutoSpeech->isChecked();
    return values;
}

void MDIMain::mnuFileItems_Click(int index)
{
    frmEditor& editor = page<frmEditor>();
    switch (index) {
    case 0:
        editor.NewFile();
        break;
    case 1:
        editor.OpenFile();
        break;
    case 2:
        editor.SaveFile();
        break;
    case 3:
        editor.SaveAsFile();
        break;
    case 4:
        console().SaveToWave(editor.plainText());
        break;
    case 6:
        editor.PrintFile();
        break;
    case 8:
        exitProgram();
        break;
    }
}

// Unsaved work is offered for saving first; a cancelled or failed save keeps the program open.
void MDIMain::exitProgram()
{
    if (!page<frmEditor>().OfferToSaveWork())
        return;
    SaveSettings();
    EndProgram();
}

void MDIMain::mnuEditItems_Click(int index)
{
    static const QStringList commands { "Undo", "", "Cut", "Copy", "Paste", "Delete" };
    runEditCommand(commands.value(index));
}

void MDIMain::runEditCommand(const QString& name)
{
    frmEditor& editor = page<frmEditor>();
    if (name == QLatin1String("Cut"))
        EditCommands::Cut(editor);
    else if (name == QLatin1String("Copy"))
        EditCommands::Copy(editor);
    else if (name == QLatin1String("Paste"))
        EditCommands::Paste(editor);
    else if (name == QLatin1String("Delete"))
        EditCommands::Delete(editor);
    else if (name == QLatin1String("Undo"))
        editor.UndoMe_Click();
    else if (name == QLatin1String("Redo"))
        editor.RedoUndoString();
}

void MDIMain::mnuSettingsItem_Click(int index)
{
    // Asked to report a cancel, the dialog lets a cancel change nothing at all.
    Dialogs.CancelError = true;
    try {
        Dialogs.ShowColor();
    } catch (const PlatformError& failure) {
        if (failure.number() == CommonDialog::cancelErrorNumber)
            return;
        throw;
    }
    if (index == 0) {
        page<frmEditor>().setBackColor(Dialogs.Color);
        page<frmRandomText>().setBackColor(Dialogs.Color);
    } else {
        page<frmEditor>().setForeColor(Dialogs.Color);
        page<frmRandomText>().setForeColor(Dialogs.Color);
    }
    SaveSettings();
}

// The choice flips the mark and stores it, so the mark the user sees is the one kept.
void MDIMain::mnuAutoSpeech_Click()
{
    mnuAutoSpeech->setChecked(!mnuAutoSpeech->isChecked());
    SaveSettings();
}

void MDIMain::mnuHelpItems_Click(int index)
{
    // A window that is open already is shown again as it stands, restored if it was minimised.
    QWidget* window = nullptr;
    if (index == 0)
        window = &WindowRegistry::get<frmHelp>();
    else if (index == 1)
        window = &WindowRegistry::get<frmAbout>();
    if (!window)
        return;
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

// Every failure ends the command silently; what it did before the failure stays done.
void MDIMain::ToolbarA_ButtonClick(const QString& key)
{
    try {
        runToolbarCommand(key);
    } catch (...) {
    }
}

void MDIMain::runToolbarCommand(const QString& key)
{
    static const QStringList editing { "Cut", "Copy", "Paste", "Delete", "Undo", "Redo" };
    frmEditor& editor = page<frmEditor>();
    if (key == QLatin1String("New"))
        editor.NewFile();
    else if (key == QLatin1String("Open"))
        editor.OpenFile();
    else if (key == QLatin1String("Save"))
        mnuFileItems[2]->isEnabled() ? editor.SaveFile() : editor.SaveAsFile();
    else if (key == QLatin1String("Print"))
        editor.PrintFile();
    else if (editing.contains(key))
        runEditCommand(key);
    else if (key == QLatin1String("Record"))
        console().SaveToWave(editor.plainText());
    else if (key == QLatin1String("Play"))
        playEditorText();
    else if (key == QLatin1String("Pause"))
        console().VoicePause();
    else if (key == QLatin1String("Stop"))
        console().VoiceStop();
    else if (key == QLatin1String("Date"))
        console().funcVoiceSpeak(QLocale::system().toString(QDate::currentDate(), QLocale::LongFormat));
    else if (key == QLatin1String("Time"))
        console().funcVoiceSpeak(QLocale::system().toString(QTime::currentTime(), QStringLiteral("hh:mm AP")));
}

// Speaking anew releases the Pause button: it shows pressed only while speech stands paused.
void MDIMain::playEditorText()
{
    toolbarButton(QStringLiteral("Pause"))->setChecked(false);
    console().funcVoiceSpeak(page<frmEditor>().plainText());
}

QAction* MDIMain::toolbarButton(const QString& key) const
{
    const QList<QAction*> buttons = ToolbarA->actions();
    const auto found = std::find_if(
        buttons.begin(), buttons.end(), [&key](const QAction* button) { return button->data().toString() == key; });
    return found == buttons.end() ? nullptr : *found;
}

int MDIMain::currentMode() const
{
    const auto checked = std::find_if(
        mnuModesItems.begin(), mnuModesItems.end(), [](const QAction* item) { return item->isChecked(); });
    return checked == mnuModesItems.end() ? 0 : static_cast<int>(checked - mnuModesItems.begin());
}

void MDIMain::showPaused(bool paused)
{
    for (QAction* button : ToolbarA->actions()) {
        if (button->data().toString() == QLatin1String("Pause"))
            button->setChecked(paused);
    }
}

void MDIMain::setFileItemEnabled(int index, bool enabled)
{
    mnuFileItems.at(static_cast<std::size_t>(index))->setEnabled(enabled);
}

void MDIMain::funcSpeakTTS(const QString& speaktext)
{
    console().funcVoiceSpeak(speaktext);
}

void MDIMain::funcRecordWavTTS(const QString& recordtext)
{
    console().SaveToWave(recordtext);
}
