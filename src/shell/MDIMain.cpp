#include "MDIMain.h"

#include "ApplicationIcon.h"
#include "ColorValue.h"
#include "ConsoleLogViews.h"
#include "EditCommands.h"
#include "FramePlacement.h"
#include "FrameSettings.h"
#include "MainMenus.h"
#include "MainToolbar.h"
#include "MessageBoxes.h"
#include "OnScreenKeeper.h"
#include "PlatformError.h"
#include "Preferences.h"
#include "PronunciationSettings.h"
#include "SettingsFile.h"
#include "SpeechMenu.h"
#include "SpokenTextFollower.h"
#include "SpokenTextHighlighter.h"
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
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QTime>
#include <algorithm>

namespace {

// Outer size below which the layout pass enlarges the window.
constexpr int minimumOuterWidth = 9735;
constexpr int minimumOuterHeight = 8600;

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

    MainMenus::build(*this);
    ToolbarA = new MainToolbar(ToolBarIcons, this);
    addToolBar(ToolbarA);
    connect(ToolbarA, &QToolBar::actionTriggered, this,
        [this](QAction* button) { ToolbarA_ButtonClick(button->data().toString()); });
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

// A page is embedded, and its requests connected, where the main window first refers to it.
template <typename Page> Page& MDIMain::page()
{
    Page& window = WindowRegistry::get<Page>();
    if (window.mdiArea() != mdiArea) {
        embedPage(window);
        connectPage(window);
    }
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

// The editor's document decides when it can be saved; File > Save and Save As follow it.
void MDIMain::connectPage(frmEditor& editor)
{
    connect(&editor, &frmEditor::saveAvailable, mnuFileItems[2], &QAction::setEnabled);
    connect(&editor, &frmEditor::saveAsAvailable, mnuFileItems[3], &QAction::setEnabled);
    connect(&editor, &frmEditor::sentenceTyped, this, &MDIMain::speakTypedSentence);
}

void MDIMain::connectPage(frmRandomText& quickText)
{
    connect(&quickText, &frmRandomText::speakRequested, this,
        [this](const QString& text, SpokenTextHighlighter* source) { spokenText().speak(text, source, 0); });
    connect(&quickText, &frmRandomText::recordRequested, this, &MDIMain::funcRecordWavTTS);
}

void MDIMain::connectPage(frmButtons& buttons)
{
    connect(&buttons, &frmButtons::speakRequested, this, &MDIMain::funcSpeakTTS);
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
    Speech->addReadingItems();
    setWindowTitle(ProductCaption + QStringLiteral(" - Text Editor Mode"));
    ResizeForms();
    page<frmButtons>().hide();
    page<frmRandomText>().hide();
    page<frmEditor>().show();
    LoadSettings();
    loadPreferences();
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
    constexpr int largest = FrameSettings::largestWindowPixels;
    return shownOn ? shownOn->availableGeometry() : QRect(0, 0, largest, largest);
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
    FrameSettings(*m_placement).apply(file);
    const int textColor = SettingsFile::toLong(file.fields[4]);
    const int backColor = SettingsFile::toLong(file.fields[5]);
    page<frmRandomText>().setForeColor(textColor);
    page<frmRandomText>().setBackColor(backColor);
    page<frmEditor>().setForeColor(textColor);
    page<frmEditor>().setBackColor(backColor);
    mnuAutoSpeech->setChecked(SettingsFile::toTruth(file.fields[6]));
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
    SettingsValues values = FrameSettings(*m_placement).stored(windowState());
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

void MDIMain::mnuHighlightWords_Click()
{
    const bool on = !mnuHighlightWords->isChecked();
    mnuHighlightWords->setChecked(on);
    spokenText().setEnabled(on);
    Preferences(preferencesPath()).setHighlightSpokenWords(on);
}

void MDIMain::mnuWriteSubtitles_Click()
{
    const bool on = !mnuWriteSubtitles->isChecked();
    mnuWriteSubtitles->setChecked(on);
    console().WriteSubtitles = on;
    Preferences(preferencesPath()).setWriteSubtitles(on);
}

void MDIMain::mnuPronunciation_Click()
{
    Pronunciation->edit();
}

void MDIMain::loadPreferences()
{
    const Preferences preferences(preferencesPath());
    const bool highlight = preferences.highlightSpokenWords();
    mnuHighlightWords->setChecked(highlight);
    spokenText().setEnabled(highlight);
    const bool subtitles = preferences.writeSubtitles();
    mnuWriteSubtitles->setChecked(subtitles);
    console().WriteSubtitles = subtitles;
    // The rules live beside the preferences, in a file of their own.
    const QString rulesPath = QFileInfo(preferencesPath()).dir().filePath(QStringLiteral("Pronunciation.json"));
    Pronunciation = new PronunciationSettings(*this, console(), rulesPath);
    Pronunciation->load();
}

QString MDIMain::preferencesPath() const
{
    return QDir(WindowRegistry::services().folder->applicationFolder()).filePath(QStringLiteral("Preferences.ini"));
}

SpokenTextFollower& MDIMain::spokenText()
{
    if (!m_spokenText)
        m_spokenText = new SpokenTextFollower(console(), this);
    return *m_spokenText;
}

// While Automatic Speech is on, each sentence typed is spoken after the ones before it.
void MDIMain::speakTypedSentence(int offset, const QString& text)
{
    if (mnuAutoSpeech->isChecked())
        spokenText().queue(text, page<frmEditor>().spokenText(), offset);
}

void MDIMain::readFromCursor()
{
    ToolbarA->button(QStringLiteral("Pause"))->setChecked(false);
    frmEditor& editor = page<frmEditor>();
    const frmEditor::Passage passage = editor.passageFromCursor();
    spokenText().speak(passage.text, &editor.spokenText(), passage.offset);
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
    ToolbarA->button(QStringLiteral("Pause"))->setChecked(false);
    frmEditor& editor = page<frmEditor>();
    spokenText().speak(editor.plainText(), &editor.spokenText(), 0);
}

int MDIMain::currentMode() const
{
    const auto checked = std::find_if(
        mnuModesItems.begin(), mnuModesItems.end(), [](const QAction* item) { return item->isChecked(); });
    return checked == mnuModesItems.end() ? 0 : static_cast<int>(checked - mnuModesItems.begin());
}

void MDIMain::showPaused(bool paused)
{
    ToolbarA->button(QStringLiteral("Pause"))->setChecked(paused);
}

void MDIMain::funcSpeakTTS(const QString& speaktext)
{
    console().funcVoiceSpeak(speaktext);
}

void MDIMain::funcRecordWavTTS(const QString& recordtext)
{
    console().SaveToWave(recordtext);
}
