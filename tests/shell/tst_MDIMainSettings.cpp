#include "ColorValue.h"
#include "Controls.h"
#include "MDIMain.h"
#include "MessageBoxes.h"
#include "ServerFrame.h"
#include "ShellTest.h"
#include "SystemColors.h"
#include "TextBoxColors.h"
#include "frmConsole.h"
#include "frmEditor.h"
#include "frmRandomText.h"

#include <QAction>
#include <QDir>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <optional>

using namespace ShellTest;

namespace {

// The editor's design colours: pure green text on black.
constexpr int designText = 0x00FF00;
constexpr int designBack = 0;

// The settings line that the main window's state gives, as the file must hold it.
QByteArray lineOf(const MDIMain& main, int text, int back, bool mark)
{
    const QRect frame = outerFrame(main);
    return QStringLiteral("%1,%2,%3,%4,%5,%6,%7\r\n")
        .arg(Twips::fromPixelsX(frame.width()))
        .arg(Twips::fromPixelsY(frame.height()))
        .arg(Twips::fromPixelsX(frame.x()))
        .arg(Twips::fromPixelsY(frame.y()))
        .arg(text)
        .arg(back)
        .arg(mark ? "#TRUE#" : "#FALSE#")
        .toLatin1();
}

QSize pixels(QSize twips)
{
    return QSize(Twips::toPixelsX(twips.width()), Twips::toPixelsY(twips.height()));
}

QRect availableArea()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

// What the server shows agrees with the frame the program believes in (on a real display).
bool serverShows(const MDIMain& main, const QRect& frame)
{
    return QTest::qWaitFor([&] { return ServerFrame::shows(main, frame); }, 3000);
}

QString describe(const QRect& frame)
{
    return QStringLiteral("%1,%2 %3x%4").arg(frame.x()).arg(frame.y()).arg(frame.width()).arg(frame.height());
}

// The server's frame beside the program's, for a failure's message.
QString describe(const MDIMain& main)
{
    const auto server = ServerFrame::of(main);
    return QStringLiteral("the server shows %1, the program has %2")
        .arg(server ? describe(*server) : QStringLiteral("nothing"), describe(outerFrame(main)));
}

// Once the manager is done, the server shows the frame the program has.
bool serverAgrees(const MDIMain& main)
{
    return QTest::qWaitFor([&] { return ServerFrame::shows(main, outerFrame(main)); }, 3000);
}

} // namespace

class TestMDIMainSettings : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void firstStartWithoutFile();
    void tenRestartsNeitherMoveNorGrow_data();
    void tenRestartsNeitherMoveNorGrow();
    void titleBarOnScreenKeepsAPlacePartlyOff();
    void minimumFitsTheScreen();
    void loadsEveryField();
    void faultyFileTakesTheRepairPath_data();
    void faultyFileTakesTheRepairPath();
    void systemColoursStayNegative();
    void maximisedWritesTheFixedSize();
    void colourCommands_data();
    void colourCommands();
    void cancelledColourChangesNothing();
    void automaticSpeechFlipsAndStores();
    void unwritableFileIsReportedOnce();
    void restartRestoresEverything();
    void subtitlesChoiceIsKeptPerUser();

private:
    QString settingsPath() const { return m_doubles->folder.filePath("Settings.ini"); }
    // The colour values of the editor's box and of the four Quick Text boxes, and what they show.
    void checkColours(int text, int back) { checkColours(text, back, text, back); }
    void checkColours(int text, int back, int quickText, int quickBack);
    // The Quick Text boxes' colours as the page gives them, before any setting reaches them.
    static std::pair<int, int> ownQuickTextColours();

    std::optional<Doubles> m_doubles;
};

void TestMDIMainSettings::init()
{
    m_doubles.emplace(freshProgram());
}

void TestMDIMainSettings::cleanup()
{
    QVERIFY2(m_doubles->messages.unexpected().isEmpty(), qPrintable(m_doubles->messages.unexpected().join('\n')));
    QVERIFY2(m_doubles->dialogs.unexpected().isEmpty(), qPrintable(m_doubles->dialogs.unexpected().join('\n')));
    m_doubles.reset();
    WindowRegistry::reset();
}

