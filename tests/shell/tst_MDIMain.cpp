#include "Controls.h"
#include "MDIMain.h"
#include "ShellTest.h"
#include "engine/api/SpVoice.h"
#include "frmButtons.h"
#include "frmConsole.h"
#include "frmEditor.h"
#include "frmRandomText.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>

using namespace ShellTest;

class TestMDIMain : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void menusInOrder();
    void shortcutsAreTakenOnce();
    void menuItem_data();
    void menuItem();
    void toolbarButton_data();
    void toolbarButton();
    void toolbarIcons();

    void loadBuildsTheChildArea();
    void editorPage();
    void minimumSize_data();
    void minimumSize();
    void minimiseChangesNothingRestoreLaysOut();
    void mode_data();
    void mode();
    void consoleStrip_data();
    void consoleStrip();
    void quickTextKeepsEditorSize();
    void activeModeRunsAgain();
    void automaticSpeechFlipsItsMark();
    void closingClosesTheChildWindows();
    void speaksThroughTheConsole();

private:
    MDIMain* main = nullptr;
};

void TestMDIMain::init()
{
    freshProgram();
    main = &shownMain();
}

void TestMDIMain::cleanup()
{
    WindowRegistry::reset();
    main = nullptr;
}

void TestMDIMain::menusInOrder()
{
    const QStringList names { "mnuFile", "mnuEditItem", "mnuModes", "mnuSettings", "mnuSpeech", "mnuHelp" };
    const QStringList captions { "&File", "&Edit", "Modes", "&Settings", "Spee&ch", "Help" };
    const QList<QAction*> bar = main->menuBar()->actions();
    QCOMPARE(bar.size(), names.size());
    for (int i = 0; i < bar.size(); ++i) {
        QVERIFY(bar[i]->menu());
        QCOMPARE(bar[i]->menu()->objectName(), names[i]);
        QCOMPARE(bar[i]->text(), captions[i]);
    }
    const QList<int> itemCounts { 9, 6, 3, 7, 10, 2 };
    for (int i = 0; i < bar.size(); ++i)
        QCOMPARE(bar[i]->menu()->actions().size(), itemCounts[i]);
}

// No key runs two commands: every shortcut of the menus and the toolbar is taken once (the child
// frames' own unnamed window-menu actions, Ctrl+F4 for each, are not the program's commands).
void TestMDIMain::shortcutsAreTakenOnce()
{
    QMap<QString, QString> owners;
    for (const QAction* action : main->findChildren<QAction*>()) {
        if (action->objectName().isEmpty())
            continue;
        for (const QKeySequence& keys : action->shortcuts()) {
            const QString key = keys.toString();
            QVERIFY2(!owners.contains(key),
                qPrintable(QString("%1 is %2's and %3's").arg(key, owners.value(key), action->objectName())));
            owners.insert(key, action->objectName());
        }
    }
    QVERIFY(owners.contains("F8"));
}

