#include "Controls.h"
#include "MDIMain.h"
#include "ScriptedMessages.h"
#include "TemporaryFolder.h"
#include "Twips.h"
#include "WindowRegistry.h"
#include "frmHelp.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QRegularExpression>
#include <QTest>
#include <QTreeWidget>

namespace {

struct Place {
    QString picture; // imgRecord, imgPlay, imgTextEd(0) ...
    int left;
    int line;
    int offset;
};

QList<frmHelp*> openHelpWindows()
{
    QList<frmHelp*> windows;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* help = qobject_cast<frmHelp*>(widget))
            windows << help;
    }
    return windows;
}

} // namespace

Q_DECLARE_METATYPE(QList<Place>)

class TestFrmHelp : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void loadBuildsTheCollapsedTree();
    void controls();
    void topic_data();
    void topic();
    void rootShowsOnlyTheTitle();
    void unknownKeyHidesAndKeepsTheTitle();
    void switchingTopicsHidesWhatWasShown();
    void picturesStandInTheGaps_data();
    void picturesStandInTheGaps();
    void clickingANodeShowsItsTopic();
    void expandAndCollapseImages();
    void helpTwiceShowsOneWindow();
    void exitMakesTheNextOneFresh();
    void closeBoxUnloadsToo();

private:
    frmHelp& openHelp();
    void click(const QString& key);
    QList<QLabel*> visibleLines() const;

    MDIMain* main = nullptr;
};

void TestFrmHelp::init()
{
    WindowRegistry::reset();
    TemporaryFolder::install();
    ScriptedMessages::install();
    main = &WindowRegistry::get<MDIMain>();
    main->show();
}

void TestFrmHelp::cleanup()
{
    WindowRegistry::reset();
    main = nullptr;
}

frmHelp& TestFrmHelp::openHelp()
{
    control<QAction>(*main, "mnuHelpItems", 0)->trigger();
    frmHelp& help = WindowRegistry::get<frmHelp>();
    if (!QTest::qWaitForWindowExposed(&help))
        qWarning("The help window was not exposed");
    return help;
}

void TestFrmHelp::click(const QString& key)
{
    frmHelp& help = WindowRegistry::get<frmHelp>();
    help.TreeView1_NodeClick(help.node(key));
}

QList<QLabel*> TestFrmHelp::visibleLines() const
{
    QList<QLabel*> shown;
    for (QLabel* line : indexedControls<QLabel>(WindowRegistry::get<frmHelp>(), "lblHelp", frmHelp::lineCount)) {
        if (line->isVisible())
            shown << line;
    }
    return shown;
}

void TestFrmHelp::loadBuildsTheCollapsedTree()
{
    frmHelp& help = openHelp();
    QVERIFY(help.isVisible());
    QCOMPARE(help.windowTitle(), QString("Help"));
    QCOMPARE(control<QLabel>(help, "lblTitle")->text(), QString("Parlora v1.0 Help"));

    struct Node {
        const char* key;
        const char* text;
        const char* parent;
        const char* image;
    };
    const Node nodes[] = {
        { "a", "Parlora v1.0", nullptr, "closed" },
        { "w", "Welcome To Parlora v1.0", "a", "closed" },
        { "m", "Modes of Operation", "w", "doc" },
        { "p", "Programmable Buttons", "w", "doc" },
        { "t", "Text Editor", "w", "doc" },
        { "q", "Quick Text", "w", "doc" },
    };
    QCOMPARE(control<QTreeWidget>(help, "TreeView1")->topLevelItemCount(), 1);
    for (const Node& expected : nodes) {
        QTreeWidgetItem* item = help.node(expected.key);
        QVERIFY2(item, expected.key);
        QCOMPARE(frmHelp::nodeKey(*item), QString(expected.key));
        QCOMPARE(item->text(0), QString(expected.text));
        QCOMPARE(frmHelp::nodeImage(*item), QString(expected.image));
        QVERIFY(!item->isExpanded());
        QVERIFY(!(item->flags() & Qt::ItemIsEditable));
        if (expected.parent)
            QCOMPARE(item->parent(), help.node(expected.parent));
        else
            QVERIFY(!item->parent());
    }
    // Children in the order they were added; at first only the root shows.
    QTreeWidgetItem* welcome = help.node("w");
    QCOMPARE(welcome->childCount(), 4);
    for (int i = 0; i < 4; ++i)
        QCOMPARE(frmHelp::nodeKey(*welcome->child(i)), QString("mptq").mid(i, 1));
    QVERIFY(control<QTreeWidget>(help, "TreeView1")->visualItemRect(help.node("a")).isValid());
    QVERIFY(!control<QTreeWidget>(help, "TreeView1")->visualItemRect(welcome).isValid());
    QCOMPARE(control<QTreeWidget>(help, "TreeView1")->editTriggers(), QAbstractItemView::NoEditTriggers);
    QVERIFY(visibleLines().isEmpty());
}

