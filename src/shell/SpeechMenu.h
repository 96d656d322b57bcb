#pragma once

#include <QKeySequence>
#include <QList>
#include <QObject>
#include <array>

class MDIMain;
class QAction;
class QMenu;

// The Speech menu: Play, Pause/Resume, Stop and Record from the menu bar and the keyboard in every
// mode, so speech can be started and stopped without the toolbar, which only the editor mode
// shows, and without the mouse. Play and Record take the text the user is at: the editor's, the
// Quick Text box holding the focus (else the first that holds text), or the focused phrase.
class SpeechMenu : public QObject {
    Q_OBJECT
public:
    enum Item { Play, Pause, Stop, Record };
    enum ReadingItem { ReadFromCursor, NextSentence, PreviousSentence };
    // An item's caption and keys.
    struct ItemLook {
        const char* caption;
        QList<QKeySequence> shortcuts;
    };

    // Adds the menu to the main window's menu bar, after the menus it has.
    explicit SpeechMenu(MDIMain& main);

    void mnuSpeechItems_Click(int index);
    // The menu, for the items that others add after its own.
    QMenu& menu() const { return *mnuSpeech; }
    // Adds, after the items the menu holds, reading from the editor's cursor and stepping a
    // sentence on or back in the speech under way.
    void addReadingItems();
    void mnuReadItems_Click(int index);

private:
    int mode() const;
    void play();
    void record();
    void pause();
    template <std::size_t N>
    void addItems(const std::array<ItemLook, N>& looks, const QString& name, std::array<QAction*, N>& items,
        void (SpeechMenu::*handler)(int));

    QMenu* mnuSpeech;
    std::array<QAction*, 4> mnuSpeechItems {};
    QAction* mnuReadSeparator = nullptr;
    std::array<QAction*, 3> mnuReadItems {};
    MDIMain& m_main;
};