void TestMDIMainSettings::checkColours(int text, int back, int quickText, int quickBack)
{
    const auto check = [](const QWidget& box, int foreground, int background) {
        QCOMPARE(TextBoxColors::foreColor(box), foreground);
        QCOMPARE(TextBoxColors::backColor(box), background);
        QCOMPARE(box.palette().color(QPalette::Text), ColorValue::toQColor(foreground));
        QCOMPARE(box.palette().color(QPalette::Base), ColorValue::toQColor(background));
    };
    check(*control<QPlainTextEdit>(WindowRegistry::get<frmEditor>(), "SayText"), text, back);
    for (const QWidget* box :
        indexedControls<QPlainTextEdit>(WindowRegistry::get<frmRandomText>(), "Text1", frmRandomText::rowCount)) {
        check(*box, quickText, quickBack);
        if (QTest::currentTestFailed())
            return;
    }
}

std::pair<int, int> TestMDIMainSettings::ownQuickTextColours()
{
    const frmRandomText probe;
    return { TextBoxColors::foreColor(*control<QPlainTextEdit>(probe, "Text1", 0)),
        TextBoxColors::backColor(*control<QPlainTextEdit>(probe, "Text1", 0)) };
}

void TestMDIMainSettings::firstStartWithoutFile()
{
    MDIMain& main = shownMain();
    // The whole frame, title bar included, at the corner the desktop leaves free.
    QCOMPARE(outerFrame(main).topLeft(), availableArea().topLeft());
    QVERIFY2(serverAgrees(main), qPrintable(describe(main)));
    QVERIFY(main.SettingsLoaded);
    QVERIFY(control<QAction>(main, "mnuAutoSpeech")->isChecked());
    QCOMPARE(outerSize(main), pixels({ 9735, 8600 }));
    QCOMPARE(fileBytes(settingsPath()), lineOf(main, designText, designBack, true));
    QCOMPARE(main.settingsPath(), settingsPath());
    QVERIFY(m_doubles->messages.messages().empty());
}

void TestMDIMainSettings::tenRestartsNeitherMoveNorGrow_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("first start") << QByteArray();
    QTest::newRow("stored place") << QByteArray("10500,9000,150,300,255,16711680,#FALSE#\r\n");
    QTest::newRow("maximised before") << QByteArray("8400,9735,0,0,255,16711680,#TRUE#\r\n");
}

// The frame the user saw is the frame stored, and the frame stored is the frame shown next time.
void TestMDIMainSettings::tenRestartsNeitherMoveNorGrow()
{
    QFETCH(QByteArray, file);
    if (!file.isEmpty())
        QVERIFY(writeFile(settingsPath(), file));
    MDIMain* main = &shownMain();
    const QRect placed = outerFrame(*main);
    const QByteArray stored = fileBytes(settingsPath());
    QVERIFY2(serverShows(*main, placed), qPrintable(describe(*main)));
    for (int run = 2; run <= 10; ++run) {
        main->SaveSettings(); // as File > Exit does
        restartProgram();
        main = &shownMain();
        QCOMPARE(outerFrame(*main), placed);
        QVERIFY2(serverShows(*main, placed), qPrintable(QStringLiteral("run %1: %2").arg(run).arg(describe(*main))));
        QCOMPARE(fileBytes(settingsPath()), stored);
    }
}

// Most of the window may stand off the screen as long as its title bar can be taken hold of.
void TestMDIMainSettings::titleBarOnScreenKeepsAPlacePartlyOff()
{
    const QRect area = availableArea();
    const int left = area.right() + 1 - 100;
    const QByteArray line = QStringLiteral("10500,9000,%1,%2,255,16711680,#FALSE#\r\n")
                                .arg(Twips::fromPixelsX(left))
                                .arg(Twips::fromPixelsY(area.top() + 40))
                                .toLatin1();
    QVERIFY(writeFile(settingsPath(), line));
    MDIMain& main = shownMain();
    // Some managers pull such a window further onto the screen themselves once it is shown.
    QCOMPARE(outerFrame(main), QRect(QPoint(left, area.top() + 40), pixels({ 10500, 9000 })));
    QCOMPARE(fileBytes(settingsPath()), line);
}

// The design's minimum springs back, but never beyond what the screen can show (a small or
// scaled screen): the lower edge stays reachable and the window can be made that small.
void TestMDIMainSettings::minimumFitsTheScreen()
{
    MDIMain& main = shownMain();
    const QSize minimum = pixels({ 9735, 8600 }).boundedTo(availableArea().size());
    setOuterSize(main, 150, 150);
    QTRY_COMPARE(outerSize(main), minimum);
    QVERIFY(main.minimumSize().width() <= availableArea().width());
    QVERIFY(main.minimumSize().height() <= availableArea().height());
    QVERIFY2(serverAgrees(main), qPrintable(describe(main)));
    QVERIFY(availableArea().contains(outerFrame(main)));
}

