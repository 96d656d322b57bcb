#include "MainMenus.h"

#include "EditShortcutRouter.h"
#include "IndexedName.h"
#include "MDIMain.h"
#include "SpeechMenu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace {

QAction* addItem(QMenu* menu, const QString& name, int index, const QString& caption, const QKeySequence& shortcut)
{
    QAction* item = menu->addAction(caption);
    item->setObjectName(indexedName(name, index));
    item->setShortcut(shortcut);
    return item;
}

QAction* addSeparator(QMenu* menu, const QString& name, int index)
{
    QAction* separator = menu->addSeparator();
    separator->setObjectName(indexedName(name, index));
    return separator;
}

// Each item of an indexed group runs the group's handler with its index.
template <std::size_t count>
void connectItems(MDIMain& main, const std::array<QAction*, count>& items, void (MDIMain::*handler)(int))
{
    for (int i = 0; i < static_cast<int>(count); ++i)
        QObject::connect(items[i], &QAction::triggered, &main, [&main, handler, i] { (main.*handler)(i); });
}

} // namespace

void MainMenus::build(MDIMain& main)
{
    MainMenus menus(main);
    menus.buildFile();
    menus.buildEdit();
    menus.buildModes();
    menus.buildSettings();
    main.Speech = new SpeechMenu(main);
    menus.buildHelp();
}

MainMenus::MainMenus(MDIMain& main)
    : m_main(main)
{
}

// A checkable item whose handler flips the mark itself: the toolkit has flipped it already, so
// the click flips that back first.
QAction* MainMenus::addMark(
    QMenu* menu, const QString& name, const QString& caption, bool checked, void (MDIMain::*handler)())
{
    QAction* item = menu->addAction(caption);
    item->setObjectName(name);
    item->setCheckable(true);
    item->setChecked(checked);
    MDIMain& main = m_main;
    QObject::connect(item, &QAction::triggered, &main, [&main, item, handler](bool on) {
        item->setChecked(!on);
        (main.*handler)();
    });
    return item;
}

QMenu* MainMenus::addMenu(const QString& caption, const char* name)
{
    QMenu* menu = m_main.menuBar()->addMenu(caption);
    menu->setObjectName(QLatin1String(name));
    return menu;
}

void MainMenus::buildFile()
{
    QMenu* menu = m_main.mnuFile = addMenu(QStringLiteral("&File"), "mnuFile");
    const QString file = QStringLiteral("mnuFileItems");
    auto& items = m_main.mnuFileItems;
    items[0] = addItem(menu, file, 0, QStringLiteral("&New"), Qt::CTRL | Qt::Key_N);
    items[1] = addItem(menu, file, 1, QStringLiteral("&Open"), Qt::CTRL | Qt::Key_O);
    items[2] = addItem(menu, file, 2, QStringLiteral("&Save"), Qt::CTRL | Qt::Key_S);
    items[3] = addItem(menu, file, 3, QStringLiteral("Save &As"), {});
    items[4] = addItem(menu, file, 4, QStringLiteral("Save to *.wav"), {});
    items[5] = addSeparator(menu, file, 5);
    items[6] = addItem(menu, file, 6, QStringLiteral("&Print"), Qt::CTRL | Qt::Key_P);
    items[7] = addSeparator(menu, file, 7);
    items[8] = addItem(menu, file, 8, QStringLiteral("&Exit"), Qt::CTRL | Qt::Key_E);
    connectItems(m_main, items, &MDIMain::mnuFileItems_Click);
}