void TestMDIMain::menuItem_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("caption"); // "-" for a separator
    QTest::addColumn<QKeySequence>("shortcut");
    QTest::addColumn<bool>("checked");

    const auto row = [](const char* menu, const char* name, int position, const char* caption,
                         QKeySequence shortcut = {}, bool checked = false) {
        QTest::newRow(name) << QString(menu) << QString(name) << position << QString(caption) << shortcut << checked;
    };
    row("mnuFile", "mnuFileItems(0)", 0, "&New", QKeySequence("Ctrl+N"));
    row("mnuFile", "mnuFileItems(1)", 1, "&Open", QKeySequence("Ctrl+O"));
    row("mnuFile", "mnuFileItems(2)", 2, "&Save", QKeySequence("Ctrl+S"));
    row("mnuFile", "mnuFileItems(3)", 3, "Save &As");
    row("mnuFile", "mnuFileItems(4)", 4, "Save to *.wav");
    row("mnuFile", "mnuFileItems(5)", 5, "-");
    row("mnuFile", "mnuFileItems(6)", 6, "&Print", QKeySequence("Ctrl+P"));
    row("mnuFile", "mnuFileItems(7)", 7, "-");
    row("mnuFile", "mnuFileItems(8)", 8, "&Exit", QKeySequence("Ctrl+E"));
    row("mnuEditItem", "mnuEditItems(0)", 0, "&Undo", QKeySequence("Ctrl+U"));
    row("mnuEditItem", "mnuEditItems(1)", 1, "-");
    row("mnuEditItem", "mnuEditItems(2)", 2, "&Cut", QKeySequence("Ctrl+X"));
    row("mnuEditItem", "mnuEditItems(3)", 3, "C&opy", QKeySequence("Ctrl+C"));
    row("mnuEditItem", "mnuEditItems(4)", 4, "&Paste", QKeySequence("Ctrl+V"));
    row("mnuEditItem", "mnuEditItems(5)", 5, "Delete", QKeySequence("Del"));
    row("mnuModes", "mnuModesItems(0)", 0, "&Text Editor Mode", {}, true);
    row("mnuModes", "mnuModesItems(1)", 1, "&Quick Text Mode");
    row("mnuModes", "mnuModesItems(2)", 2, "&Programmed Buttons Mode");
    row("mnuSettings", "mnuSettingsItem(0)", 0, "Change &Backgound Color");
    row("mnuSettings", "mnuSettingsItem(1)", 1, "Change &Text Color");
    row("mnuSettings", "mnuSettingsItems(2)", 2, "-");
    row("mnuSettings", "mnuAutoSpeech", 3, "Automatic Speech", {}, true);
    row("mnuSettings", "mnuHighlightWords", 4, "Highlight Spoken Words", {}, true);
    row("mnuSettings", "mnuWriteSubtitles", 5, "Write Subtitles With Recordings");
    row("mnuSettings", "mnuPronunciation", 6, "Pronunciation...");
    row("mnuSpeech", "mnuEventLogSeparator", 4, "-");
    row("mnuSpeech", "mnuEventLog", 5, "Event &Log");
    row("mnuSpeech", "mnuReadSeparator", 6, "-");
    row("mnuSpeech", "mnuReadItems(0)", 7, "Read From &Cursor", QKeySequence("F8"));
    row("mnuSpeech", "mnuReadItems(1)", 8, "&Next Sentence", QKeySequence("Alt+Right"));
    row("mnuSpeech", "mnuReadItems(2)", 9, "Pre&vious Sentence", QKeySequence("Alt+Left"));
    row("mnuHelp", "mnuHelpItems(0)", 0, "&Help", QKeySequence("Ctrl+H"));
    row("mnuHelp", "mnuHelpItems(1)", 1, "About Parlora");
}

void TestMDIMain::menuItem()
{
    QFETCH(QString, menu);
    QFETCH(QString, name);
    QFETCH(int, position);
    QFETCH(QString, caption);
    QFETCH(QKeySequence, shortcut);
    QFETCH(bool, checked);

    auto* owner = main->findChild<QMenu*>(menu);
    QVERIFY(owner);
    const QList<QAction*> items = owner->actions();
    QVERIFY(position < items.size());
    QAction* item = items[position];
    QCOMPARE(item->objectName(), name);
    QCOMPARE(item->isSeparator(), caption == "-");
    if (!item->isSeparator())
        QCOMPARE(item->text(), caption);
    QCOMPARE(item->shortcut(), shortcut);
    QCOMPARE(item->isChecked(), checked);
    QVERIFY(item->isEnabled());
}

void TestMDIMain::toolbarButton_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("key"); // empty for a separator
    QTest::addColumn<QString>("toolTip");
    const QStringList keys { "New", "Print", "Save", "Open", "", "Cut", "Copy", "Paste", "Delete", "", "Undo", "Redo",
        "", "Record", "Play", "Pause", "Stop", "", "Time", "Date" };
    for (int i = 0; i < keys.size(); ++i) {
        const QString toolTip = keys[i] == "Time" ? "Current Time" : keys[i] == "Date" ? "Current Date" : keys[i];
        QTest::addRow("%d %s", i + 1, qPrintable(keys[i])) << i + 1 << keys[i] << toolTip;
    }
}