void TestMDIMainSettings::loadsEveryField()
{
    const QByteArray line("10500,9000,150,300,255,16711680,#FALSE#\r\n");
    QVERIFY(writeFile(settingsPath(), line));
    MDIMain& main = shownMain();
    QCOMPARE(outerSize(main), pixels({ 10500, 9000 }));
    QCOMPARE(outerFrame(main).topLeft(), QPoint(Twips::toPixelsX(150), Twips::toPixelsY(300)));
    QVERIFY(!control<QAction>(main, "mnuAutoSpeech")->isChecked());
    checkColours(255, 16711680);
    // Showing the window ran a layout pass, which wrote back what was read.
    QCOMPARE(fileBytes(settingsPath()), line);
}

void TestMDIMainSettings::faultyFileTakesTheRepairPath_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QSize>("size"); // outer, twips, after the load
    QTest::addColumn<bool>("coloured"); // the file's colours applied before the fault
    const QSize created(9735, 8600);
    const QSize stored(10500, 9000);
    const auto row = [](const char* name, const char* file, QSize size, bool coloured = false) {
        QTest::newRow(name) << QByteArray(file) << size << coloured;
    };
    row("empty", "", created);
    row("six fields", "10500,9000,150,300,255,16711680\r\n", created);
    row("word in field five", "10500,9000,150,300,green,16711680,#FALSE#\r\n", stored);
    row("word in field six", "10500,9000,150,300,255,blue,#FALSE#\r\n", stored);
    row("word in field seven", "10500,9000,150,300,255,16711680,yes\r\n", stored, true);
    row("word in field one", "wide,9000,150,300,255,16711680,#FALSE#\r\n", created);
    row("word in field two", "10500,high,150,300,255,16711680,#FALSE#\r\n", QSize(10500, 8600));
    row("negative width", "-15,9000,150,300,255,16711680,#FALSE#\r\n", created);
    row("colour overflow", "10500,9000,150,300,4294967295,0,#FALSE#\r\n", stored);
    row("off every screen", "10500,9000,-200000,150000,255,16711680,#FALSE#\r\n", stored);
    row("beyond any desktop", "10500,9000,99999999,0,255,16711680,#FALSE#\r\n", stored);
    // A title bar above the screen's top edge, as a frame placed without its margins left it.
    row("title bar above the screen", "10500,9000,150,-300,255,16711680,#FALSE#\r\n", stored);
}

// Fields before the fault keep their effect; the window goes to the corner and the file is
// rewritten whole from the state, with the boxes' own colours and the mark as they were.
void TestMDIMainSettings::faultyFileTakesTheRepairPath()
{
    QFETCH(QByteArray, file);
    QFETCH(QSize, size);
    QFETCH(bool, coloured);
    const auto [quickText, quickBack] = ownQuickTextColours();
    QVERIFY(writeFile(settingsPath(), file));
    MDIMain& main = shownMain();
    QCOMPARE(outerFrame(main).topLeft(), availableArea().topLeft());
    QCOMPARE(outerSize(main), pixels(size));
    QVERIFY(control<QAction>(main, "mnuAutoSpeech")->isChecked());
    if (coloured)
        checkColours(255, 16711680);
    else
        checkColours(designText, designBack, quickText, quickBack);
    const int text = coloured ? 255 : designText;
    const int back = coloured ? 16711680 : designBack;
    QCOMPARE(fileBytes(settingsPath()), lineOf(main, text, back, true));
    QVERIFY(m_doubles->messages.messages().empty());
}

void TestMDIMainSettings::systemColoursStayNegative()
{
    const int windowText = ColorValue::systemColorFlag | COLOR_WINDOWTEXT;
    const int window = ColorValue::systemColorFlag | COLOR_WINDOW;
    const QByteArray line = QStringLiteral("10500,9000,150,300,%1,%2,1\r\n").arg(windowText).arg(window).toLatin1();
    QVERIFY(line.contains("-2147483640,-2147483643"));
    QVERIFY(writeFile(settingsPath(), line));
    MDIMain& main = shownMain();
    QVERIFY(control<QAction>(main, "mnuAutoSpeech")->isChecked());
    checkColours(windowText, window);
    QCOMPARE(control<QPlainTextEdit>(WindowRegistry::get<frmEditor>(), "SayText")->palette().color(QPalette::Base),
        ColorValue::toQColor(GetSysColor(COLOR_WINDOW)));
    QCOMPARE(fileBytes(settingsPath()), QByteArray("10500,9000,150,300,-2147483640,-2147483643,#TRUE#\r\n"));
}

