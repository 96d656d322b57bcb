#include "Controls.h"
#include "ScriptedMessages.h"
#include "WindowRegistry.h"
#include "frmConsole.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>
#include <functional>
#include <set>

// Thousands of random console operations while speech is under way: nothing may crash or hang,
// the buttons must follow the speaking state after every step, and every stream that started
// must end.
class tst_ConsoleStorm : public QObject {
    Q_OBJECT

    frmConsole* c = nullptr;
    QRandomGenerator random { 20261208 };
    std::set<int> started, ended;

    bool buttonsFollowState() const
    {
        return control<QPushButton>(*c, "SpeakBtn")->isEnabled()
            && control<QPushButton>(*c, "StopBtn")->isEnabled() == c->IsSpeaking
            && control<QPushButton>(*c, "SkipBtn")->isEnabled() == (c->IsSpeaking && !c->IsPaused)
            && control<QPushButton>(*c, "PauseBtn")->isEnabled() == c->IsSpeaking
            && control<QPushButton>(*c, "PauseBtn")->text()
            == (c->IsPaused ? QStringLiteral("Resume") : QStringLiteral("Pause"));
    }

    QString shortText()
    {
        static const QStringList words { "one", "two", "three", "<bookmark mark=\"b\"/>four", "five.", "Six!",
            "<silence msec=\"20\"/>seven", "eight?", "&amp;", "<", "" };
        QStringList picked;
        const int count = random.bounded(1, 4);
        for (int i = 0; i < count; ++i)
            picked << words.at(random.bounded(words.size()));
        return picked.join(' ');
    }

    void pick(QComboBox* list)
    {
        if (list->count() > 0)
            list->setCurrentIndex(random.bounded(list->count()));
    }

    void toggle(QCheckBox* box) { box->click(); }

    std::vector<std::function<void()>> operations()
    {
        const QString longText = QStringLiteral("A long sentence keeps the voice busy for a while. ").repeated(6);
        return {
            [=, this] {
                c->funcVoiceSpeak(control<QCheckBox>(*c, "chkSpFlagAync")->isChecked() ? longText : shortText());
            },
            [this] { c->funcVoiceSpeak(shortText()); },
            [this] {
                control<QPlainTextEdit>(*c, "MainTxtBox")->setPlainText(shortText());
                control<QPushButton>(*c, "SpeakBtn")->click();
            },
            [this] { control<QPushButton>(*c, "PauseBtn")->click(); },
            [this] { c->VoicePause(); },
            [this] { c->VoiceStop(); },
            [this] {
                control<QLineEdit>(*c, "SkipTxtBox")->setText(QString::number(random.bounded(-60, 61)));
                c->SkipBtn_Click();
            },
            [this] {
                control<QLineEdit>(*c, "SkipTxtBox")
                    ->setText(random.bounded(2) ? QStringLiteral("abc") : QStringLiteral("99999999999"));
                c->SkipBtn_Click();
            },
            [this] { c->ResetBtn_Click(); },
            [this] { toggle(control<QCheckBox>(*c, "chkSpFlagPurgeBeforeSpeak")); },
            [this] { toggle(control<QCheckBox>(*c, "chkSpFlagIsXML")); },
            [this] { toggle(control<QCheckBox>(*c, "chkSpFlagPersistXML")); },
            [this] { toggle(control<QCheckBox>(*c, "chkSpFlagNLPSpeakPunc")); },
            [this] { toggle(control<QCheckBox>(*c, "chkShowEvents")); },
            [this] { pick(control<QComboBox>(*c, "FormatCB")); },
            [this] { pick(control<QComboBox>(*c, "AudioOutputCB")); },
            [this] { pick(control<QComboBox>(*c, "VoiceCB")); },
            [this] { control<QSlider>(*c, "RateSldr")->setValue(random.bounded(-10, 11)); },
            [this] { control<QSlider>(*c, "VolumeSldr")->setValue(random.bounded(0, 101)); },
            [this] { QTest::qWait(random.bounded(1, 15)); },
        };
    }

private slots:
    void init()
    {
        WindowRegistry::reset();
        ScriptedMessages::install();
        c = &WindowRegistry::get<frmConsole>();
        c->show();
        connect(c->Voice.get(), &SpVoice::StartStream, this, [this](int stream, QVariant) { started.insert(stream); });
        connect(c->Voice.get(), &SpVoice::EndStream, this, [this](int stream, QVariant) { ended.insert(stream); });
    }

    void cleanup() { WindowRegistry::reset(); }

    void randomOperationsWhileSpeaking()
    {
        const int steps = qEnvironmentVariableIntValue("PARLORA_STORM_STEPS") > 0
            ? qEnvironmentVariableIntValue("PARLORA_STORM_STEPS")
            : 10000;
        const auto ops = operations();
        c->funcVoiceSpeak(QStringLiteral("The storm begins while this sentence is spoken. ").repeated(4));
        for (int step = 0; step < steps; ++step) {
            const auto which = random.bounded(int(ops.size()));
            // Rarely speak synchronously: such a call holds the test until its text is spoken.
            if (random.bounded(400) == 0)
                toggle(control<QCheckBox>(*c, "chkSpFlagAync"));
            else if (!control<QCheckBox>(*c, "chkSpFlagAync")->isChecked() && random.bounded(4) == 0)
                toggle(control<QCheckBox>(*c, "chkSpFlagAync"));
            // A file name flag turns every text into a path that does not exist: keep it rare.
            if (random.bounded(300) == 0 || control<QCheckBox>(*c, "chkSpFlagIsFilename")->isChecked())
                toggle(control<QCheckBox>(*c, "chkSpFlagIsFilename"));
            ops[which]();
            QCoreApplication::processEvents();
            QVERIFY2(
                buttonsFollowState(), qPrintable(QStringLiteral("after step %1 (operation %2)").arg(step).arg(which)));
        }
        // Whatever state the storm left, stopping ends all speech and every stream that started.
        c->Voice->Resume();
        c->VoiceStop();
        QVERIFY(c->Voice->WaitUntilDone(60000));
        QTRY_VERIFY_WITH_TIMEOUT(ended == started, 10000);
        QVERIFY(!started.empty());
        QVERIFY(buttonsFollowState());
        // And the console still speaks.
        if (!control<QCheckBox>(*c, "chkSpFlagAync")->isChecked())
            toggle(control<QCheckBox>(*c, "chkSpFlagAync"));
        c->ResetBtn_Click();
        const auto before = ended.size();
        c->funcVoiceSpeak(QStringLiteral("Still here."));
        QVERIFY(c->Voice->WaitUntilDone(60000));
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), before + 1, 10000);
        QCOMPARE(ended, started);
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    QTEST_SET_MAIN_SOURCE_PATH
    tst_ConsoleStorm test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_ConsoleStorm.moc"
