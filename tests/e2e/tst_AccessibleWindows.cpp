#include "Controls.h"
#include "E2EMain.h"
#include "Program.h"
#include "SeenTabOrder.h"
#include "User.h"
#include "WindowRegistry.h"
#include "frmAbout.h"
#include "frmButtons.h"
#include "frmConsole.h"
#include "frmEditor.h"
#include "frmHelp.h"
#include "frmRandomText.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QSlider>
#include <QTest>
#include <QToolBar>

namespace {

bool isActedOn(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::PushButton:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ComboBox:
    case QAccessible::Slider:
    case QAccessible::SpinBox:
    case QAccessible::EditableText:
    case QAccessible::MenuItem:
    case QAccessible::ButtonMenu:
    case QAccessible::ButtonDropDown:
    case QAccessible::PageTab:
    case QAccessible::Link:
    case QAccessible::Graphic:
        return true;
    default:
        return false;
    }
}

// What a screen reader says for the element: its name, or the label it is labelled by.
QString spokenName(QAccessibleInterface& element)
{
    QString name = element.text(QAccessible::Name).trimmed();
    if (!name.isEmpty())
        return name;
    for (const auto& [label, relation] : element.relations(QAccessible::Label)) {
        if (label)
            name = label->text(QAccessible::Name).trimmed();
        if (!name.isEmpty())
            break;
    }
    return name;
}

QString describe(QAccessibleInterface& element)
{
    const QObject* object = element.object();
    return QStringLiteral("%1 (role %2)")
        .arg(object ? object->objectName() + QLatin1Char(' ') + object->metaObject()->className() : QStringLiteral("?"))
        .arg(int(element.role()));
}

// Every element a person can act on, or the face, without a name, below element.
QStringList nameless(QAccessibleInterface* element, int depth = 0)
{
    QStringList found;
    if (!element || depth > 50)
        return found;
    if (!element->state().invisible && isActedOn(element->role()) && spokenName(*element).isEmpty())
        found << describe(*element);
    for (int i = 0; i < element->childCount(); ++i)
        found << nameless(element->child(i), depth + 1);
    return found;
}

QStringList namelessIn(QObject* root)
{
    return nameless(QAccessible::queryAccessibleInterface(root));
}

// Controls that Tab would reach though a person cannot see them.
QStringList tabbableUnseen(QWidget& window)
{
    QStringList found;
    for (QWidget* control : window.findChildren<QWidget*>()) {
        if ((control->focusPolicy() & Qt::TabFocus) && control->isEnabled() && control->isVisibleTo(&window)
            && !SeenTabOrder::isSeen(*control))
            found << control->objectName() + QLatin1Char(' ') + control->metaObject()->className();
    }
    return found;
}

} // namespace

// What a person who cannot see the screen, or cannot use a mouse, meets in each window: a name for
// everything they can act on, and a Tab order over the controls that can be seen.
class TestAccessibleWindows : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void everyControlHasAName_data();
    void everyControlHasAName();
    void picturesAreNamedForWhatTheyDo();
    void helpWindowsHaveNames();
    void tabStaysOnWhatCanBeSeen_data();
    void tabStaysOnWhatCanBeSeen();
    void quickTextTabLeavesTheBox();
    void focusedControlsShowAMark_data();
    void focusedControlsShowAMark();

private:
    std::unique_ptr<Program> m_program;
};

void TestAccessibleWindows::init()
{
    m_program = std::make_unique<Program>();
    QVERIFY2(m_program->start(), qPrintable(m_program->failure()));
}

void TestAccessibleWindows::cleanup()
{
    m_program.reset();
}

void TestAccessibleWindows::everyControlHasAName_data()
{
    QTest::addColumn<int>("mode");
    QTest::newRow("Text Editor") << 0;
    QTest::newRow("Quick Text") << 1;
    QTest::newRow("Programmed Buttons") << 2;
}

void TestAccessibleWindows::everyControlHasAName()
{
    QFETCH(int, mode);
    MDIMain& main = m_program->main();
    QVERIFY(User::choose(control<QAction>(main, "mnuModesItems", mode)));
    QStringList missing = namelessIn(&main);
    // The menus' items are elements of their menus, which are windows of their own.
    for (QMenu* menu : main.menuBar()->findChildren<QMenu*>())
        missing << namelessIn(menu);
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QStringLiteral("; "))));
}

void TestAccessibleWindows::picturesAreNamedForWhatTheyDo()
{
    const auto nameOf
        = [](QWidget* object) { return QAccessible::queryAccessibleInterface(object)->text(QAccessible::Name); };
    MDIMain& main = m_program->main();
    auto& quickText = WindowRegistry::get<frmRandomText>();
    auto& buttons = WindowRegistry::get<frmButtons>();
    QCOMPARE(nameOf(control<QPushButton>(quickText, "cmdPlay", 0)), QStringLiteral("Play text 1"));
    QCOMPARE(nameOf(control<QPushButton>(quickText, "cmdRecord", 3)), QStringLiteral("Record text 4"));
    QCOMPARE(nameOf(control<QPushButton>(buttons, "cmdPlayButton", 2)), QStringLiteral("Play phrase 3"));
    QCOMPARE(nameOf(control<QPushButton>(buttons, "cmdrecord", 2)), QStringLiteral("Record phrase 3"));
    QCOMPARE(nameOf(control<QToolBar>(main, "ToolbarA")
                        ->widgetForAction(control<QToolBar>(main, "ToolbarA")->actions().at(18))),
        QStringLiteral("Current Time"));
    frmConsole& console = m_program->console();
    QVERIFY(!nameOf(control<QLabel>(console, "VisemePicture")).isEmpty());
    // The lists and sliders are labelled by the texts above them.
    const std::pair<QWidget*, QString> labelled[] = { { control<QComboBox>(console, "VoiceCB"), "Voice" },
        { control<QComboBox>(console, "FormatCB"), "Format" },
        { control<QComboBox>(console, "AudioOutputCB"), "Audio Output" },
        { control<QSlider>(console, "RateSldr"), "Rate" }, { control<QSlider>(console, "VolumeSldr"), "Volume" } };
    for (const auto& [control, label] : labelled) {
        const auto relations = QAccessible::queryAccessibleInterface(control)->relations(QAccessible::Label);
        QVERIFY2(!relations.isEmpty(), qPrintable(label));
        QCOMPARE(relations.first().first->text(QAccessible::Name), label);
    }
}

