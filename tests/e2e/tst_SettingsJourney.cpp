#include "ColorValue.h"
#include "E2EMain.h"
#include "Files.h"
#include "Program.h"
#include "TextBoxColors.h"
#include "Twips.h"
#include "User.h"
#include "frmEditor.h"
#include "frmRandomText.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QTest>

namespace {

QSize pixels(int widthTwips, int heightTwips)
{
    return { Twips::toPixelsX(widthTwips), Twips::toPixelsY(heightTwips) };
}

// Gives the window an outer size in twips, as dragging its frame does.
void dragFrameTo(MDIMain& main, int widthTwips, int heightTwips)
{
    const QSize frame = main.frameGeometry().size() - main.size();
    main.resize(pixels(widthTwips, heightTwips) - frame);
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
    std::vector<const QWidget*> boxes { program.editor().SayText };
    for (const QPlainTextEdit* box : program.quickText().Text1)
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
    QCOMPARE(program.main().pos(), QPoint(0, 0));
    QCOMPARE(fileBytes(settings).count(','), 6);

    MDIMain& main = program.main();
    dragFrameTo(main, 10500, 9000);
    main.move(Twips::toPixelsX(600), Twips::toPixelsY(450));
    program.dialogs.answerColor(QColor(250, 240, 200));
    QVERIFY(User::choose(main.mnuSettingsItem[0]));
    program.dialogs.answerColor(QColor(20, 40, 120));
    QVERIFY(User::choose(main.mnuSettingsItem[1]));
    const int text = 120 << 16 | 40 << 8 | 20;
    const int back = 200 << 16 | 240 << 8 | 250;
    checkColours(program, text, back);
    if (QTest::currentTestFailed())
        return;

    QVERIFY(User::choose(main.mnuFileItems[8]));
    QCOMPARE(program.endRequests(), 1);
    QCOMPARE(fileBytes(settings), QByteArray("10500,9000,600,450,7874580,13168890,#TRUE#\r\n"));

    QVERIFY2(program.restart(), qPrintable(program.failure()));
    MDIMain& second = program.main();
    QCOMPARE(second.frameGeometry().size(), pixels(10500, 9000));
    QCOMPARE(second.pos(), QPoint(Twips::toPixelsX(600), Twips::toPixelsY(450)));
    QVERIFY(second.mnuAutoSpeech->isChecked());
    checkColours(program, text, back);
    if (QTest::currentTestFailed())
        return;

    // Maximised, the window keeps a fixed size; the next start widens it to its minimum width.
    second.showMaximized();
    QTRY_VERIFY(second.isMaximized());
    QVERIFY(User::choose(second.mnuFileItems[8]));
    QCOMPARE(program.endRequests(), 1);
    const QByteArray maximised = QStringLiteral("8400,9735,%1,%2,7874580,13168890,#TRUE#\r\n")
                                     .arg(Twips::fromPixelsX(second.pos().x()))
                                     .arg(Twips::fromPixelsY(second.pos().y()))
                                     .toLatin1();
    QCOMPARE(fileBytes(settings), maximised);

    QVERIFY2(program.restart(), qPrintable(program.failure()));
    MDIMain& third = program.main();
    QVERIFY(!third.isMaximized());
    QCOMPARE(third.frameGeometry().size(), pixels(9735, 9735));
    checkColours(program, text, back);
    QVERIFY(program.messages.messages().empty());
    QVERIFY(program.dialogs.unexpected().isEmpty());
}

PARLORA_E2E_MAIN(TestSettingsJourney)
#include "tst_SettingsJourney.moc"