// A maximised window stores a fixed size; started again, the layout pass widens it to its
// minimum width, so it opens 9735 by 9735.
void TestMDIMainSettings::maximisedWritesTheFixedSize()
{
    QVERIFY(writeFile(settingsPath(), "10500,9000,150,300,255,16711680,#FALSE#\r\n"));
    MDIMain& main = shownMain();
    main.showMaximized();
    QTRY_VERIFY(main.isMaximized());
    const QByteArray expected = QStringLiteral("8400,9735,%1,%2,255,16711680,#FALSE#\r\n")
                                    .arg(Twips::fromPixelsX(outerFrame(main).topLeft().x()))
                                    .arg(Twips::fromPixelsY(outerFrame(main).topLeft().y()))
                                    .toLatin1();
    QTRY_COMPARE(fileBytes(settingsPath()), expected);

    // The maximised frame's place, as its manager shows it (some put the borders off the screen).
    QVERIFY2(serverAgrees(main), qPrintable(describe(main)));

    restartProgram();
    MDIMain& again = shownMain();
    QVERIFY(!again.isMaximized());
    QCOMPARE(outerSize(again), pixels({ 9735, 9735 }));
    QVERIFY(availableArea().contains(outerFrame(again).topLeft()));
}

void TestMDIMainSettings::colourCommands_data()
{
    QTest::addColumn<int>("index");
    QTest::newRow("background") << 0;
    QTest::newRow("text") << 1;
}

void TestMDIMainSettings::colourCommands()
{
    QFETCH(int, index);
    const auto [quickText, quickBack] = ownQuickTextColours();
    MDIMain& main = shownMain();
    const int chosen = 30 << 16 | 20 << 8 | 10;
    m_doubles->dialogs.answerColor(QColor(10, 20, 30));
    control<QAction>(main, "mnuSettingsItem", index)->trigger();
    const int text = index == 1 ? chosen : designText;
    const int back = index == 0 ? chosen : designBack;
    checkColours(text, back, index == 1 ? chosen : quickText, index == 0 ? chosen : quickBack);
    QCOMPARE(fileBytes(settingsPath()), lineOf(main, text, back, true));

    // The dialog starts from the colour chosen last, by either command.
    m_doubles->dialogs.answerColor(QColor(1, 2, 3));
    control<QAction>(main, "mnuSettingsItem", 1 - index)->trigger();
    QCOMPARE(m_doubles->dialogs.colorRequests().size(), std::size_t(2));
    QCOMPARE(m_doubles->dialogs.colorRequests()[1].initial, QColor(10, 20, 30));
    QCOMPARE(m_doubles->dialogs.colorRequests()[1].flags, 0);
    const int second = 3 << 16 | 2 << 8 | 1;
    checkColours(index == 0 ? second : chosen, index == 0 ? chosen : second);
}

// Cancel keeps every box's colour, also before any colour was ever chosen, and writes nothing.
void TestMDIMainSettings::cancelledColourChangesNothing()
{
    const auto [quickText, quickBack] = ownQuickTextColours();
    MDIMain& main = shownMain();
    const QByteArray marker("untouched");
    QVERIFY(writeFile(settingsPath(), marker));
    m_doubles->dialogs.cancelColor();
    control<QAction>(main, "mnuSettingsItem", 0)->trigger();
    checkColours(designText, designBack, quickText, quickBack);
    QCOMPARE(fileBytes(settingsPath()), marker);

    m_doubles->dialogs.answerColor(QColor(200, 0, 0));
    control<QAction>(main, "mnuSettingsItem", 1)->trigger();
    m_doubles->dialogs.cancelColor();
    control<QAction>(main, "mnuSettingsItem", 0)->trigger();
    checkColours(200, designBack, 200, quickBack);
    QCOMPARE(m_doubles->dialogs.pending(), 0);
}

void TestMDIMainSettings::automaticSpeechFlipsAndStores()
{
    MDIMain& main = shownMain();
    control<QAction>(main, "mnuAutoSpeech")->trigger();
    QVERIFY(!control<QAction>(main, "mnuAutoSpeech")->isChecked());
    QCOMPARE(fileBytes(settingsPath()), lineOf(main, designText, designBack, false));
    main.mnuAutoSpeech_Click();
    QVERIFY(control<QAction>(main, "mnuAutoSpeech")->isChecked());
    QCOMPARE(fileBytes(settingsPath()), lineOf(main, designText, designBack, true));
}

