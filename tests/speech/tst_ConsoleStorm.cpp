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
#include <algorithm>
#include <functional>
#include <iterator>
#include <set>

// Thousands of random console operations while speech is under way: nothing may crash or hang,
// the buttons must tell the truth about the voice after every step, and every stream that
// started must end.
class tst_ConsoleStorm : public QObject {
    Q_OBJECT

    // What an operation is known to leave behind on the buttons, before any event is handled.
    enum class Outcome {
        Unknown,
        Speaks, // a text queued (or paused speech resumed): speaking, not paused
        SpeaksItsText, // the same when the text box holds something, else nothing changes
        TogglesPause, // the caption turns from Pause to Resume or back
        TogglesPauseIfEnabled,
        Rests, // nothing speaking for the buttons, not paused
    };
    struct Operation {
        std::function<void()> run;
        Outcome outcome = Outcome::Unknown;
    };

    frmConsole* c = nullptr;
    QRandomGenerator random { 20261208 };
    std::set<int> started, ended;
    // Streams the console let go on speaking while it put its buttons at rest: Reset leaves speech
    // alone, and a text that fails to speak rests the buttons though earlier speech goes on.
    std::set<int> leftSpeaking;
    int voiceEvents = 0; // every event the voice raised, to tell whether it moves on
    int speakErrors = 0;

    std::set<int> openStreams() const
    {
        std::set<int> open;
        std::set_difference(
            started.begin(), started.end(), ended.begin(), ended.end(), std::inserter(open, open.begin()));
        return open;
    }

    QString buttons() const
    {
        return QStringLiteral("Speak %1, Stop %2, Skip %3, Pause %4 \"%5\"")
            .arg(control<QPushButton>(*c, "SpeakBtn")->isEnabled())
            .arg(control<QPushButton>(*c, "StopBtn")->isEnabled())
            .arg(control<QPushButton>(*c, "SkipBtn")->isEnabled())
            .arg(control<QPushButton>(*c, "PauseBtn")->isEnabled())
            .arg(control<QPushButton>(*c, "PauseBtn")->text());
    }

    bool shows(bool speaking, const QString& caption) const
    {
        return control<QPushButton>(*c, "SpeakBtn")->isEnabled()
            && control<QPushButton>(*c, "StopBtn")->isEnabled() == speaking
            && control<QPushButton>(*c, "PauseBtn")->isEnabled() == speaking
            && control<QPushButton>(*c, "SkipBtn")->isEnabled() == (speaking && caption == QLatin1String("Pause"))
            && control<QPushButton>(*c, "PauseBtn")->text() == caption;
    }

    static QString toggled(const QString& caption)
    {
        return caption == QLatin1String("Pause") ? QStringLiteral("Resume") : QStringLiteral("Pause");
    }

    // Right after the operation, before any event of the voice is handled.
    QString checkOutcome(Outcome outcome, const QString& captionBefore, bool pauseEnabledBefore, bool failed) const
    {
        const bool async = control<QCheckBox>(*c, "chkSpFlagAync")->isChecked();
        bool right = control<QPushButton>(*c, "SpeakBtn")->isEnabled();
        switch (outcome) {
        case Outcome::Unknown:
            break;
        case Outcome::SpeaksItsText:
            if (control<QPlainTextEdit>(*c, "MainTxtBox")->toPlainText().isEmpty())
                break;
            [[fallthrough]];
        case Outcome::Speaks:
            // Paused speech goes on; a synchronous text has been spoken whole by the time it returns.
            // A text that fails rests the buttons; whether the voice stays paused is its own matter.
            if (failed)
                right = shows(false, control<QPushButton>(*c, "PauseBtn")->text());
            else if (async || (pauseEnabledBefore && captionBefore == QLatin1String("Resume")))
                right = shows(true, QStringLiteral("Pause"));
            else
                right = shows(false, QStringLiteral("Pause"));
            break;
        case Outcome::TogglesPauseIfEnabled:
            if (!pauseEnabledBefore) {
                right = right && control<QPushButton>(*c, "PauseBtn")->text() == captionBefore;
                break;
            }
            [[fallthrough]];
        case Outcome::TogglesPause:
            right = right && control<QPushButton>(*c, "PauseBtn")->text() == toggled(captionBefore);
            break;
        case Outcome::Rests:
            right = shows(false, QStringLiteral("Pause"));
            break;
        }
        return right ? QString() : QStringLiteral("the operation left: ") + buttons();
    }

