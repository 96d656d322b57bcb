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

namespace {

struct ItemLook {
    const char* caption;
    QList<QKeySequence> shortcuts;
};

// Function keys, which no text box takes for itself; Escape stops as well.
const std::array<ItemLook, 4> itemLooks { {
    { "&Play", { QKeySequence(Qt::Key_F5) } },
    { "P&ause / Resume", { QKeySequence(Qt::Key_F6) } },
    { "&Stop", { QKeySequence(Qt::Key_F7), QKeySequence(Qt::Key_Escape) } },
    { "&Record to Wave File", { QKeySequence(Qt::Key_F9) } },
} };

} // namespace

SpeechMenu::SpeechMenu(MDIMain& main)
    : QObject(&main)
    , m_main(main)
{
    mnuSpeech = main.menuBar()->addMenu(QStringLiteral("Spee&ch"));
    mnuSpeech->setObjectName(QStringLiteral("mnuSpeech"));
    for (std::size_t i = 0; i < itemLooks.size(); ++i) {
        QAction* item = mnuSpeech->addAction(QString::fromLatin1(itemLooks[i].caption));
        item->setObjectName(indexedName(QStringLiteral("mnuSpeechItems"), static_cast<int>(i)));
        item->setShortcuts(itemLooks[i].shortcuts);
        const int index = static_cast<int>(i);
        connect(item, &QAction::triggered, this, [this, index] { mnuSpeechItems_Click(index); });
        mnuSpeechItems[i] = item;
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
