#include "DeviceOutput.h"
#include "PlatformError.h"
#include "QtAudioOutputProvider.h"
#include "RetiredAudioSinks.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QMediaDevices>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QtTest>
#include <chrono>
#include <dlfcn.h>

namespace {

// A 440 Hz square tone (`level` 0 is silence): `budget` bytes are ready, then none until topped up.
class ToneSource : public PcmSource {
public:
    explicit ToneSource(const PcmFormat& format, int level = 8000)
        : format(format)
        , level(level)
    {
    }
    qint64 readPcm(char* data, qint64 maxBytes) override
    {
        ++reads;
        const qint64 bytes = std::min(maxBytes, budget) / format.bytesPerFrame() * format.bytesPerFrame();
        for (qint64 i = 0; i < bytes / (format.bitsPerSample / 8); ++i, ++m_sample) {
            const int s = (m_sample / format.channels * 880 / format.sampleRate) % 2 ? level : -level;
            if (format.bitsPerSample == 8)
                *data++ = char(128 + s / 256);
            else
                data = std::copy_n(reinterpret_cast<const char*>(&s), 2, data); // little-endian host
        }
        budget -= bytes;
        handed += bytes;
        return bytes;
    }
    qint64 perSecond() const { return qint64(format.sampleRate) * format.bytesPerFrame(); }
    void addMs(qint64 ms) { budget += perSecond() * ms / 1000 / format.bytesPerFrame() * format.bytesPerFrame(); }
    qint64 position(const AudioDeviceSink& sink) const { return handed - sink.pendingBytes(); }

    const PcmFormat format;
    const int level;
    qint64 budget = 0, handed = 0, reads = 0;

private:
    qint64 m_sample = 0;
};

const PcmFormat kVoice { 22050, 16, 1 };
constexpr qint64 kEndless = qint64(1) << 40;

QString openError(AudioOutputProvider& provider, const QByteArray& id, const PcmFormat& format, PcmSource& source)
{
    try {
        provider.open(id, format, source);
    } catch (const PlatformError& e) {
        return e.description().isEmpty() ? QStringLiteral("(empty)") : e.description();
    }
    return {};
}

} // namespace

#define REQUIRE_DEVICE()                                                                                               \
    if (m_provider.outputs().empty())                                                                                  \
    QSKIP("No PulseAudio server with an output device is reachable")

class tst_QtAudioOutput : public QObject {
    Q_OBJECT

    QtAudioOutputProvider m_provider;
    ToneSource m_silence { kVoice, 0 };
    std::unique_ptr<AudioDeviceSink> m_keepAlive;

    std::unique_ptr<AudioDeviceSink> playing(ToneSource& tone)
    {
        tone.budget = kEndless;
        auto sink = m_provider.open({}, tone.format, tone);
        return QTest::qWaitFor([&] { return tone.position(*sink) > 0; }, 5000) ? std::move(sink) : nullptr;
    }

private slots:
    void initTestCase()
    {
        // An idle null sink renders seconds of silence ahead and a stream joining it waits that
        // long; a silent stream kept open holds it at low latency, as a real device is.
        m_silence.budget = kEndless;
        if (!m_provider.outputs().empty())
            m_keepAlive = m_provider.open({}, kVoice, m_silence);
    }
    void cleanupTestCase() { m_keepAlive.reset(); }

    void listsDevices()
    {
        REQUIRE_DEVICE();
        const auto devices = m_provider.outputs(), again = m_provider.outputs();
        QCOMPARE(devices.size(), size_t(QMediaDevices::audioOutputs().size()));
        QCOMPARE(devices.front().id, QMediaDevices::defaultAudioOutput().id());
        QSet<QString> descriptions;
        for (size_t i = 0; i < devices.size(); ++i) {
            QCOMPARE(again.at(i).id, devices[i].id);
            QCOMPARE(devices[i].isDefault, i == 0);
            QVERIFY(!devices[i].description.isEmpty() && !descriptions.contains(devices[i].description));
            descriptions.insert(devices[i].description);
        }
    }

