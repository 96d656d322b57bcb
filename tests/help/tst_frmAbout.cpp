#include "Controls.h"
#include "MDIMain.h"
#include "ScriptedMessages.h"
#include "TemporaryFolder.h"
#include "Twips.h"
#include "WindowRegistry.h"
#include "frmAbout.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

class TestFrmAbout : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void texts();
    void controlsPlacesAndTabOrder();
    void fixedDialogFrame();
    void aboutTwiceShowsOneBox();
    void okDestroysAndTheNextLoadsAfresh_data();
    void okDestroysAndTheNextLoadsAfresh();

private:
    frmAbout& openAbout();

    MDIMain* main = nullptr;
};

void TestFrmAbout::init()
{
    WindowRegistry::reset();
    TemporaryFolder::install();
    ScriptedMessages::install();
    main = &WindowRegistry::get<MDIMain>();
    main->show();
}

void TestFrmAbout::cleanup()
{
    WindowRegistry::reset();
    main = nullptr;
}

frmAbout& TestFrmAbout::openAbout()
{
    control<QAction>(*main, "mnuHelpItems", 1)->trigger();
    frmAbout& about = WindowRegistry::get<frmAbout>();
    if (!QTest::qWaitForWindowExposed(&about))
        qWarning("The about box was not exposed");
    return about;
}

void TestFrmAbout::texts()
{
    frmAbout& about = openAbout();
    QCOMPARE(about.windowTitle(), QString("Parlora v1.0"));
    QCOMPARE(control<QLabel>(about, "Label1")->text(), QString("Parlora v1.0\r\n") + frmAbout::MakerAddress);
    QVERIFY(frmAbout::MakerAddress.startsWith("www.") && frmAbout::MakerAddress.endsWith(".example"));
    QCOMPARE(control<QLabel>(about, "Label2")->text(), frmAbout::MakerName);
    QVERIFY(!frmAbout::MakerName.isEmpty());
    QCOMPARE(control<QLabel>(about, "Label3")->text(), frmAbout::RightsNotice);
    QVERIFY(frmAbout::RightsNotice.contains(QRegularExpression("\\b20\\d\\d\\b")));
    QCOMPARE(control<QLabel>(about, "Label4")->text(), frmAbout::LegalWarning);
    QCOMPARE(frmAbout::LegalWarning.size(), 280);
    for (const char* words :
        { "law", "international treaties", "reproduction", "distribution", "civil", "criminal", "penalties" })
        QVERIFY2(frmAbout::LegalWarning.contains(words), words);
    QCOMPARE(control<QPushButton>(about, "cmdOK")->text(), QString("OK"));
    // The picture is its own size, stretched to the control.
    const QPixmap picture = control<QLabel>(about, "Image1")->pixmap();
    QCOMPARE(picture.size(), QSize(248, 179));
    QVERIFY(control<QLabel>(about, "Image1")->hasScaledContents());
}

void TestFrmAbout::controlsPlacesAndTabOrder()
{
    frmAbout& about = openAbout();
    const QList<QPair<QWidget*, QRect>> places {
        { control<QLabel>(about, "Image1"), Twips::toPixels(0, 0, 3060, 2760) },
        { control<QLabel>(about, "Label1"), Twips::toPixels(3300, 300, 2715, 495) },
        { control<QLabel>(about, "Label2"), Twips::toPixels(3300, 60, 1995, 255) },
        { control<QLabel>(about, "Label3"), Twips::toPixels(3300, 1080, 1995, 255) },
        { control<QLabel>(about, "Label4"), Twips::toPixels(60, 2880, 4335, 1035) },
        { control<QPushButton>(about, "cmdOK"), Twips::toPixels(4740, 3240, 1275, 495) },
    };
    for (const auto& [control, place] : places)
        QCOMPARE(control->geometry(), place);
    for (const char* name : { "Image1", "Label1", "Label2", "Label3", "Label4", "cmdOK" })
        QVERIFY2(about.findChild<QWidget*>(name), name);

    QWidget* next = control<QLabel>(about, "Label1");
    for (QWidget* expected : QList<QWidget*> { control<QLabel>(about, "Label2"), control<QLabel>(about, "Label3"),
             control<QLabel>(about, "Label4"), control<QPushButton>(about, "cmdOK") }) {
        next = next->nextInFocusChain();
        QCOMPARE(next, expected);
    }
    QTRY_COMPARE(QApplication::focusWidget(), control<QPushButton>(about, "cmdOK"));
}

void TestFrmAbout::fixedDialogFrame()
{
    frmAbout& about = openAbout();
    QCOMPARE(about.size(), QSize(Twips::toPixelsX(6300), Twips::toPixelsY(3930)));
    QCOMPARE(about.minimumSize(), about.maximumSize());
    QVERIFY(!(about.windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(about.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(!about.isModal());
    // Modeless: the main window still takes commands.
    QVERIFY(!QApplication::activeModalWidget());
}

void TestFrmAbout::aboutTwiceShowsOneBox()
{
    frmAbout& first = openAbout();
    frmAbout& second = openAbout();
    QCOMPARE(&second, &first);
    int boxes = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        boxes += qobject_cast<frmAbout*>(widget) ? 1 : 0;
    QCOMPARE(boxes, 1);
}

void TestFrmAbout::okDestroysAndTheNextLoadsAfresh_data()
{
    QTest::addColumn<QString>("way");
    QTest::newRow("OK clicked") << "click";
    QTest::newRow("Enter") << "enter";
    QTest::newRow("Escape") << "escape";
    QTest::newRow("close box") << "close";
}

void TestFrmAbout::okDestroysAndTheNextLoadsAfresh()
{
    QFETCH(QString, way);
    frmAbout& about = openAbout();
    QPointer<frmAbout> old(&about);
    // Changed, so that a box shown again rather than loaded anew would show.
    control<QLabel>(about, "Label4")->setText("changed");
    about.setWindowTitle("changed");
    if (way == "click")
        QTest::mouseClick(control<QPushButton>(about, "cmdOK"), Qt::LeftButton);
    else if (way == "enter")
        QTest::keyClick(&about, Qt::Key_Return);
    else if (way == "escape")
        QTest::keyClick(&about, Qt::Key_Escape);
    else
        about.close();
    QTRY_VERIFY(!old);
    QVERIFY(!WindowRegistry::exists<frmAbout>());

    frmAbout& next = openAbout();
    QCOMPARE(control<QLabel>(next, "Label4")->text(), frmAbout::LegalWarning);
    QCOMPARE(next.windowTitle(), QString("Parlora v1.0"));
    QVERIFY(next.isVisible());
}

QTEST_MAIN(TestFrmAbout)
#include "tst_frmAbout.moc"
