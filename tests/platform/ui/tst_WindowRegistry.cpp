#include "QtMessageService.h"
#include "ScriptedMessages.h"
#include "WindowRegistry.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTest>

namespace {

QStringList events;

// Notes its creation, load and destruction; serial tells instances apart.
template <char Name> class Noted : public QWidget {
public:
    Noted() { events << QStringLiteral("%1 created").arg(Name); }
    ~Noted() override { events << QStringLiteral("%1 destroyed").arg(Name); }
    void Form_Load() { events << QStringLiteral("%1 loaded").arg(Name); }
    const int serial = ++created;
    static inline int created = 0;
};
using A = Noted<'A'>;
using B = Noted<'B'>;
using Child = Noted<'C'>;

// Refers to A from its Form_Load.
class Referring : public Noted<'R'> {
public:
    void Form_Load() { WindowRegistry::get<A>(); }
};

// Embeds Child in its MDI area, as the main window embeds its pages.
class Frame : public Noted<'F'> {
public:
    void Form_Load()
    {
        subWindow = area->addSubWindow(&WindowRegistry::get<Child>());
        subWindow->setAttribute(Qt::WA_DeleteOnClose, deleteOnClose);
    }
    static inline bool deleteOnClose = false;
    QMdiArea* area = new QMdiArea(this);
    QPointer<QMdiSubWindow> subWindow;
};

} // namespace

class TestWindowRegistry : public QObject {
    Q_OBJECT

private slots:
    void init() { events.clear(); }
    void cleanup()
    {
        if (qstrcmp(QTest::currentTestFunction(), "windowsLeftAtExitGoWithTheApplication") != 0)
            WindowRegistry::reset();
    }

    void createdOnFirstReferenceAndDestroyedNewestFirst()
    {
        QVERIFY(!WindowRegistry::exists<A>());
        B& b = WindowRegistry::get<B>();
        QCOMPARE(&WindowRegistry::get<B>(), &b);
        WindowRegistry::get<Referring>(); // creates A during its load: A is the newest
        QVERIFY(WindowRegistry::exists<A>());
        QCOMPARE(events, QStringList({ "B created", "B loaded", "R created", "A created", "A loaded" }));

        events.clear();
        WindowRegistry::destroyAll();
        QCOMPARE(events, QStringList({ "A destroyed", "R destroyed", "B destroyed" }));
        QVERIFY(!WindowRegistry::exists<B>());
    }

    void unloadAndResetGiveFreshInstances()
    {
        ScriptedMessages::install();
        const int first = WindowRegistry::get<A>().serial;
        WindowRegistry::get<B>();
        WindowRegistry::unload<A>();
        WindowRegistry::unload<A>(); // harmless when not loaded
        QCOMPARE(events.filter("destroyed"), QStringList({ "A destroyed" }));
        const int second = WindowRegistry::get<A>().serial;
        QVERIFY(second != first);

        WindowRegistry::reset();
        QCOMPARE(events.count("A destroyed"), 2);
        QVERIFY(!WindowRegistry::exists<B>());
        QVERIFY(dynamic_cast<QtMessageService*>(WindowRegistry::services().messages.get()));
        QVERIFY(WindowRegistry::get<A>().serial != second);
        QCOMPARE(events.count("A loaded"), 3);
    }

    void embeddedInASubWindow()
    {
        // Unloading the child leaves its frame empty; the frame goes with its area.
        QPointer<QMdiSubWindow> subWindow = WindowRegistry::get<Frame>().subWindow;
        subWindow->close(); // only hides: WA_DeleteOnClose is cleared
        QVERIFY(WindowRegistry::exists<Child>());
        WindowRegistry::unload<Child>();
        QVERIFY(subWindow && !subWindow->widget());
        WindowRegistry::destroyAll();
        QVERIFY(!subWindow);

        // Qt deletes the child with the frame's area: the registry forgets it, never deletes again.
        WindowRegistry::get<Frame>();
        WindowRegistry::unload<Frame>();
        QVERIFY(!WindowRegistry::exists<Child>());
        Frame::deleteOnClose = true;
        WindowRegistry::get<Frame>().subWindow->close();
        Frame::deleteOnClose = false;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!WindowRegistry::exists<Child>());
        WindowRegistry::destroyAll();
        QCOMPARE(events.count("C destroyed"), 3);
        QCOMPARE(events.count("F destroyed"), 3);
    }

    void windowsLeftAtExitGoWithTheApplication()
    {
        // Not reset: the end of the application must destroy them without a crash.
        WindowRegistry::get<Frame>().show();
        WindowRegistry::get<A>();
    }
};

QTEST_MAIN(TestWindowRegistry)
#include "tst_WindowRegistry.moc"
