#include "SpeechMenu.h"

#include "IndexedName.h"
#include "MDIMain.h"
#include "WindowRegistry.h"
#include "frmButtons.h"
#include "frmConsole.h"
#include "frmRandomText.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

using ItemLook = SpeechMenu::ItemLook;

namespace {

// Function keys, which no text box takes for itself; Escape stops as well.
const std::array<ItemLook, 4> itemLooks { {
    { "&Play", { QKeySequence(Qt::Key_F5) } },
    { "P&ause / Resume", { QKeySequence(Qt::Key_F6) } },
    { "&Stop", { QKeySequence(Qt::Key_F7), QKeySequence(Qt::Key_Escape) } },
    { "&Record to Wave File", { QKeySequence(Qt::Key_F9) } },
} };

// F8 follows the other speech keys; Alt with the arrows steps through the text as reading does.
// None of them is taken by the Edit, File or Help keys or by the text boxes.
const std::array<ItemLook, 3> readingLooks { {
    { "Read From &Cursor", { QKeySequence(Qt::Key_F8) } },
    { "&Next Sentence", { QKeySequence(Qt::ALT | Qt::Key_Right) } },
    { "Pre&vious Sentence", { QKeySequence(Qt::ALT | Qt::Key_Left) } },
} };

} // namespace

SpeechMenu::SpeechMenu(MDIMain& main)
    : QObject(&main)
    , m_main(main)
{
    mnuSpeech = main.menuBar()->addMenu(QStringLiteral("Spee&ch"));
    mnuSpeech->setObjectName(QStringLiteral("mnuSpeech"));
    addItems(itemLooks, QStringLiteral("mnuSpeechItems"), mnuSpeechItems, &SpeechMenu::mnuSpeechItems_Click);
}

// One action per look, named name(i), whose click calls handler(i).
template <std::size_t N>
void SpeechMenu::addItems(const std::array<ItemLook, N>& looks, const QString& name, std::array<QAction*, N>& items,
    void (SpeechMenu::*handler)(int))
{
    for (std::size_t i = 0; i < N; ++i) {
        QAction* item = mnuSpeech->addAction(QString::fromLatin1(looks[i].caption));
        const int index = static_cast<int>(i);
        item->setObjectName(indexedName(name, index));
        item->setShortcuts(looks[i].shortcuts);
        connect(item, &QAction::triggered, this, [this, handler, index] { (this->*handler)(index); });
        items[i] = item;
    }
}

void SpeechMenu::addReadingItems()
{
    if (mnuReadSeparator)
        return;
    mnuReadSeparator = mnuSpeech->addSeparator();
    mnuReadSeparator->setObjectName(QStringLiteral("mnuReadSeparator"));
    addItems(readingLooks, QStringLiteral("mnuReadItems"), mnuReadItems, &SpeechMenu::mnuReadItems_Click);
}

// Reading from the cursor is the editor's; the sentence steps act on whatever is being spoken.
void SpeechMenu::mnuReadItems_Click(int index)
{
    switch (index) {
    case ReadFromCursor:
        if (mode() == 0)
            m_main.readFromCursor();
        break;
    case NextSentence:
        WindowRegistry::get<frmConsole>().SkipSentences(1);
        break;
    case PreviousSentence:
        WindowRegistry::get<frmConsole>().SkipSentences(-1);
        break;
    }
}

void SpeechMenu::mnuSpeechItems_Click(int index)
{
    switch (index) {
    case Play:
        play();
        break;
    case Pause:
        pause();
        break;
    case Stop:
        m_main.ToolbarA_ButtonClick(QStringLiteral("Stop"));
        break;
    case Record:
        record();
        break;
    }
}

int SpeechMenu::mode() const
{
    return m_main.currentMode();
}

void SpeechMenu::play()
{
    switch (mode()) {
    case 0:
        m_main.ToolbarA_ButtonClick(QStringLiteral("Play"));
        break;
    case 1:
        WindowRegistry::get<frmRandomText>().cmdPlay_Click(WindowRegistry::get<frmRandomText>().currentRow());
        break;
    case 2:
        if (const int row = WindowRegistry::get<frmButtons>().currentRow(); row >= 0)
            WindowRegistry::get<frmButtons>().cmdPlayButton_Click(row);
        break;
    }
}

void SpeechMenu::record()
{
    switch (mode()) {
    case 0:
        m_main.ToolbarA_ButtonClick(QStringLiteral("Record"));
        break;
    case 1:
        WindowRegistry::get<frmRandomText>().cmdRecord_Click(WindowRegistry::get<frmRandomText>().currentRow());
        break;
    case 2:
        if (const int row = WindowRegistry::get<frmButtons>().currentRow(); row >= 0)
            m_main.funcRecordWavTTS(WindowRegistry::get<frmButtons>().phrase(row));
        break;
    }
}

// The toolbar's Pause button shows pressed while speech stands paused, whichever way it was paused.
void SpeechMenu::pause()
{
    m_main.ToolbarA_ButtonClick(QStringLiteral("Pause"));
    m_main.showPaused(WindowRegistry::get<frmConsole>().IsPaused);
}