    void everyFormatPlays()
    {
        REQUIRE_DEVICE();
        for (int channels : { 1, 2 }) {
            for (int bits : { 8, 16 }) {
                for (int rate : { 8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000 }) {
                    const QByteArray name
                        = QStringLiteral("%1 Hz %2-bit %3 ch").arg(rate).arg(bits).arg(channels).toUtf8();
                    ToneSource tone({ rate, bits, channels });
                    tone.addMs(80);
                    const qint64 total = tone.budget;
                    QElapsedTimer clock;
                    clock.start();
                    auto sink = m_provider.open({}, tone.format, tone);
                    QVERIFY2(tone.handed > 0, name); // pulls at once
                    QTRY_VERIFY2_WITH_TIMEOUT(tone.budget == 0 && sink->pendingBytes() == 0, name, 3000);
                    QCOMPARE(tone.handed, total);
                    QVERIFY2(!sink->failed(), qPrintable(sink->errorString()));
                    // 80 ms of audio reported played in much less would be a dishonest position.
                    QVERIFY2(clock.elapsed() >= 60, name);
                }
            }
        }
    }

    void positionFollowsRealTime()
    {
        REQUIRE_DEVICE();
        ToneSource tone(kVoice);
        auto sink = playing(tone);
        QVERIFY(sink);
        QElapsedTimer clock;
        clock.start();
        const qint64 start = tone.position(*sink);
        qint64 maxPending = 0;
        while (clock.elapsed() < 1000) {
            QTest::qWait(10);
            maxPending = std::max(maxPending, sink->pendingBytes());
        }
        const double rate = double(tone.position(*sink) - start) * 1000 / double(clock.elapsed());
        QVERIFY2(std::abs(rate / double(tone.perSecond()) - 1) < 0.1, qPrintable(QString::number(rate)));
        QVERIFY2(maxPending > 0 && maxPending < tone.perSecond() / 5, qPrintable(QString::number(maxPending)));
    }

    void suspendHoldsAndResumeContinues()
    {
        REQUIRE_DEVICE();
        ToneSource tone(kVoice);
        auto sink = playing(tone);
        QVERIFY(sink);
        sink->suspend();
        const qint64 reads = tone.reads, pending = sink->pendingBytes(), held = tone.position(*sink);
        QTest::qWait(200);
        QCOMPARE(tone.reads, reads);
        QCOMPARE(sink->pendingBytes(), pending);
        sink->resume();
        // Had the device played on, its buffer would have drained and the position jumped.
        QVERIFY(tone.position(*sink) - held < tone.perSecond() / 50);
        QTRY_VERIFY_WITH_TIMEOUT(tone.position(*sink) > held + tone.perSecond() / 10, 2000);
    }

    void discardEmpties()
    {
        REQUIRE_DEVICE();
        ToneSource tone(kVoice);
        auto sink = playing(tone);
        QVERIFY(sink);
        QVERIFY(sink->pendingBytes() > 0);
        sink->discard();
        QCOMPARE(sink->pendingBytes(), 0);
        tone.budget = 0;
        tone.addMs(100);
        QTRY_VERIFY_WITH_TIMEOUT(tone.budget == 0 && sink->pendingBytes() == 0, 1000);

        // Discarding while suspended keeps the pause.
        tone.budget = kEndless;
        QTRY_VERIFY(sink->pendingBytes() > 0);
        sink->suspend();
        sink->discard();
        QCOMPARE(sink->pendingBytes(), 0);
        const qint64 reads = tone.reads, base = tone.handed;
        QTest::qWait(100);
        QCOMPARE(tone.reads, reads);
        sink->resume();
        QTRY_VERIFY(tone.position(*sink) > base + tone.perSecond() / 10);
    }

    void starvationRecovers()
    {
        REQUIRE_DEVICE();
        ToneSource tone(kVoice);
        tone.addMs(200);
        auto sink = m_provider.open({}, tone.format, tone);
        // The last one is shorter than PulseAudio's prebuffer, which an underrun re-arms.
        for (int ms : { 0, 200, 5 }) {
            tone.addMs(ms);
            QTRY_VERIFY_WITH_TIMEOUT(tone.budget == 0 && sink->pendingBytes() == 0, 5000);
            QTest::qWait(300);
            QCOMPARE(sink->pendingBytes(), 0);
        }
        QVERIFY(!sink->failed());
    }

