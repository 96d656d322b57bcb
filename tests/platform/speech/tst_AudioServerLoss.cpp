#include "SpVoice.h"
#include "SpeechVoiceSpeakFlags.h"
#include "VoiceEventLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

// The audio server goes away while the voice speaks to it, then comes back. The test runs its own
// PulseAudio on a private socket (the process connects to it before Qt Multimedia starts), so it
// can stop the server without touching anyone else's.
namespace {

QTemporaryDir* runtimeDir = nullptr;

QString socketPath()
{
    return runtimeDir->filePath("native");
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
            QProcess pactl;
            pactl.start("pactl", { "--server", "unix:" + socketPath(), "info" });
            if (pactl.waitForFinished(5000) && pactl.exitStatus() == QProcess::NormalExit && pactl.exitCode() == 0)
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

} // namespace

class tst_AudioServerLoss : public QObject {
    Q_OBJECT

public:
    PrivateServer server;

private slots:
    void streamsEndWhenTheServerGoes();
};

void tst_AudioServerLoss::streamsEndWhenTheServerGoes()
{
    SpVoice voice;
    if (voice.GetAudioOutputs().Count() == 0)
        QSKIP("the private audio server offers no output");
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
    QVERIFY2(!lost.isEmpty(), "the lost server is reported");
    QVERIFY(voice.TakeAudioOutputError().isEmpty()); // once

    // Back: choosing the output again speaks whole streams with all their events. (Qt Multimedia
    // 6.4's PulseAudio backend does not reconnect within a process, so the sound itself stays away
    // until the program restarts; the voice reports that and carries on.)
    QVERIFY(server.start());
    log.clear();
    voice.setAudioOutput(voice.GetAudioOutputs().Item(0));
    voice.Speak(QStringLiteral("Back again."), SVSFlagsAsync);
    QVERIFY(voice.WaitUntilDone(30000));
    QCOMPARE(log.words(QStringLiteral("Back again.")), QStringList({ "Back", "again" }));
    QCOMPARE(log.of("EndStream").size(), 1);
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