    // Once the events due are handled: a stream the voice is playing can be stopped, and when
    // the voice has nothing left to speak there is nothing to stop or pause.
    QString checkAgainstTheVoice()
    {
        for (const int stream : openStreams()) {
            if (!leftSpeaking.contains(stream) && !control<QPushButton>(*c, "StopBtn")->isEnabled())
                return QStringLiteral("stream %1 is speaking, yet: %2").arg(stream).arg(buttons());
        }
        if (c->Voice->WaitUntilDone(0)
            && (control<QPushButton>(*c, "StopBtn")->isEnabled() || control<QPushButton>(*c, "PauseBtn")->isEnabled()))
            return QStringLiteral("the voice is done, yet: ") + buttons();
        return QString();
    }

    // The caption against what the voice does: with a stream open, "Pause" means its events keep
    // coming, "Resume" that none comes. Playing speech can go a second and more without an event
    // under load, so stillness is watched for longer than that.
    QString checkPauseIsHeard()
    {
        if (!control<QCheckBox>(*c, "chkSpFlagAync")->isChecked() || openStreams().empty())
            return QString();
        if (control<QPushButton>(*c, "PauseBtn")->text() == QLatin1String("Pause")) {
            const int before = voiceEvents;
            if (!QTest::qWaitFor([&] { return voiceEvents > before; }, 10000))
                return QStringLiteral("the voice stands still, yet: ") + buttons();
            return QString();
        }
        QTest::qWait(150); // what was due when it paused
        const int before = voiceEvents;
        QTest::qWait(2500);
        if (voiceEvents != before)
            return QStringLiteral("the voice plays on, yet: ") + buttons();
        return QString();
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

    std::vector<Operation> operations()
    {
        const QString longText = QStringLiteral("A long sentence keeps the voice busy for a while. ").repeated(6);
        return {
            { [=, this] {
                 c->funcVoiceSpeak(control<QCheckBox>(*c, "chkSpFlagAync")->isChecked() ? longText : shortText());
             },
                Outcome::Speaks },
            { [this] { c->funcVoiceSpeak(shortText()); }, Outcome::Speaks },
            { [this] {
                 control<QPlainTextEdit>(*c, "MainTxtBox")->setPlainText(shortText());
                 control<QPushButton>(*c, "SpeakBtn")->click();
             },
                Outcome::SpeaksItsText },
            { [this] { control<QPushButton>(*c, "PauseBtn")->click(); }, Outcome::TogglesPauseIfEnabled },
            { [this] { c->VoicePause(); }, Outcome::TogglesPause },
            { [this] { c->VoiceStop(); }, Outcome::Rests },
            { [this] {
                control<QLineEdit>(*c, "SkipTxtBox")->setText(QString::number(random.bounded(-60, 61)));
                c->SkipBtn_Click();
            } },
            { [this] {
                control<QLineEdit>(*c, "SkipTxtBox")
                    ->setText(random.bounded(2) ? QStringLiteral("abc") : QStringLiteral("99999999999"));
                c->SkipBtn_Click();
            } },
            { [this] {
                 const std::set<int> open = openStreams();
                 leftSpeaking.insert(open.begin(), open.end());
                 c->ResetBtn_Click();
             },
                Outcome::Rests },
            { [this] { toggle(control<QCheckBox>(*c, "chkSpFlagPurgeBeforeSpeak")); } },
            { [this] { toggle(control<QCheckBox>(*c, "chkSpFlagIsXML")); } },
            { [this] { toggle(control<QCheckBox>(*c, "chkSpFlagPersistXML")); } },
            { [this] { toggle(control<QCheckBox>(*c, "chkSpFlagNLPSpeakPunc")); } },
            { [this] { toggle(control<QCheckBox>(*c, "chkShowEvents")); } },
            { [this] { pick(control<QComboBox>(*c, "FormatCB")); } },
            { [this] { pick(control<QComboBox>(*c, "AudioOutputCB")); } },
            { [this] { pick(control<QComboBox>(*c, "VoiceCB")); } },
            { [this] { control<QSlider>(*c, "RateSldr")->setValue(random.bounded(-10, 11)); } },
            { [this] { control<QSlider>(*c, "VolumeSldr")->setValue(random.bounded(0, 101)); } },
            { [this] { QTest::qWait(random.bounded(1, 15)); } },
        };
    }

    void countEvents()
    {
        SpVoice* voice = c->Voice.get();
        const auto count = [this] { ++voiceEvents; };
        connect(voice, &SpVoice::StartStream, this, [this](int stream, QVariant) {
            ++voiceEvents;
            started.insert(stream);
        });
        connect(voice, &SpVoice::EndStream, this, [this](int stream, QVariant) {
            ++voiceEvents;
            ended.insert(stream);
        });
        connect(voice, &SpVoice::Word, this, count);
        connect(voice, &SpVoice::Sentence, this, count);
        connect(voice, &SpVoice::Phoneme, this, count);
        connect(voice, &SpVoice::Viseme, this, count);
        connect(voice, &SpVoice::AudioLevel, this, count);
        connect(voice, &SpVoice::Bookmark, this, count);
    }

private slots:
    void init()
    {
        WindowRegistry::reset();
        ScriptedMessages::install();
        c = &WindowRegistry::get<frmConsole>();
        c->show();
        countEvents();
        connect(c, &frmConsole::logLineAppended, this, [this](const QString& text, const QString&) {
            if (text == QLatin1String("Speak Error: "))
                ++speakErrors;
        });
    }

    void cleanup() { WindowRegistry::reset(); }

    void randomOperationsWhileSpeaking()
    {
        const int steps = qEnvironmentVariableIntValue("PARLORA_STORM_STEPS") > 0
            ? qEnvironmentVariableIntValue("PARLORA_STORM_STEPS")
            : 10000;
        const auto ops = operations();
        c->funcVoiceSpeak(QStringLiteral("The storm begins while this sentence is spoken. ").repeated(4));
        QVERIFY(shows(true, QStringLiteral("Pause")));
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
            const QString where = QStringLiteral("after step %1 (operation %2, %3): ")
                                      .arg(step)
                                      .arg(which)
                                      .arg(control<QCheckBox>(*c, "chkSpFlagAync")->isChecked() ? "async" : "sync");
            const QString caption = control<QPushButton>(*c, "PauseBtn")->text();
            const bool pauseEnabled = control<QPushButton>(*c, "PauseBtn")->isEnabled();
            const int errors = speakErrors;
            const std::set<int> open = openStreams();
            ops[which].run();
            // A text that failed to speak rests the buttons; what was speaking goes on.
            const bool failed = speakErrors != errors;
            if (failed)
                leftSpeaking.insert(open.begin(), open.end());
            const QString outcome = checkOutcome(ops[which].outcome, caption, pauseEnabled, failed);
            QVERIFY2(outcome.isEmpty(), qPrintable(where + outcome));
            QCoreApplication::processEvents();
            const QString truth = checkAgainstTheVoice();
            QVERIFY2(truth.isEmpty(), qPrintable(where + truth));
            if (step % 500 == 499) {
                const QString heard = checkPauseIsHeard();
                QVERIFY2(heard.isEmpty(), qPrintable(where + heard));
            }
        }
        // Whatever state the storm left, stopping ends all speech and every stream that started.
        c->Voice->Resume();
        c->VoiceStop();
        QVERIFY(c->Voice->WaitUntilDone(60000));
        QTRY_VERIFY_WITH_TIMEOUT(ended == started, 10000);
        QVERIFY(!started.empty());
        QVERIFY2(shows(false, QStringLiteral("Pause")), qPrintable(buttons()));
        // And the console still speaks.
        if (!control<QCheckBox>(*c, "chkSpFlagAync")->isChecked())
            toggle(control<QCheckBox>(*c, "chkSpFlagAync"));
        c->ResetBtn_Click();
        const auto before = ended.size();
        c->funcVoiceSpeak(QStringLiteral("Still here."));
        QVERIFY(shows(true, QStringLiteral("Pause")));
        QVERIFY(c->Voice->WaitUntilDone(60000));
        QTRY_COMPARE_WITH_TIMEOUT(ended.size(), before + 1, 10000);
        QCOMPARE(ended, started);
        QVERIFY2(shows(false, QStringLiteral("Pause")), qPrintable(buttons()));
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