    void rejectsWhatCannotPlay()
    {
        ToneSource tone(kVoice);
        if (m_provider.outputs().empty()) {
            QVERIFY(!openError(m_provider, {}, kVoice, tone).isEmpty());
            QSKIP("No PulseAudio server with an output device is reachable");
        }
        QVERIFY(openError(m_provider, "parlora_no_such_device", kVoice, tone).contains("parlora_no_such_device"));
        for (const PcmFormat& format :
            { PcmFormat { 22050, 24, 1 }, PcmFormat { 22050, 16, 3 }, PcmFormat { 0, 16, 1 } })
            QVERIFY(!openError(m_provider, {}, format, tone).isEmpty());
        QCOMPARE(tone.reads, 0);
    }

    // Qt's sink runs the event loop while an old stream is torn down; a voice event or a click
    // delivered there may ask the output to change device, restart or drop the sink.
    void callsFromWithinTheSinkAreDeferred()
    {
        REQUIRE_DEVICE();
        DeviceOutput output(m_provider);
        const std::vector<int16_t> second(kVoice.sampleRate, 4000);
        const auto feed = [&] { QVERIFY(output.write(kVoice, second, 0)); };
        feed();
        output.service();
        QTRY_VERIFY_WITH_TIMEOUT(output.playedBytes() > 0, 3000);
        // Stopped streams are deleted a while after they stop, on a later restart.
        output.silence();
        QTest::qWait(RetiredAudioSinks::defaultGrace.count() + 50);

        bool nested = false, done = false;
        QObject scope; // a call still queued when this test fails goes with it
        QMetaObject::invokeMethod(
            &scope,
            [&] {
                nested = !done;
                output.setDevice(m_provider.outputs().front().id);
                output.service();
                output.silence();
            },
            Qt::QueuedConnection);
        output.silence();
        done = true;
        QVERIFY2(nested, "the sink did not run the event loop while restarting");

        // What was asked meanwhile takes effect, and the output plays on.
        QTRY_VERIFY(output.playedBytes() > 0 && output.idle());
        const qint64 before = output.playedBytes();
        feed();
        output.service();
        QCOMPARE(output.device(), m_provider.outputs().front().id);
        QTRY_VERIFY_WITH_TIMEOUT(output.playedBytes() > before + kVoice.sampleRate, 3000);
        QCOMPARE(output.takeError(), QString());
    }

    void removedDeviceFails()
    {
        REQUIRE_DEVICE();
        if (QStandardPaths::findExecutable("pactl").isEmpty())
            QSKIP("pactl is not installed");
        QStringList modules;
        auto unload = qScopeGuard([&] {
            for (const QString& module : modules)
                QProcess::execute("pactl", { "unload-module", module });
        });
        for (const char* name : { "sink_name=parlora_twin_a", "sink_name=parlora_twin_b" }) {
            QProcess pactl;
            pactl.start(
                "pactl", { "load-module", "module-null-sink", name, "sink_properties=device.description=Twin" });
            if (!pactl.waitForFinished() || pactl.exitCode() != 0)
                QSKIP("pactl cannot load a null sink");
            modules << QString::fromUtf8(pactl.readAllStandardOutput().trimmed());
        }
        auto twins = [&] {
            QStringList found;
            for (const AudioDeviceInfo& device : m_provider.outputs()) {
                if (device.id.startsWith("parlora_twin_"))
                    found << device.description;
            }
            found.sort();
            return found;
        };
        QTRY_COMPARE_WITH_TIMEOUT(twins(), QStringList({ "Twin", "Twin (2)" }), 5000);

        ToneSource tone(kVoice);
        tone.budget = kEndless;
        auto sink = m_provider.open("parlora_twin_b", kVoice, tone);
        QProcess::execute("pactl", { "unload-module", modules.takeLast() });
        QTRY_VERIFY_WITH_TIMEOUT(sink->failed(), 5000);
        QVERIFY(!sink->errorString().isEmpty());
        QCOMPARE(sink->pendingBytes(), 0);
        const qint64 reads = tone.reads;
        sink->discard();
        sink->resume();
        QTest::qWait(50);
        QCOMPARE(tone.reads, reads);
    }