void TestFrmHelp::controls()
{
    frmHelp& help = openHelp();
    QCOMPARE(control<QTreeWidget>(help, "TreeView1")->geometry(),
        QRect(0, 0, Twips::toPixelsX(4000), help.centralWidget()->height()));
    QCOMPARE(control<QLabel>(help, "lblTitle")->geometry(), Twips::toPixels(4100, 0, 6735, 375));
    QVERIFY(control<QLabel>(help, "lblTitle")->font().bold() && control<QLabel>(help, "lblTitle")->font().underline());
    QCOMPARE(control<QLabel>(help, "lblTitle")->font().pointSizeF(), 13.5);
    for (int i = 0; i < frmHelp::lineCount; ++i) {
        QLabel* line = help.findChild<QLabel*>(QStringLiteral("lblHelp(%1)").arg(i));
        QCOMPARE(line, control<QLabel>(help, "lblHelp", i));
        QCOMPARE(line->size(), QSize(Twips::toPixelsX(6735), Twips::toPixelsY(315)));
        QVERIFY(line->isHidden());
    }
    const QStringList pictures { "imgRecord", "imgPlay", "imgTextEd(0)", "imgTextEd(1)", "imgTextEd(2)" };
    for (const QString& name : pictures) {
        QLabel* picture = help.findChild<QLabel*>(name);
        QVERIFY2(picture, qPrintable(name));
        QCOMPARE(picture->size(), QSize(Twips::toPixelsX(510), Twips::toPixelsY(510)));
        QVERIFY(!picture->pixmap().isNull());
        QVERIFY(picture->isHidden());
    }
    QCOMPARE(help.treePictures().count(), 3);
    QCOMPARE(help.treePictures().picture(1), help.treePictures().picture("closed"));
    QCOMPARE(help.treePictures().picture(2), help.treePictures().picture("open"));
    QCOMPARE(help.treePictures().picture(3), help.treePictures().picture("doc"));

    const QList<QAction*> menus = help.menuBar()->actions();
    QCOMPARE(menus.size(), 1);
    QCOMPARE(menus[0]->text(), QString("File"));
    QCOMPARE(menus[0]->menu(), control<QMenu>(help, "mnuFile"));
    QCOMPARE(control<QMenu>(help, "mnuFile")->actions(), QList<QAction*> { control<QAction>(help, "mnuExit") });
    QCOMPARE(control<QAction>(help, "mnuExit")->text(), QString("&Exit"));
}

void TestFrmHelp::topic_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<QList<int>>("gaps");
    QTest::addColumn<QList<Place>>("places");

    QTest::newRow("w") << "w" << "Welcome To Parlora v1.0"
                       << QStringList {
                              "Parlora v1.0 Functions",
                              " -Read, Open, Save, Print, Cut, Copy, and Paste *.txt files ",
                              "    using the text editor.",
                              " -Type in Quick Text for reading.",
                              " -Program eight different buttons for automatic reading.",
                              " -Change text background color by clicking ",
                              "    (Settings>Change Background Color).",
                              " -Change text foregound color by clicking ",
                              "    (Settings>Change Foreground Color).",
                              " -Change text font and size by clicking ",
                              "    (Settings>Change Font).",
                              " -Disable/Enable automatic computer speech by toggling ",
                              "    (Settings>Automatic Speech).",
                          }
                       << QList<int>(13, 200) << QList<Place> {};
    QTest::newRow("m") << "m"
                       << "Modes Of Operation" << QStringList { "-Text Editor", "-Quick Text", "-Programmed Buttons" }
                       << QList<int> { 200, 200, 200 } << QList<Place> {};
    QTest::newRow("p") << "p" << "Programmable Buttons"
                       << QStringList {
                              "-Click (Modes>Programmed Buttons Mode) ",
                              "    to use the programmable buttons.",
                              "-To customize text for automated speech press            ",
                              "    and enter the desired text.",
                              "-To play the desired text press             .",
                          }
                       << QList<int> { 200, 200, 400, 200, 400 }
                       << QList<Place> { { "imgRecord", 7470, 2, -150 }, { "imgPlay", 6300, 4, -150 } };
    QTest::newRow("t") << "t" << "Text Editor"
                       << QStringList {
                              "-Click (Modes>Text Editor Mode) to use the text editor.",
                              "-Use the text editor to create, open, save, edit, and print (*.txt) files.",
                              "-To play, pause, or record the file press either                                          .",
                          }
                       << QList<int> { 200, 200, 400 }
                       << QList<Place> { { "imgTextEd(0)", 5430, 2, 200 }, { "imgTextEd(2)", 6030, 2, 200 },
                              { "imgTextEd(1)", 6630, 2, 200 } };
    QTest::newRow("q") << "q" << "Quick Text"
                       << QStringList {
                              "-Click (Modes>Quick Text Mode) to use the Quick Text function.",
                              "-To play the quick text press                  .",
                              "-Type different strings into each of the 4 text boxes.",
                          }
                       << QList<int> { 200, 400, 400 } << QList<Place> { { "imgPlay", 6300, 1, -150 } };
}

