#include "AudioOutputRequired.h"
#include "engine/audio/DeviceOutput.h"
#include "engine/audio/PulseDeviceSink.h"
#include "engine/audio/PulseOutputProvider.h"
#include "platform/PlatformError.h"

#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QtTest>

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

// pactl on the default server: its output lines, or nullopt when it failed.
std::optional<QStringList> pactl(const QStringList& arguments)
{
    QProcess process;
    process.start("pactl", arguments);
    if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

} // namespace

#define REQUIRE_DEVICE()                                                                                               \
    if (m_provider.outputs().empty())                                                                                  \
    NO_AUDIO_OUTPUT("No PulseAudio server with an output device is reachable")
#define REQUIRE_PACTL()                                                                                                \
    if (QStandardPaths::findExecutable("pactl").isEmpty())                                                             \
    QSKIP("pactl is not installed")

class tst_PulseOutput : public QObject {
    Q_OBJECT

    PulseOutputProvider m_provider;
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
        REQUIRE_PACTL();
        const auto devices = m_provider.outputs(), again = m_provider.outputs();
        // As the server's own tool sees them.
        QCOMPARE(devices.size(), size_t(pactl({ "list", "short", "sinks" }).value().size()));
        QCOMPARE(devices.front().id, pactl({ "get-default-sink" }).value().value(0).toUtf8());
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
            NO_AUDIO_OUTPUT("No PulseAudio server with an output device is reachable");
        }
        QVERIFY(openError(m_provider, "parlora_no_such_device", kVoice, tone).contains("parlora_no_such_device"));
        for (const PcmFormat& format :
            { PcmFormat { 22050, 24, 1 }, PcmFormat { 22050, 16, 3 }, PcmFormat { 0, 16, 1 } })
            QVERIFY(!openError(m_provider, {}, format, tone).isEmpty());
        QCOMPARE(tone.reads, 0);
    }

    // The engine's output plays through a real stream, and on after the device is chosen again.
    void deviceOutputPlaysAcrossADeviceChange()
    {
        REQUIRE_DEVICE();
        DeviceOutput output(m_provider);
        const std::vector<int16_t> second(kVoice.sampleRate, 4000);
        const auto feed = [&] { QVERIFY(output.write(kVoice, second, 0)); };
        feed();
        output.service();
        QTRY_VERIFY_WITH_TIMEOUT(output.playedBytes() > 0, 3000);
        output.setDevice(m_provider.outputs().front().id);
        output.silence();
        QTRY_VERIFY_WITH_TIMEOUT(output.idle(), 3000);
        const qint64 before = output.playedBytes();
        feed();
        output.service();
        QCOMPARE(output.device(), m_provider.outputs().front().id);
        QTRY_VERIFY_WITH_TIMEOUT(output.playedBytes() > before + kVoice.sampleRate, 3000);
        QTRY_VERIFY_WITH_TIMEOUT(output.idle(), 3000);
        QCOMPARE(output.takeError(), QString());
    }

    // The server moves a stream whose sink goes away to its default sink; it plays on there.
    // A sink that appears is in the very next list, without waiting for the server's events.
    void aRemovedDeviceHandsItsStreamToTheDefault()
    {
        REQUIRE_DEVICE();
        REQUIRE_PACTL();
        QStringList modules;
        auto unload = qScopeGuard([&] {
            for (const QString& module : modules)
                pactl({ "unload-module", module });
        });
        for (const char* name : { "sink_name=parlora_twin_a", "sink_name=parlora_twin_b" }) {
            const auto loaded
                = pactl({ "load-module", "module-null-sink", name, "sink_properties=device.description=Twin" });
            if (!loaded)
                NO_AUDIO_OUTPUT("pactl cannot load a null sink");
            modules << loaded->value(0);
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
        QCOMPARE(twins(), QStringList({ "Twin", "Twin (2)" }));
        const QByteArray fallback = pactl({ "get-default-sink" }).value().value(0).toUtf8();
        QVERIFY(!fallback.startsWith("parlora_twin_"));

        ToneSource tone(kVoice);
        tone.budget = kEndless;
        auto sink = m_provider.open("parlora_twin_b", kVoice, tone);
        auto* pulse = dynamic_cast<PulseDeviceSink*>(sink.get());
        QVERIFY(pulse);
        QCOMPARE(pulse->deviceName(), QByteArray("parlora_twin_b"));
        QTRY_VERIFY_WITH_TIMEOUT(tone.position(*sink) > 0, 3000);
        QTest::ignoreMessage(QtWarningMsg,
            QStringLiteral("The audio output moved from “parlora_twin_b” to “%1”.")
                .arg(QString::fromUtf8(fallback))
                .toUtf8()
                .constData());
        QVERIFY(pactl({ "unload-module", modules.takeLast() }));
        QTRY_COMPARE_WITH_TIMEOUT(pulse->deviceName(), fallback, 5000);
        const qint64 moved = tone.position(*sink);
        QTRY_VERIFY_WITH_TIMEOUT(tone.position(*sink) > moved + tone.perSecond() / 5, 3000);
        QVERIFY2(!sink->failed(), qPrintable(sink->errorString()));
        QCOMPARE(twins(), QStringList({ "Twin" }));
        // A new stream for the device that went (a format change) goes where the old one went.
        sink.reset();
        QTest::ignoreMessage(QtWarningMsg,
            QStringLiteral("The audio output “parlora_twin_b” is gone; playing on “%1”.")
                .arg(m_provider.outputs().front().description)
                .toUtf8()
                .constData());
        ToneSource again({ 16000, 16, 1 });
        auto reopened = m_provider.open("parlora_twin_b", again.format, again);
        QCOMPARE(dynamic_cast<PulseDeviceSink&>(*reopened).deviceName(), fallback);
    }
};

QTEST_MAIN(tst_PulseOutput)
#include "tst_PulseOutput.moc"