void TestMDIMain::toolbarButton()
{
    QFETCH(int, position);
    QFETCH(QString, key);
    QFETCH(QString, toolTip);

    const QList<QAction*> buttons = control<QToolBar>(*main, "ToolbarA")->actions();
    QCOMPARE(buttons.size(), 20);
    QAction* button = buttons[position - 1];
    QCOMPARE(button->objectName(), QString("Buttons(%1)").arg(position));
    QCOMPARE(button->isSeparator(), key.isEmpty());
    if (key.isEmpty())
        return;
    QCOMPARE(button->data().toString(), key);
    QCOMPARE(button->toolTip(), toolTip);
    QVERIFY(!button->icon().isNull());
}

// Each icon must be a visible 16 x 16 picture of its own, drawn over a transparent ground.
void TestMDIMain::toolbarIcons()
{
    QCOMPARE(control<QToolBar>(*main, "ToolbarA")->iconSize(), QSize(16, 16));
    QCOMPARE(main->toolbarPictures().count(), 16);
    QSet<QByteArray> distinct;
    for (QAction* button : control<QToolBar>(*main, "ToolbarA")->actions()) {
        if (button->isSeparator())
            continue;
        const QImage image = button->icon().pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(image.size(), QSize(16, 16));
        int opaque = 0;
        int transparent = 0;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                const QColor pixel = image.pixelColor(x, y);
                if (pixel.alpha() == 0)
                    ++transparent;
                else if (pixel.alpha() == 255 && pixel != QColor(255, 0, 255))
                    ++opaque;
            }
        }
        QVERIFY2(opaque >= 30, qPrintable(button->data().toString()));
        QVERIFY2(transparent >= 20, qPrintable(button->data().toString()));
        distinct.insert(QByteArray(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes()));
    }
    QCOMPARE(distinct.size(), 16);
}

// The load runs its steps in order: console first, then the pages as the layout pass meets
// them, the Quick Text page laid out while still shown, then hidden.
void TestMDIMain::loadBuildsTheChildArea()
{
    const Doubles doubles = freshProgram();
    MDIMain& fresh = WindowRegistry::get<MDIMain>();
    QCOMPARE(fresh.windowTitle(), QString("Parlora v1.0 - Text Editor Mode"));
    QVERIFY(fresh.SettingsLoaded);
    // The layout pass's call, which writes nothing yet, then the repair of the missing file.
    QCOMPARE(fresh.saveSettingsCalls(), 2);
    QVERIFY(QFile::exists(doubles.folder.filePath("Settings.ini")));

    const QList<QMdiSubWindow*> frames = childFrames(fresh);
    QCOMPARE(frames.size(), 4);
    QCOMPARE(frames[0]->widget(), &WindowRegistry::get<frmConsole>());
    QCOMPARE(frames[1], &WindowRegistry::get<frmEditor>());
    QCOMPARE(frames[2], &WindowRegistry::get<frmButtons>());
    QCOMPARE(frames[3], &WindowRegistry::get<frmRandomText>());

    frmEditor& editor = WindowRegistry::get<frmEditor>();
    QVERIFY(editor.isVisibleTo(&fresh));
    QVERIFY(WindowRegistry::get<frmButtons>().isHidden());
    QVERIFY(WindowRegistry::get<frmRandomText>().isHidden());
    QCOMPARE(editor.geometry(), expectedEditor(fresh));
    QCOMPARE(WindowRegistry::get<frmRandomText>().size(), editor.size());
    QVERIFY(WindowRegistry::get<frmButtons>().size() != editor.size());
    // 9735 by 8600 twips at 96 DPI.
    QCOMPARE(outerSize(fresh), QSize(649, 573));

    QVERIFY(!(frames[0]->windowFlags() & Qt::FramelessWindowHint));
    for (QMdiSubWindow* frame : frames) {
        QVERIFY(!frame->testAttribute(Qt::WA_DeleteOnClose));
        if (frame != frames[0])
            QVERIFY2(frame->windowFlags() & Qt::FramelessWindowHint, qPrintable(frame->objectName()));
    }
}