void TestFrmHelp::topic()
{
    QFETCH(QString, key);
    QFETCH(QString, title);
    QFETCH(QStringList, captions);
    QFETCH(QList<int>, gaps);
    QFETCH(QList<Place>, places);
    frmHelp& help = openHelp();
    click(key);

    QCOMPARE(control<QLabel>(help, "lblTitle")->text(), title);
    QCOMPARE(visibleLines().size(), captions.size());
    QList<int> tops;
    int top = 375; // the title's height
    for (int i = 0; i < frmHelp::lineCount; ++i) {
        QLabel* line = control<QLabel>(help, "lblHelp", i);
        QCOMPARE(line->isVisible(), i < captions.size());
        QCOMPARE(line->x(), Twips::toPixelsX(4150));
        if (i >= captions.size())
            continue;
        top += gaps[i];
        tops << top;
        QCOMPARE(line->text(), captions[i]);
        QCOMPARE(line->y(), Twips::toPixelsY(top));
    }
    QStringList shown;
    for (const Place& place : places) {
        QLabel* picture = help.findChild<QLabel*>(place.picture);
        QVERIFY(picture->isVisible());
        QCOMPARE(
            picture->pos(), QPoint(Twips::toPixelsX(place.left), Twips::toPixelsY(tops[place.line] + place.offset)));
        shown << place.picture;
    }
    for (const char* name : { "imgRecord", "imgPlay", "imgTextEd(0)", "imgTextEd(1)", "imgTextEd(2)" }) {
        if (!shown.contains(name))
            QVERIFY2(help.findChild<QLabel*>(name)->isHidden(), name);
    }
}

void TestFrmHelp::rootShowsOnlyTheTitle()
{
    frmHelp& help = openHelp();
    click("t");
    click("a");
    QCOMPARE(control<QLabel>(help, "lblTitle")->text(), QString("Parlora v1.0 Help"));
    QVERIFY(visibleLines().isEmpty());
    for (QLabel* picture : help.findChildren<QLabel*>(QRegularExpression("^img")))
        QVERIFY2(picture->isHidden(), qPrintable(picture->objectName()));
}

void TestFrmHelp::unknownKeyHidesAndKeepsTheTitle()
{
    frmHelp& help = openHelp();
    click("q");
    QTreeWidgetItem stranger;
    stranger.setData(0, Qt::UserRole, QString("z"));
    help.TreeView1_NodeClick(&stranger);
    QCOMPARE(control<QLabel>(help, "lblTitle")->text(), QString("Quick Text"));
    QVERIFY(visibleLines().isEmpty());
    QVERIFY(control<QLabel>(help, "imgPlay")->isHidden());
}

void TestFrmHelp::switchingTopicsHidesWhatWasShown()
{
    frmHelp& help = openHelp();
    click("p");
    QVERIFY(control<QLabel>(help, "imgRecord")->isVisible() && control<QLabel>(help, "imgPlay")->isVisible());
    const int playTopInP = control<QLabel>(help, "imgPlay")->y();
    click("q");
    QVERIFY(control<QLabel>(help, "imgRecord")->isHidden());
    QVERIFY(control<QLabel>(help, "lblHelp", 3)->isHidden() && control<QLabel>(help, "lblHelp", 4)->isHidden());
    QVERIFY(control<QLabel>(help, "imgPlay")->isVisible());
    // Line 1 of the topic stands 200 + 400 twips below the title.
    QCOMPARE(control<QLabel>(help, "imgPlay")->y(), Twips::toPixelsY(375 + 600 - 150));
    QVERIFY(control<QLabel>(help, "imgPlay")->y() != playTopInP);
}

void TestFrmHelp::picturesStandInTheGaps_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("picture");
    QTest::newRow("p: record") << "p" << 2 << "imgRecord";
    QTest::newRow("p: play") << "p" << 4 << "imgPlay";
    QTest::newRow("q: play") << "q" << 1 << "imgPlay";
}