// A folder in the file's place can be neither read nor written: the first failure of the run is
// told once, and every later write fails quietly while the program goes on.
void TestMDIMainSettings::unwritableFileIsReportedOnce()
{
    const auto [quickText, quickBack] = ownQuickTextColours();
    QVERIFY(QDir().mkdir(settingsPath()));
    MDIMain& main = shownMain();
    QCOMPARE(outerFrame(main).topLeft(), availableArea().topLeft());
    QCOMPARE(m_doubles->messages.messages().size(), std::size_t(1));
    const auto& told = m_doubles->messages.messages().front();
    QCOMPARE(told.title, MDIMain::ProductCaption);
    QCOMPARE(told.style, int(vbExclamation));
    QVERIFY2(told.text.contains(settingsPath()), qPrintable(told.text));

    const int calls = main.saveSettingsCalls();
    setOuterSize(main, 11000, 9000);
    setOuterSize(main, 12000, 9500);
    m_doubles->dialogs.answerColor(QColor(1, 2, 3));
    control<QAction>(main, "mnuSettingsItem", 0)->trigger();
    control<QAction>(main, "mnuModesItems", 1)->trigger();
    QVERIFY(main.saveSettingsCalls() >= calls + 4);
    QCOMPARE(m_doubles->messages.messages().size(), std::size_t(1));
    QCOMPARE(outerSize(main), pixels({ 12000, 9500 }));
    checkColours(designText, 3 << 16 | 2 << 8 | 1, quickText, 3 << 16 | 2 << 8 | 1);
}

void TestMDIMainSettings::restartRestoresEverything()
{
    MDIMain& main = shownMain();
    setOuterSize(main, 11250, 9450);
    main.move(Twips::toPixelsX(600), Twips::toPixelsY(450));
    m_doubles->dialogs.answerColor(QColor(1, 2, 3));
    control<QAction>(main, "mnuSettingsItem", 0)->trigger();
    m_doubles->dialogs.answerColor(QColor(200, 100, 50));
    control<QAction>(main, "mnuSettingsItem", 1)->trigger();
    control<QAction>(main, "mnuAutoSpeech")->trigger();
    const QByteArray stored = fileBytes(settingsPath());
    QCOMPARE(stored, QByteArray("11250,9450,600,450,3302600,197121,#FALSE#\r\n"));

    restartProgram();
    MDIMain& again = shownMain();
    QCOMPARE(outerSize(again), pixels({ 11250, 9450 }));
    QCOMPARE(outerFrame(again).topLeft(), QPoint(Twips::toPixelsX(600), Twips::toPixelsY(450)));
    QVERIFY(!control<QAction>(again, "mnuAutoSpeech")->isChecked());
    checkColours(50 << 16 | 100 << 8 | 200, 3 << 16 | 2 << 8 | 1);
    QCOMPARE(fileBytes(settingsPath()), stored);
}

// The subtitles item, after Highlight Spoken Words in Settings, starts off and is kept in Preferences.ini, not in the
// seven fields of Settings.ini; the console records with it as the mark says.
void TestMDIMainSettings::subtitlesChoiceIsKeptPerUser()
{
    MDIMain& main = shownMain();
    QAction* item = control<QAction>(main, "mnuWriteSubtitles");
    QCOMPARE(control<QMenu>(main, "mnuSettings")->actions().at(5), item);
    QCOMPARE(item->text(), QStringLiteral("Write Subtitles With Recordings"));
    QVERIFY(item->isCheckable() && !item->isChecked());
    QVERIFY(!WindowRegistry::get<frmConsole>().WriteSubtitles);
    const QByteArray settings = fileBytes(settingsPath());

    item->trigger();
    QVERIFY(item->isChecked());
    QVERIFY(WindowRegistry::get<frmConsole>().WriteSubtitles);
    const QString preferences = m_doubles->folder.filePath("Preferences.ini");
    QCOMPARE(QSettings(preferences, QSettings::IniFormat).value("Speech/WriteSubtitles").toBool(), true);
    QCOMPARE(fileBytes(settingsPath()), settings);

    restartProgram();
    MDIMain& again = shownMain();
    QVERIFY(control<QAction>(again, "mnuWriteSubtitles")->isChecked());
    QVERIFY(WindowRegistry::get<frmConsole>().WriteSubtitles);
    control<QAction>(again, "mnuWriteSubtitles")->trigger();
    QVERIFY(!WindowRegistry::get<frmConsole>().WriteSubtitles);
    QCOMPARE(QSettings(preferences, QSettings::IniFormat).value("Speech/WriteSubtitles").toBool(), false);
}

QTEST_MAIN(TestMDIMainSettings)
#include "tst_MDIMainSettings.moc"