void TestMDIMain::editorPage()
{
    frmEditor& editor = WindowRegistry::get<frmEditor>();
    QPlainTextEdit* box = control<QPlainTextEdit>(editor, "SayText");
    QCOMPARE(box->objectName(), QString("SayText"));
    QCOMPARE(box->palette().color(QPalette::Base), QColor(0, 0, 0));
    QCOMPARE(box->palette().color(QPalette::Text), QColor(0, 255, 0));
    QVERIFY(box->horizontalScrollBar()->isVisible() && box->verticalScrollBar()->isVisible());
    QVERIFY(box->toPlainText().isEmpty());

    setOuterSize(*main, 12000, 10000);
    const QRect page = editor.geometry();
    QCOMPARE(page, expectedEditor(*main));
    // At 180 by 300 twips (12 by 20 px at 96 DPI), 200 twips (13 px) narrower and 1600 twips
    // (107 px) lower than the page.
    QCOMPARE(box->geometry(), QRect(12, 20, page.width() - 13, page.height() - 107));
}

void TestMDIMain::minimumSize_data()
{
    QTest::addColumn<QSize>("dragged"); // twips
    QTest::addColumn<QSize>("expected"); // pixels at 96 DPI; the least is 9735 by 8600 twips
    QTest::newRow("too narrow") << QSize(8000, 9500) << QSize(649, 633);
    QTest::newRow("too low") << QSize(11000, 7000) << QSize(733, 573);
    QTest::newRow("both") << QSize(4000, 3000) << QSize(649, 573);
    QTest::newRow("large enough") << QSize(10500, 9000) << QSize(700, 600);
}

void TestMDIMain::minimumSize()
{
    QFETCH(QSize, dragged);
    QFETCH(QSize, expected);
    setOuterSize(*main, 14000, 11000);
    setOuterSize(*main, dragged.width(), dragged.height());
    QCOMPARE(outerSize(*main), expected);
    QMdiSubWindow& console = main->consoleFrame();
    QCOMPARE(console.geometry(), expectedConsole(*main));
    QCOMPARE(WindowRegistry::get<frmEditor>().geometry(), expectedEditor(*main));
}

void TestMDIMain::minimiseChangesNothingRestoreLaysOut()
{
    QMdiSubWindow& console = main->consoleFrame();
    frmEditor& editor = WindowRegistry::get<frmEditor>();
    // Out of place on purpose: only a layout pass puts them back.
    console.setGeometry(5, 5, 50, 50);
    editor.setGeometry(7, 7, 70, 70);
    const int calls = main->saveSettingsCalls();

    main->showMinimized();
    QTest::qWait(100);
    QVERIFY(main->isMinimized());
    QCOMPARE(console.geometry(), QRect(5, 5, 50, 50));
    QCOMPARE(editor.geometry(), QRect(7, 7, 70, 70));
    QCOMPARE(main->saveSettingsCalls(), calls);

    main->showNormal();
    QVERIFY(QTest::qWaitForWindowExposed(main));
    QVERIFY(!main->isMinimized());
    QVERIFY(main->saveSettingsCalls() > calls);
    QCOMPARE(console.geometry(), expectedConsole(*main));
    QCOMPARE(editor.geometry(), expectedEditor(*main));
}

