#include "ColorValue.h"
#include "Controls.h"
#include "E2EMain.h"
#include "Files.h"
#include "FramePlacement.h"
#include "Program.h"
#include "ServerFrame.h"
#include "TextBoxColors.h"
#include "Twips.h"
#include "User.h"
#include "frmEditor.h"
#include "frmRandomText.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTest>

namespace {

QSize pixels(int widthTwips, int heightTwips)
{
    return { Twips::toPixelsX(widthTwips), Twips::toPixelsY(heightTwips) };
}

// Gives the window an outer size in twips, as dragging its frame does.
void dragFrameTo(MDIMain& main, int widthTwips, int heightTwips)
{
    const QMargins margins = main.placement().margins();
    main.resize(
        pixels(widthTwips, heightTwips) - QSize(margins.left() + margins.right(), margins.top() + margins.bottom()));
}

QRect frameOf(const MDIMain& main)
{
    return main.placement().frame();
}

// On a real display the server shows the frame the program has, once the manager is done.
bool serverAgrees(const MDIMain& main)
{
    return QTest::qWaitFor([&main] { return ServerFrame::shows(main, frameOf(main)); }, 3000);
}

} // namespace

// The appearance a user chooses and where the window stands survive File > Exit and a new start.
class TestSettingsJourney : public QObject {
    Q_OBJECT
private slots:
    void coloursSizeAndPlaceComeBack();

private:
    void checkColours(const Program& program, int text, int back);
};

void TestSettingsJourney::checkColours(const Program& program, int text, int back)
{
    std::vector<const QWidget*> boxes { control<QPlainTextEdit>(program.editor(), "SayText") };
    for (const QPlainTextEdit* box :
        indexedControls<QPlainTextEdit>(program.quickText(), "Text1", frmRandomText::rowCount))
        boxes.push_back(box);
    for (const QWidget* box : boxes) {
        QCOMPARE(box->palette().color(QPalette::Text), ColorValue::toQColor(text));
        QCOMPARE(box->palette().color(QPalette::Base), ColorValue::toQColor(back));
        QCOMPARE(TextBoxColors::foreColor(*box), text);
        QCOMPARE(TextBoxColors::backColor(*box), back);
    }
}

void TestSettingsJourney::coloursSizeAndPlaceComeBack()
{
    Program program;
    const QString settings = program.path("Settings.ini");
    QVERIFY2(program.start(), qPrintable(program.failure()));
    // A first start puts the window at the top left corner and writes the file.
    const QPoint corner = QGuiApplication::primaryScreen()->availableGeometry().topLeft();
    QCOMPARE(frameOf(program.main()).topLeft(), corner);
    QVERIFY(serverAgrees(program.main()));
    QCOMPARE(fileBytes(settings).count(','), 6);

    MDIMain& main = program.main();
    dragFrameTo(main, 10500, 9000);
    main.move(Twips::toPixelsX(600), Twips::toPixelsY(450));
    program.dialogs.answerColor(QColor(250, 240, 200));
    QVERIFY(User::choose(control<QAction>(main, "mnuSettingsItem", 0)));
    program.dialogs.answerColor(QColor(20, 40, 120));
    QVERIFY(User::choose(control<QAction>(main, "mnuSettingsItem", 1)));
    const int text = 120 << 16 | 40 << 8 | 20;
    const int back = 200 << 16 | 240 << 8 | 250;
    checkColours(program, text, back);
    if (QTest::currentTestFailed())
        return;

    QVERIFY(User::choose(control<QAction>(main, "mnuFileItems", 8)));
    QCOMPARE(program.endRequests(), 1);
    QCOMPARE(fileBytes(settings), QByteArray("10500,9000,600,450,7874580,13168890,#TRUE#\r\n"));

    QVERIFY2(program.restart(), qPrintable(program.failure()));
    MDIMain& second = program.main();
    QCOMPARE(frameOf(second), QRect(QPoint(Twips::toPixelsX(600), Twips::toPixelsY(450)), pixels(10500, 9000)));
    QVERIFY(serverAgrees(second));
    QVERIFY(control<QAction>(second, "mnuAutoSpeech")->isChecked());
    checkColours(program, text, back);
    if (QTest::currentTestFailed())
        return;

    // Maximised, the window keeps a fixed size; the next start widens it to its minimum width.
    second.showMaximized();
    QTRY_VERIFY(second.isMaximized());
    QVERIFY(User::choose(control<QAction>(second, "mnuFileItems", 8)));
    QCOMPARE(program.endRequests(), 1);
    const QByteArray maximised = QStringLiteral("8400,9735,%1,%2,7874580,13168890,#TRUE#\r\n")
                                     .arg(Twips::fromPixelsX(frameOf(second).x()))
                                     .arg(Twips::fromPixelsY(frameOf(second).y()))
                                     .toLatin1();
    QCOMPARE(fileBytes(settings), maximised);

    QVERIFY2(program.restart(), qPrintable(program.failure()));
    MDIMain& third = program.main();
    QVERIFY(!third.isMaximized());
    QCOMPARE(frameOf(third).size(), pixels(9735, 9735));
    QVERIFY(serverAgrees(third));
    checkColours(program, text, back);
    QVERIFY(program.messages.messages().empty());
    QVERIFY(program.dialogs.unexpected().isEmpty());
}

PARLORA_E2E_MAIN(TestSettingsJourney)
#include "tst_SettingsJourney.moc"
