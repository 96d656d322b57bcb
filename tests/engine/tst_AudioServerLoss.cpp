#include "MonitorRecording.h"
#include "VoiceEventLog.h"
#include "engine/api/SpVoice.h"
#include "engine/api/SpeechVoiceSpeakFlags.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// The sound server changes under a speaking voice: sinks come and go, the server dies and comes
// back. The test runs its own PulseAudio on a private socket, so it can do that without touching
// anyone else's, and listens to the null sink's monitor to hear what was really played.
namespace {

QTemporaryDir* runtimeDir = nullptr;

QString socketPath()
{
    return runtimeDir->filePath("native");
}

QString serverAddress()
{
    return "unix:" + socketPath();
}

// pactl on the private server: its output (empty, not null, when it printed nothing), or a null
// string when it failed.
QString pactl(const QStringList& arguments)
{
    QProcess process;
    process.start("pactl", QStringList { "--server", serverAddress() } + arguments);
    if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {};
    const QString output = QString::fromUtf8(process.readAllStandardOutput().trimmed());
    return output.isNull() ? QStringLiteral("") : output;
}

class PrivateServer {
public:
    bool start()
    {
        m_process.setProgram("pulseaudio");
        m_process.setArguments({ "-n", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit", "--use-pid-file=no",
            "-L", "module-native-protocol-unix socket=" + socketPath() + " auth-anonymous=1", "-L",
            "module-null-sink sink_name=loss_null sink_properties=device.description=Loss_Null_Output" });
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start();
        if (!m_process.waitForStarted(5000))
            return false;
        for (int i = 0; i < 100; ++i) {
            if (!pactl({ "info" }).isNull())
                return true;
            QThread::msleep(50);
        }
        return false;
    }
    void stop()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    ~PrivateServer() { stop(); }

private:
    QProcess m_process;
};

// Counts the warnings that say a stream moved to another output.
QStringList* moves = nullptr;
QtMessageHandler previousHandler = nullptr;

void countMoves(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (moves && message.contains("moved from"))
        moves->append(message);
    previousHandler(type, context, message);
}

QStringList descriptions(const SpObjectTokens& tokens)
{
    QStringList result;
    for (const SpObjectToken& token : tokens)
        result << token.GetDescription();
    return result;
}

const QString kLongText = QStringLiteral("This sentence is long enough to be heard for a while. ").repeated(4);

} // namespace

class tst_AudioServerLoss : public QObject {
    Q_OBJECT

public:
    PrivateServer server;

private slots:
    void aSinkAddedIsListedAndARemovedOneHandsOver();
    void pauseFallsSilentAndResumeIsHeard();
    void theLastSinkGoingEndsTheStreamAndANewOneIsUsed();
    void streamsEndWhenTheServerGoesAndSpeakingResumesWhenItIsBack();
};

