#include "GuardedApplication.h"
#include "MessageBoxes.h"
#include "PlatformError.h"
#include "ScriptedMessages.h"
#include "WindowRegistry.h"

#include <QPushButton>
#include <QTest>
#include <QTimer>

class TestGuardedApplication : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { WindowRegistry::reset(); }

    void failureInAHandlerIsShownOnceAndTheProgramGoesOn()
    {
        ScriptedMessages& messages = ScriptedMessages::install();
        QPushButton button("Print");
        int clicks = 0;
        connect(&button, &QPushButton::clicked, &button, [&clicks] {
            ++clicks;
            throw PlatformError("The printer is offline.", 482);
        });
        button.show();
        QVERIFY(QTest::qWaitForWindowExposed(&button));
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(messages.messages().size(), 1u);
        QCOMPARE(messages.messages()[0].text, QStringLiteral("The printer is offline."));
        QCOMPARE(messages.messages()[0].title, QStringLiteral("Parlora v1.0"));
        QCOMPARE(messages.messages()[0].style, vbOKOnly | vbCritical);

        QTest::mouseClick(&button, Qt::LeftButton); // the button still works
        QCOMPARE(clicks, 2);
        bool later = false;
        QTimer::singleShot(0, &button, [] { throw std::runtime_error("disk full"); });
        QTimer::singleShot(20, &button, [&later] { later = true; });
        QTRY_VERIFY(later);
        QCOMPARE(messages.messages().size(), 3u);
        QCOMPARE(messages.messages()[2].text, QStringLiteral("disk full"));

        GuardedApplication::report("Parlora v1.0", PlatformError("Fichier illisible: é"));
        QCOMPARE(messages.messages().back().text, QStringLiteral("Fichier illisible: é"));
    }
};

int main(int argc, char** argv)
{
    GuardedApplication app(argc, argv, "Parlora v1.0");
    TestGuardedApplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_GuardedApplication.moc"