void MainMenus::buildEdit()
{
    QMenu* menu = m_main.mnuEditItem = addMenu(QStringLiteral("&Edit"), "mnuEditItem");
    const QString edit = QStringLiteral("mnuEditItems");
    auto& items = m_main.mnuEditItems;
    items[0] = addItem(menu, edit, 0, QStringLiteral("&Undo"), Qt::CTRL | Qt::Key_U);
    items[1] = addSeparator(menu, edit, 1);
    items[2] = addItem(menu, edit, 2, QStringLiteral("&Cut"), Qt::CTRL | Qt::Key_X);
    items[3] = addItem(menu, edit, 3, QStringLiteral("C&opy"), Qt::CTRL | Qt::Key_C);
    items[4] = addItem(menu, edit, 4, QStringLiteral("&Paste"), Qt::CTRL | Qt::Key_V);
    items[5] = addItem(menu, edit, 5, QStringLiteral("Delete"), Qt::Key_Delete);
    // Ctrl+Z is the key most users reach for first; Ctrl+U stays the item's own.
    items[0]->setShortcuts({ QKeySequence(Qt::CTRL | Qt::Key_U), QKeySequence(Qt::CTRL | Qt::Key_Z) });
    connectItems(m_main, items, &MDIMain::mnuEditItems_Click);
    // The Edit keys act on the editor's text wherever the focus is, even in another text box.
    new EditShortcutRouter({ items[0], items[2], items[3], items[4], items[5] }, &m_main);
}

void MainMenus::buildModes()
{
    QMenu* menu = m_main.mnuModes = addMenu(QStringLiteral("Modes"), "mnuModes");
    const QString modes = QStringLiteral("mnuModesItems");
    auto& items = m_main.mnuModesItems;
    items[0] = addItem(menu, modes, 0, QStringLiteral("&Text Editor Mode"), {});
    items[1] = addItem(menu, modes, 1, QStringLiteral("&Quick Text Mode"), {});
    items[2] = addItem(menu, modes, 2, QStringLiteral("&Programmed Buttons Mode"), {});
    for (QAction* item : items)
        item->setCheckable(true);
    // The handler sets every check mark itself, whatever the toolkit toggled.
    connectItems(m_main, items, &MDIMain::mnuModesItems_Click);
    items[0]->setChecked(true);
}

void MainMenus::buildSettings()
{
    QMenu* menu = m_main.mnuSettings = addMenu(QStringLiteral("&Settings"), "mnuSettings");
    const QString settings = QStringLiteral("mnuSettingsItem");
    auto& items = m_main.mnuSettingsItem;
    items[0] = addItem(menu, settings, 0, QStringLiteral("Change &Backgound Color"), {});
    items[1] = addItem(menu, settings, 1, QStringLiteral("Change &Text Color"), {});
    connectItems(m_main, items, &MDIMain::mnuSettingsItem_Click);
    m_main.mnuSettingsItems[2] = addSeparator(menu, QStringLiteral("mnuSettingsItems"), 2);

    m_main.mnuAutoSpeech = addMark(
        menu, QStringLiteral("mnuAutoSpeech"), QStringLiteral("Automatic Speech"), true, &MDIMain::mnuAutoSpeech_Click);
    m_main.mnuHighlightWords = addMark(menu, QStringLiteral("mnuHighlightWords"),
        QStringLiteral("Highlight Spoken Words"), true, &MDIMain::mnuHighlightWords_Click);
    m_main.mnuWriteSubtitles = addMark(menu, QStringLiteral("mnuWriteSubtitles"),
        QStringLiteral("Write Subtitles With Recordings"), false, &MDIMain::mnuWriteSubtitles_Click);
    MDIMain& main = m_main;
    QAction* pronunciation = m_main.mnuPronunciation = menu->addAction(QStringLiteral("Pronunciation..."));
    pronunciation->setObjectName(QStringLiteral("mnuPronunciation"));
    QObject::connect(pronunciation, &QAction::triggered, &main, &MDIMain::mnuPronunciation_Click);
}

void MainMenus::buildHelp()
{
    QMenu* menu = m_main.mnuHelp = addMenu(QStringLiteral("Help"), "mnuHelp");
    const QString help = QStringLiteral("mnuHelpItems");
    auto& items = m_main.mnuHelpItems;
    items[0] = addItem(menu, help, 0, QStringLiteral("&Help"), Qt::CTRL | Qt::Key_H);
    items[1] = addItem(menu, help, 1, QStringLiteral("About Parlora"), {});
    connectItems(m_main, items, &MDIMain::mnuHelpItems_Click);
}