void tst_AudioServerLoss::aSinkAddedIsListedAndARemovedOneHandsOver()
{
    SpVoice voice;
    QCOMPARE(descriptions(voice.GetAudioOutputs()), QStringList({ "Loss_Null_Output" }));
    const QString module = pactl({ "load-module", "module-null-sink", "sink_name=loss_spare",
        "sink_properties=device.description=Loss_Spare_Output" });
    QVERIFY(!module.isEmpty());
    auto unload = qScopeGuard([&] { pactl({ "unload-module", module }); });
    QVERIFY(!pactl({ "set-default-sink", "loss_null" }).isNull());
    // In the very next list, without waiting for the server's events.
    const SpObjectTokens outputs = voice.GetAudioOutputs();
    QCOMPARE(descriptions(outputs), QStringList({ "Loss_Null_Output", "Loss_Spare_Output" }));
    voice.setAudioOutput(outputs.Item(1));

    QStringList moved;
    moves = &moved;
    previousHandler = qInstallMessageHandler(countMoves);
    auto restore = qScopeGuard([] {
        qInstallMessageHandler(previousHandler);
        moves = nullptr;
    });
    MonitorRecording fallback(serverAddress(), "loss_null");
    QVERIFY(fallback.start());
    VoiceEventLog log(voice);
    voice.Speak(kLongText, SVSFlagsAsync);
    QTRY_VERIFY_WITH_TIMEOUT(log.of("Word").size() >= 3, 10000);
    const qint64 beforeRemoval = fallback.samples();
    QCOMPARE(fallback.loudSamples(0), 0); // it played on the spare sink
    unload.dismiss();
    QVERIFY(!pactl({ "unload-module", module }).isNull());
    QVERIFY(voice.WaitUntilDone(60000));
    // The rest of the speech was heard on the default output, whole, with one line about it.
    QVERIFY2(fallback.loudSamples(beforeRemoval) > MonitorRecording::rate / 2,
        qPrintable(QString::number(fallback.loudSamples(beforeRemoval))));
    QCOMPARE(moved.size(), 1);
    QVERIFY2(moved.front().contains("loss_spare") && moved.front().contains("loss_null"), qPrintable(moved.front()));
    QCOMPARE(log.words(kLongText).size(), kLongText.count(QStringLiteral(" ")));
    QCOMPARE(log.of("EndStream").size(), 1);
    QCOMPARE(voice.TakeAudioOutputError(), QString());
    QCOMPARE(descriptions(voice.GetAudioOutputs()), QStringList({ "Loss_Null_Output" }));
}