void TestMDIMain::mode_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("page");
    QTest::addColumn<bool>("editorMode");
    QTest::newRow("text editor") << 0 << "Parlora v1.0 - Text Editor Mode"
                                 << "frmEditor" << true;
    QTest::newRow("quick text") << 1 << "Parlora v1.0 - Random Text Mode"
                                << "frmRandomText" << false;
    QTest::newRow("programmed buttons") << 2 << "Parlora v1.0 - Programmed Buttons Mode"
                                        << "frmButtons" << false;
}

void TestMDIMain::mode()
{
    QFETCH(int, index);
    QFETCH(QString, caption);
    QFETCH(QString, page);
    QFETCH(bool, editorMode);

    const auto check = [this](int mode, const QString& title, const QString& shown, bool editing) {
        QCOMPARE(main->windowTitle(), title);
        QCOMPARE(control<QToolBar>(*main, "ToolbarA")->isVisible(), editing);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(control<QAction>(*main, "mnuModesItems", i)->isChecked(), i == mode);
        for (int i : { 0, 1, 2, 3, 4, 6 })
            QCOMPARE(control<QAction>(*main, "mnuFileItems", i)->isEnabled(), editing);
        for (int i : { 0, 2, 3, 4, 5 })
            QCOMPARE(control<QAction>(*main, "mnuEditItems", i)->isEnabled(), editing);
        for (QAction* always : { control<QAction>(*main, "mnuFileItems", 8),
                 control<QAction>(*main, "mnuModesItems", 0), control<QAction>(*main, "mnuModesItems", 1),
                 control<QAction>(*main, "mnuModesItems", 2), control<QAction>(*main, "mnuSettingsItem", 0),
                 control<QAction>(*main, "mnuSettingsItem", 1), control<QAction>(*main, "mnuAutoSpeech"),
                 control<QAction>(*main, "mnuHelpItems", 0), control<QAction>(*main, "mnuHelpItems", 1) })
            QVERIFY2(always->isEnabled(), qPrintable(always->objectName()));
        QVERIFY(control<QMenu>(*main, "mnuFile")->isEnabled() && control<QMenu>(*main, "mnuEditItem")->isEnabled());
        const QList<QMdiSubWindow*> frames = childFrames(*main);
        for (QMdiSubWindow* frame : frames.mid(1))
            QCOMPARE(frame->isVisible(), frame->objectName() == shown);
        QVERIFY(frames[0]->isVisible());
        auto* visible = main->findChild<QMdiSubWindow*>(shown);
        QCOMPARE(visible->geometry().topLeft(), QPoint(0, 0));
        QCOMPARE(visible->size(), WindowRegistry::get<frmEditor>().size());
    };

    control<QAction>(*main, "mnuModesItems", index)->trigger();
    check(index, caption, page, editorMode);
    if (QTest::currentTestFailed())
        return;
    control<QAction>(*main, "mnuModesItems", 0)->trigger();
    check(0, "Parlora v1.0 - Text Editor Mode", "frmEditor", true);
}

void TestMDIMain::consoleStrip_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QSize>("outer"); // twips
    for (int mode = 0; mode < 3; ++mode) {
        QTest::addRow("mode %d, smallest", mode) << mode << QSize(9735, 8600);
        QTest::addRow("mode %d, large", mode) << mode << QSize(15000, 11500);
        QTest::addRow("mode %d, wide", mode) << mode << QSize(17000, 8800);
    }
}

void TestMDIMain::consoleStrip()
{
    QFETCH(int, index);
    QFETCH(QSize, outer);
    QMdiSubWindow& console = main->consoleFrame();
    // Dragged down out of its strip first: the layout pass puts it back whole.
    console.move(console.x() - 30, 120);
    control<QAction>(*main, "mnuModesItems", index)->trigger();
    setOuterSize(*main, outer.width(), outer.height());
    QCOMPARE(console.geometry(), expectedConsole(*main));
    QCOMPARE(console.width(), consoleStripPixels);
    // 200 twips at 96 DPI, measured against the outer width.
    QCOMPARE(outerSize(*main).width() - (console.geometry().right() + 1), 13);
}