// The words before a gap end before the picture set into it, whatever font the desktop has.
void TestFrmHelp::picturesStandInTheGaps()
{
    QFETCH(QString, key);
    QFETCH(int, line);
    QFETCH(QString, picture);
    frmHelp& help = openHelp();
    click(key);
    QLabel* words = control<QLabel>(help, "lblHelp", line);
    const QString before = words->text().left(words->text().indexOf("  "));
    const QLabel* shown = help.findChild<QLabel*>(picture);
    const int iconLeft = shown->x() + (shown->width() - shown->pixmap().width()) / 2;
    QVERIFY2(words->x() + words->fontMetrics().horizontalAdvance(before) < iconLeft, qPrintable(before));
    // The picture stands on the line's words.
    QVERIFY(shown->geometry().intersects(QRect(words->x(), words->y(), words->width(), words->fontMetrics().height())));
}

// A real click on a node, after opening its parents as the user does.
void TestFrmHelp::clickingANodeShowsItsTopic()
{
    frmHelp& help = openHelp();
    help.node("a")->setExpanded(true);
    help.node("w")->setExpanded(true);
    const QRect place = control<QTreeWidget>(help, "TreeView1")->visualItemRect(help.node("m"));
    QVERIFY(place.isValid());
    QTest::mouseClick(control<QTreeWidget>(help, "TreeView1")->viewport(), Qt::LeftButton, {}, place.center());
    QCOMPARE(control<QLabel>(help, "lblTitle")->text(), QString("Modes Of Operation"));
    QCOMPARE(visibleLines().size(), 3);
    QTest::keyClick(control<QTreeWidget>(help, "TreeView1"), Qt::Key_Down);
    QCOMPARE(control<QLabel>(help, "lblTitle")->text(), QString("Programmable Buttons"));
}

void TestFrmHelp::expandAndCollapseImages()
{
    frmHelp& help = openHelp();
    QTreeWidgetItem* root = help.node("a");
    QTreeWidgetItem* welcome = help.node("w");
    root->setExpanded(true);
    welcome->setExpanded(true);
    QCOMPARE(frmHelp::nodeImage(*root), QString("open"));
    QCOMPARE(frmHelp::nodeImage(*welcome), QString("open"));
    root->setExpanded(false);
    QCOMPARE(frmHelp::nodeImage(*root), QString("closed"));
    QCOMPARE(frmHelp::nodeImage(*welcome), QString("open"));
    welcome->setExpanded(false);
    QCOMPARE(frmHelp::nodeImage(*welcome), QString("closed"));
    QCOMPARE(frmHelp::nodeImage(*help.node("m")), QString("doc"));
    // The icon shown is the image list's picture of that key.
    root->setExpanded(true);
    const QImage shown
        = root->icon(0).pixmap(help.treePictures().size()).toImage().convertToFormat(QImage::Format_RGB32);
    const QImage open = help.treePictures().picture("open").convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown.pixel(8, 10), open.pixel(8, 10));
}

void TestFrmHelp::helpTwiceShowsOneWindow()
{
    frmHelp& first = openHelp();
    click("p");
    first.node("a")->setExpanded(true);
    frmHelp& second = openHelp();
    QCOMPARE(&second, &first);
    QCOMPARE(openHelpWindows().size(), 1);
    // Shown again unchanged, not reloaded.
    QCOMPARE(control<QLabel>(second, "lblTitle")->text(), QString("Programmable Buttons"));
    QVERIFY(second.node("a")->isExpanded());
}

void TestFrmHelp::exitMakesTheNextOneFresh()
{
    frmHelp& first = openHelp();
    click("w");
    first.node("a")->setExpanded(true);
    QPointer<frmHelp> old(&first);
    // Chosen in the open menu with the mouse, as the user does.
    control<QMenu>(first, "mnuFile")->popup(first.mapToGlobal(QPoint(0, 0)));
    QVERIFY(QTest::qWaitForWindowExposed(control<QMenu>(first, "mnuFile")));
    QTest::mouseClick(control<QMenu>(first, "mnuFile"), Qt::LeftButton, {},
        control<QMenu>(first, "mnuFile")->actionGeometry(control<QAction>(first, "mnuExit")).center());
    QTRY_VERIFY(!old);
    QVERIFY(!WindowRegistry::exists<frmHelp>());

    frmHelp& next = openHelp();
    QCOMPARE(control<QLabel>(next, "lblTitle")->text(), QString("Parlora v1.0 Help"));
    QVERIFY(!next.node("a")->isExpanded());
    QCOMPARE(frmHelp::nodeImage(*next.node("a")), QString("closed"));
    QVERIFY(visibleLines().isEmpty());
    QCOMPARE(openHelpWindows().size(), 1);
}

void TestFrmHelp::closeBoxUnloadsToo()
{
    QPointer<frmHelp> help(&openHelp());
    help->close();
    QTRY_VERIFY(!help);
    QVERIFY(!WindowRegistry::exists<frmHelp>());
    // The main window goes on.
    QVERIFY(main->isVisible());
}

QTEST_MAIN(TestFrmHelp)
#include "tst_frmHelp.moc"
