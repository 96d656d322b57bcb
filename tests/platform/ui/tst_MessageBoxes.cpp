#include "MessageBoxes.h"
#include "ScriptedMessages.h"
#include "WindowRegistry.h"

#include <QRegularExpression>
#include <QTest>

class TestMessageBoxes : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { WindowRegistry::reset(); }

    void boxesGoThroughTheMessageService()
    {
        ScriptedMessages& messages = ScriptedMessages::install();
        messages.answer(vbNo);
        messages.answerInput("Hello there");
        messages.cancelInput();
        QCOMPARE(MsgBox("Would you like to save your work?", vbYesNo | vbQuestion, "Sayvanto"), int(vbNo));
        QCOMPARE(MsgBox("WAV file successfully written!", vbOKOnly, "File Saved"), int(vbOK)); // needs no answer
        QCOMPARE(messages.messages().size(), 2u);
        QCOMPARE(messages.messages()[0].style, 36);
        QCOMPARE(messages.messages()[0].title, QStringLiteral("Sayvanto"));

        bool cancelled = true;
        QCOMPARE(InputBox("Please Enter the String", "Sayvanto", {}, &cancelled), QStringLiteral("Hello there"));
        QVERIFY(!cancelled);
        QCOMPARE(InputBox("Please Enter the String", "Sayvanto", "old", &cancelled), QString());
        QVERIFY(cancelled);
        QCOMPARE(messages.inputs()[1].initial, QStringLiteral("old"));
        QVERIFY(messages.unexpected().isEmpty());
    }

    void unscriptedQuestionsFailLoudly()
    {
        ScriptedMessages& messages = ScriptedMessages::install();
        for (int i = 0; i < 4; ++i)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("unexpected"));
        QCOMPARE(MsgBox("Save?", vbYesNoCancel), int(vbCancel));
        QCOMPARE(MsgBox("Save?", vbYesNo), int(vbNo));
        messages.answer(vbOK); // not a button of a Yes/No box
        QCOMPARE(MsgBox("Save?", vbYesNo), int(vbNo));
        QCOMPARE(InputBox("Please Enter the String"), QString());
        QCOMPARE(messages.unexpected().size(), 4);
    }
};

QTEST_MAIN(TestMessageBoxes)
#include "tst_MessageBoxes.moc"