    void stoppedStreamsAreKeptForTheirGrace()
    {
        REQUIRE_DEVICE();
        using namespace std::chrono_literals;
        QStringList gone;
        const auto stopped = [&](const QString& name) {
            auto sink = std::make_unique<QAudioSink>(
                QMediaDevices::defaultAudioOutput(), QtAudioOutputProvider::toQtFormat(kVoice));
            sink->start();
            sink->stop();
            connect(sink.get(), &QObject::destroyed, this, [&gone, name] { gone << name; });
            return sink;
        };
        const auto grace = 500ms;
        auto before = std::chrono::steady_clock::now();
        {
            RetiredAudioSinks retired(grace);
            retired.retire(stopped("first"));
            retired.collect();
            QCOMPARE(gone, QStringList());
            QTest::qWait(600);
            retired.retire(stopped("second"));
            retired.collect();
            QCOMPARE(gone, QStringList({ "first" }));
            QCOMPARE(retired.size(), size_t(1));
            retired.retire(stopped("third"));
            retired.retire(nullptr);
            QCOMPARE(retired.size(), size_t(2));
            before = std::chrono::steady_clock::now();
        }
        // Going away waits out the grace of the last one, and deletes them oldest first.
        QVERIFY(std::chrono::steady_clock::now() - before >= grace - 5ms);
        QCOMPARE(gone, QStringList({ "first", "second", "third" }));
    }

    // Qt's PulseAudio sink drains a stream that ran dry with itself as the callback's data, and a
    // reply to that drain may still come after the stream was stopped. A child, with a stand-in
    // for the server's timing preloaded, lets a stream run dry, restarts it and gets the late
    // reply on libpulse's thread; freed memory is overwritten there, so a deleted sink crashes it.
    void aLateDrainReplyFindsItsStreamStillThere()
    {
        REQUIRE_DEVICE();
        if (qEnvironmentVariableIsSet("PARLORA_LATE_DRAIN_CHILD")) {
            lateDrainReply();
            return;
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("PARLORA_LATE_DRAIN_CHILD", "1");
        env.insert("LD_PRELOAD", LATE_DRAIN_REPLY);
        env.insert("MALLOC_PERTURB_", "190");
        env.insert("ASAN_OPTIONS",
            env.value("ASAN_OPTIONS") + ":verify_asan_link_order=0:max_free_fill_size=65536:free_fill_byte=190");
        QProcess child;
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(
            QCoreApplication::applicationFilePath(), { "-nocrashhandler", "aLateDrainReplyFindsItsStreamStillThere" });
        QVERIFY(child.waitForFinished(120000));
        const QByteArray output = child.readAll();
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, output.constData());
        QVERIFY2(output.contains("late drain reply delivered"), output.constData());
    }

private:
    void lateDrainReply()
    {
        const auto held = reinterpret_cast<int (*)()>(dlsym(RTLD_DEFAULT, "late_drain_reply_held"));
        const auto delivered = reinterpret_cast<int (*)()>(dlsym(RTLD_DEFAULT, "late_drain_reply_delivered"));
        QVERIFY2(held && delivered, "the stand-in for the server's timing is not loaded");
        ToneSource tone(kVoice);
        tone.addMs(100);
        auto sink = m_provider.open({}, tone.format, tone);
        // It plays its tenth of a second and runs dry, which Qt answers with a drain.
        QTRY_VERIFY_WITH_TIMEOUT(held() > 0, 10000);
        sink->discard();
        QTRY_VERIFY_WITH_TIMEOUT(delivered() > 0, 10000);
        sink.reset();
        QVERIFY(!m_keepAlive->failed());
    }
};

QTEST_MAIN(tst_QtAudioOutput)
#include "tst_QtAudioOutput.moc"
