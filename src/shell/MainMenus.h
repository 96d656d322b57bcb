#pragma once

class MDIMain;
class QAction;
class QKeySequence;
class QMenu;
class QString;

// Builds the main window's menu bar into its members: File, Edit, Modes, Settings, Speech and
// Help, each item named as its indexed control ("mnuFileItems(2)") and connected to the window's
// handler for it, which takes the item's index.
class MainMenus {
public:
    static void build(MDIMain& main);

private:
    explicit MainMenus(MDIMain& main);

    void buildFile();
    void buildEdit();
    void buildModes();
    void buildSettings();
    void buildHelp();
    QMenu* addMenu(const QString& caption, const char* name);
    QAction* addMark(
        QMenu* menu, const QString& name, const QString& caption, bool checked, void (MDIMain::*handler)());

    MDIMain& m_main;
};