void TestAccessibleWindows::helpWindowsHaveNames()
{
    MDIMain& main = m_program->main();
    for (QAction* item : indexedControls<QAction>(main, "mnuHelpItems", 2))
        QVERIFY(User::choose(item));
    QStringList missing;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && window != &main)
            missing << namelessIn(window);
    }
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QStringLiteral("; "))));
}

void TestAccessibleWindows::tabStaysOnWhatCanBeSeen_data()
{
    everyControlHasAName_data();
}

// From the page and from the console, forwards and back, Tab only ever lands where the user can
// see, and never types into a text it passes.
void TestAccessibleWindows::tabStaysOnWhatCanBeSeen()
{
    QFETCH(int, mode);
    MDIMain& main = m_program->main();
    frmConsole& console = m_program->console();
    QVERIFY(User::choose(control<QAction>(main, "mnuModesItems", mode)));
    const QString consoleText = control<QPlainTextEdit>(console, "MainTxtBox")->toPlainText();
    QWidget* const pageStarts[] = { control<QPlainTextEdit>(m_program->editor(), "SayText"),
        control<QPlainTextEdit>(WindowRegistry::get<frmRandomText>(), "Text1", 0),
        control<QPushButton>(WindowRegistry::get<frmButtons>(), "cmdPlayButton", 0) };
    for (QWidget* start : { static_cast<QWidget*>(control<QComboBox>(console, "VoiceCB")), pageStarts[mode] }) {
        start->setFocus(Qt::TabFocusReason);
        for (int step = 0; step < 40; ++step) {
            QWidget* focus = QApplication::focusWidget();
            QVERIFY(focus);
            QVERIFY2(SeenTabOrder::isSeen(*focus), qPrintable(focus->objectName()));
            QTest::keyClick(focus, Qt::Key_Tab, step % 8 == 7 ? Qt::ShiftModifier : Qt::NoModifier);
        }
    }
    QCOMPARE(control<QPlainTextEdit>(console, "MainTxtBox")->toPlainText(), consoleText);
    QTest::qWait(50);
    const QStringList unseen = tabbableUnseen(main);
    QVERIFY2(unseen.isEmpty(), qPrintable(unseen.join(QStringLiteral(", "))));
}

void TestAccessibleWindows::quickTextTabLeavesTheBox()
{
    MDIMain& main = m_program->main();
    QVERIFY(User::choose(control<QAction>(main, "mnuModesItems", 1)));
    auto& quickText = WindowRegistry::get<frmRandomText>();
    QPlainTextEdit* box = control<QPlainTextEdit>(quickText, "Text1", 0);
    box->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(box, QStringLiteral("Hi"));
    QTest::keyClick(box, Qt::Key_Tab);
    QCOMPARE(box->toPlainText(), QStringLiteral("Hi"));
    QCOMPARE(QApplication::focusWidget(), control<QPushButton>(quickText, "cmdPlay", 0));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), box);
}

void TestAccessibleWindows::focusedControlsShowAMark_data()
{
    everyControlHasAName_data();
}

// Each control Tab reaches looks different once it has the focus: the user can see where they are.
void TestAccessibleWindows::focusedControlsShowAMark()
{
    QFETCH(int, mode);
    MDIMain& main = m_program->main();
    QVERIFY(User::choose(control<QAction>(main, "mnuModesItems", mode)));
    // The editor's text keeps Tab for itself; its page has nothing else to reach.
    QWidget* const pageStarts[] = { control<QComboBox>(m_program->console(), "AudioOutputCB"),
        control<QPlainTextEdit>(WindowRegistry::get<frmRandomText>(), "Text1", 0),
        control<QPushButton>(WindowRegistry::get<frmButtons>(), "cmdPlayButton", 0) };
    for (QWidget* start :
        { static_cast<QWidget*>(control<QComboBox>(m_program->console(), "VoiceCB")), pageStarts[mode] }) {
        start->setFocus(Qt::TabFocusReason);
        QList<QWidget*> cycle { start };
        for (int step = 0; step < 40; ++step) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            if (QApplication::focusWidget() == start)
                break;
            cycle << QApplication::focusWidget();
        }
        QVERIFY(cycle.size() > 1);
        cycle << start;
        for (qsizetype i = 0; i + 1 < cycle.size(); ++i) {
            QWidget* next = cycle[i + 1];
            const QImage before = next->grab().toImage();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
            QVERIFY2(next->grab().toImage() != before, qPrintable(next->objectName()));
        }
    }
}

PARLORA_E2E_MAIN(TestAccessibleWindows)
#include "tst_AccessibleWindows.moc"