void tst_AudioServerLoss::pauseFallsSilentAndResumeIsHeard()
{
    SpVoice voice;
    MonitorRecording monitor(serverAddress(), "loss_null");
    QVERIFY(monitor.start());
    VoiceEventLog log(voice);
    voice.Speak(kLongText, SVSFlagsAsync);
    QTRY_VERIFY_WITH_TIMEOUT(log.of("Word").size() >= 3, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(monitor.loudSamples(0) > 0, 5000);
    const qint64 paused = monitor.samples();
    voice.Pause();
    QTest::qWait(600);
    // What the server had been given may still sound, the latency's worth and the monitor's
    // own; a stream that played out its buffer, or went on, would sound far longer.
    const qint64 tail = monitor.soundingSpan(paused);
    QVERIFY2(tail < MonitorRecording::rate / 5, qPrintable(QString::number(tail)));
    // Held on the server, not merely left to run dry.
    QVERIFY(pactl({ "list", "sink-inputs" }).contains("Corked: yes"));
    const qint64 resumed = monitor.samples();
    voice.Resume();
    QTRY_VERIFY_WITH_TIMEOUT(pactl({ "list", "sink-inputs" }).contains("Corked: no"), 5000);
    QVERIFY(voice.WaitUntilDone(60000));
    QVERIFY(monitor.loudSamples(resumed) > MonitorRecording::rate / 2);
    QCOMPARE(log.words(kLongText).size(), kLongText.count(QStringLiteral(" ")));
}

// With no other sink to move to, the server ends the stream: the text still runs to its end with
// one error, and a sink that appears afterwards is listed and heard.
void tst_AudioServerLoss::theLastSinkGoingEndsTheStreamAndANewOneIsUsed()
{
    QString module;
    for (const QString& line : pactl({ "list", "short", "modules" }).split('\n')) {
        if (line.contains("sink_name=loss_null"))
            module = line.section('\t', 0, 0);
    }
    QVERIFY(!module.isEmpty());
    SpVoice voice;
    VoiceEventLog log(voice);
    voice.Speak(kLongText, SVSFlagsAsync);
    QTRY_VERIFY_WITH_TIMEOUT(log.of("Word").size() >= 3, 10000);
    QVERIFY(!pactl({ "unload-module", module }).isNull());
    QVERIFY(voice.WaitUntilDone(60000));
    QCOMPARE(log.words(kLongText).size(), kLongText.count(QStringLiteral(" ")));
    QCOMPARE(log.of("EndStream").size(), 1);
    QVERIFY(!voice.TakeAudioOutputError().isEmpty());
    QCOMPARE(voice.GetAudioOutputs().Count(), 0);

    QVERIFY(!pactl({ "load-module", "module-null-sink", "sink_name=loss_null",
                       "sink_properties=device.description=Loss_Null_Output" })
                 .isNull());
    QCOMPARE(descriptions(voice.GetAudioOutputs()), QStringList({ "Loss_Null_Output" }));
    MonitorRecording monitor(serverAddress(), "loss_null");
    QVERIFY(monitor.start());
    log.clear();
    voice.Speak(QStringLiteral("A new sink."), SVSFlagsAsync);
    QVERIFY(voice.WaitUntilDone(30000));
    QTRY_VERIFY_WITH_TIMEOUT(monitor.loudSamples(0) > MonitorRecording::rate / 4, 5000);
    QCOMPARE(log.of("EndStream").size(), 1);
    QCOMPARE(voice.TakeAudioOutputError(), QString());
}

void tst_AudioServerLoss::streamsEndWhenTheServerGoesAndSpeakingResumesWhenItIsBack()
{
    SpVoice voice;
    // The server this test started has its null sink: without it nothing here would be tested.
    if (voice.GetAudioOutputs().Count() == 0)
        QFAIL("the private audio server offers no output");
    VoiceEventLog log(voice);
    const QString text
        = QStringLiteral("This sentence is long enough to be cut off by the server going away. ").repeated(3);
    voice.Speak(text, SVSFlagsAsync);
    QTRY_VERIFY_WITH_TIMEOUT(log.of("Word").size() >= 3, 10000);
    server.stop();
    const bool done = voice.WaitUntilDone(60000);
    QVERIFY(done);
    QCOMPARE(log.of("StartStream").size(), 1);
    QCOMPARE(log.of("EndStream").size(), 1);
    // Every word was still raised, in order, after the sound stopped.
    QCOMPARE(log.words(text).size(), text.count(QStringLiteral(" ")));
    const QString lost = voice.TakeAudioOutputError();
    QVERIFY2(lost.contains("Loss_Null_Output"), qPrintable(lost)); // the stream's own failure
    qInfo().noquote() << "reported:" << lost;
    QVERIFY(voice.TakeAudioOutputError().isEmpty()); // once
    QCOMPARE(voice.GetAudioOutputs().Count(), 0);

    // A new server on the same address: the outputs are listed again, and the next Speak is
    // heard through it, without choosing the output again.
    QVERIFY(server.start());
    QCOMPARE(descriptions(voice.GetAudioOutputs()), QStringList({ "Loss_Null_Output" }));
    MonitorRecording monitor(serverAddress(), "loss_null");
    QVERIFY(monitor.start());
    log.clear();
    voice.Speak(QStringLiteral("Back again, and heard."), SVSFlagsAsync);
    QVERIFY(voice.WaitUntilDone(30000));
    QTRY_VERIFY_WITH_TIMEOUT(monitor.loudSamples(0) > MonitorRecording::rate / 4, 5000);
    QCOMPARE(log.words(QStringLiteral("Back again, and heard.")), QStringList({ "Back", "again", "and", "heard" }));
    QCOMPARE(log.of("EndStream").size(), 1);
    QCOMPARE(voice.TakeAudioOutputError(), QString());
}

int main(int argc, char** argv)
{
    if (QStandardPaths::findExecutable("pulseaudio").isEmpty() || QStandardPaths::findExecutable("pactl").isEmpty()) {
        qInfo("SKIP: pulseaudio is not installed");
        return 0;
    }
    QTemporaryDir dir(QDir::tempPath() + "/parlora-loss.XXXXXX");
    runtimeDir = &dir;
    qputenv("XDG_RUNTIME_DIR", dir.path().toUtf8());
    qputenv("PULSE_RUNTIME_PATH", dir.path().toUtf8());
    qputenv("PULSE_SERVER", ("unix:" + socketPath()).toUtf8());
    tst_AudioServerLoss test;
    if (!test.server.start()) {
        qWarning("the private audio server did not start");
        return 1;
    }
    QCoreApplication app(argc, argv);
    return QTest::qExec(&test, argc, argv);
}

#include "tst_AudioServerLoss.moc"