void TestMDIMain::quickTextKeepsEditorSize()
{
    frmEditor& editor = WindowRegistry::get<frmEditor>();
    frmRandomText& quickText = WindowRegistry::get<frmRandomText>();
    setOuterSize(*main, 11000, 9000);
    const QSize before = editor.size();

    control<QAction>(*main, "mnuModesItems", 1)->trigger();
    QCOMPARE(quickText.size(), before);
    setOuterSize(*main, 14000, 10500);
    QCOMPARE(quickText.size(), before);
    QCOMPARE(editor.size(), before);
    QCOMPARE(main->consoleFrame().geometry(), expectedConsole(*main));

    control<QAction>(*main, "mnuModesItems", 0)->trigger();
    QCOMPARE(editor.geometry(), expectedEditor(*main));
    QVERIFY(editor.size() != before);
}

// Choosing the active mode runs the whole switch again and keeps its check mark.
void TestMDIMain::activeModeRunsAgain()
{
    control<QAction>(*main, "mnuModesItems", 1)->trigger();
    frmEditor& editor = WindowRegistry::get<frmEditor>();
    editor.show();
    main->setWindowTitle("changed");
    control<QAction>(*main, "mnuFileItems", 0)->setEnabled(true);
    control<QToolBar>(*main, "ToolbarA")->show();
    const int calls = main->saveSettingsCalls();

    control<QAction>(*main, "mnuModesItems", 1)->trigger();
    QVERIFY(control<QAction>(*main, "mnuModesItems", 1)->isChecked());
    QCOMPARE(main->windowTitle(), QString("Parlora v1.0 - Random Text Mode"));
    QVERIFY(editor.isHidden());
    QVERIFY(!control<QAction>(*main, "mnuFileItems", 0)->isEnabled());
    QVERIFY(control<QToolBar>(*main, "ToolbarA")->isHidden());
    QCOMPARE(main->saveSettingsCalls(), calls + 1);

    control<QAction>(*main, "mnuModesItems", 0)->trigger();
    control<QAction>(*main, "mnuModesItems", 0)->trigger();
    QVERIFY(control<QAction>(*main, "mnuModesItems", 0)->isChecked());
    QVERIFY(editor.isVisible());
}

void TestMDIMain::automaticSpeechFlipsItsMark()
{
    control<QAction>(*main, "mnuAutoSpeech")->trigger();
    QVERIFY(!control<QAction>(*main, "mnuAutoSpeech")->isChecked());
    control<QAction>(*main, "mnuAutoSpeech")->trigger();
    QVERIFY(control<QAction>(*main, "mnuAutoSpeech")->isChecked());
}

void TestMDIMain::closingClosesTheChildWindows()
{
    QMdiSubWindow& console = main->consoleFrame();
    QVERIFY(console.isVisible());
    QVERIFY(main->close());
    QVERIFY(!main->isVisible());
    QVERIFY(console.isHidden());
    QVERIFY(WindowRegistry::get<frmEditor>().isHidden());
    // Closed, not destroyed: the registry still has every window.
    QVERIFY(WindowRegistry::exists<frmConsole>() && WindowRegistry::exists<frmEditor>());
}

// The pages' speech reaches the console's voice, word for word.
void TestMDIMain::speaksThroughTheConsole()
{
    frmConsole& console = WindowRegistry::get<frmConsole>();
    QSignalSpy words(console.Voice.get(), &SpVoice::Word);
    QSignalSpy ends(console.Voice.get(), &SpVoice::EndStream);
    main->funcSpeakTTS("Hello there");
    QVERIFY(console.IsSpeaking);
    QTRY_COMPARE_WITH_TIMEOUT(ends.size(), 1, 15000);
    QCOMPARE(words.size(), 2);
    QCOMPARE(words[1][2].toInt(), 6);
    QCOMPARE(words[1][3].toInt(), 5);
}

QTEST_MAIN(TestMDIMain)
#include "tst_MDIMain.moc"
