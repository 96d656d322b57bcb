#include "VoiceEventLog.h"
#include "WaveFile.h"
#include "engine/api/SpFileStream.h"
#include "engine/api/SpVoice.h"
#include "engine/audio/PulseOutputProvider.h"
#include "engine/pipeline/PendingSynthesis.h"
#include "engine/pipeline/SynthesizerPool.h"
#include "engine/synth/SynthesizerProcess.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <csignal>
#include <numeric>
#include <tuple>

namespace {
// Marked-up prose with everything that carries state from one sentence to the next.
const QString markedUp = QStringLiteral(
    "The first sentence opens the text. <bookmark mark=\"one\"/>A bookmark stands before this one. "
    "<rate absspeed=\"6\">These words come quickly, and so do the next ones. Still quick here.</rate> "
    "Back to the usual pace. <voice required=\"Language=40C\">Bonjour à tous, voici une phrase en "
    "français. Et une autre.</voice> Now English again, with naïve café déjà vu. "
    "<pitch absmiddle=\"5\">A higher voice says this.</pitch> <bookmark mark=\"two\"/>Twelve thousand "
    "and 7 things. <silence msec=\"300\"/>After a pause the text ends. One more sentence. And the last.");

SpVoice::SynthesizerFactory helpers()
{
    return [] { return std::make_unique<SynthesizerProcess>(); };
}

// The running synthesiser helpers of this process.
QList<pid_t> helperProcesses()
{
    QList<pid_t> found;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const pid_t pid = entry.toInt(&number);
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!number || !stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (line.contains("(parlora-synth)") && fields.size() > 1 && fields[0] != "Z" && fields[1].toInt() == getpid())
            found << pid;
    }
    return found;
}

struct Rendering {
    std::vector<VoiceEventLog::Entry> events;
    WaveFile wave;
};

// A script for the synthesiser, to see the pool's ordering and bounds without the real one.
class CountingBackend final : public SynthesizerBackend {
public:
    explicit CountingBackend(std::atomic<int>& running, std::atomic<int>& most)
        : m_running(running)
        , m_most(most)
    {
    }
    int sampleRate() const override { return 16000; }
    std::vector<SynthVoice> voices() const override { return { { "v", "Voice", "en-US", "Female", 30 } }; }
    // Speaks ssml's length in blocks of 1000 samples whose value is that length.
    bool synthesize(const QByteArray& ssml, const Settings&, const Sink& sink) override
    {
        const int now = ++m_running;
        m_most = std::max(m_most.load(), now);
        const std::vector<int16_t> block(1000, static_cast<int16_t>(ssml.size()));
        bool completed = true;
        for (int i = 0; i < ssml.size() && completed; ++i)
            completed = sink(block, {});
        --m_running;
        return completed;
    }

private:
    std::atomic<int>& m_running;
    std::atomic<int>& m_most;
};
} // namespace

// Files rendered by several synthesisers at once.
class tst_ParallelRender : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    Rendering render(size_t synthesizers, const QString& text, int flags, SpeechAudioFormatType format)
    {
        SpVoice voice(helpers(), synthesizers, std::make_unique<PulseOutputProvider>());
        const QString path = m_dir.filePath(QStringLiteral("render-%1.wav").arg(synthesizers));
        auto file = std::make_shared<SpFileStream>();
        file->Format().setType(format);
        file->Open(path);
        voice.setAudioOutputStream(file);
        VoiceEventLog log(voice);
        voice.Speak(text, flags);
        file->Close();
        return { log.all(), WaveFile::read(path) };
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    // The pool hands chunks out in order and plays each as it was synthesised, while several
    // synthesisers work at once; a full queue holds its synthesiser back.
    void poolPlaysInOrderAndBounded()
    {
        std::atomic<int> running = 0, most = 0;
        SynthesizerPool pool(
            std::make_unique<CountingBackend>(running, most),
            [&] { return std::make_unique<CountingBackend>(running, most); }, 3);
        std::vector<std::shared_ptr<PendingSynthesis>> pending;
        for (int length = 1; length <= 6; ++length)
            pending.push_back(pool.submit(QByteArray(length * 300, 'x'), {}));
        QTRY_COMPARE(most.load(), 3); // every synthesiser busy, none beyond
        for (size_t i = 0; i < pending.size(); ++i) {
            const int length = static_cast<int>(i + 1) * 300;
            qsizetype samples = 0;
            bool wrong = false;
            const bool completed = pending[i]->play(
                [&](std::span<const int16_t> block, std::span<const SynthEvent>) {
                    samples += static_cast<qsizetype>(block.size());
                    wrong = wrong || block.front() != length;
                    return true;
                },
                [] { return true; });
            QVERIFY(completed);
            QVERIFY(!wrong);
            QCOMPARE(samples, qsizetype(length) * 1000);
        }
        QCOMPARE(most.load(), 3);
        QTRY_COMPARE(running.load(), 0);
    }

    // Cancelling wakes a synthesiser held back by a full queue, and it stops.
    void cancelReleasesAFullQueue()
    {
        std::atomic<int> running = 0, most = 0;
        SynthesizerPool pool(std::make_unique<CountingBackend>(running, most), nullptr, 1);
        const auto pending = pool.submit(QByteArray(4000, 'x'), {}); // four million samples, past the queue
        QTRY_COMPARE(running.load(), 1);
        pending->cancel();
        QTRY_COMPARE(running.load(), 0);
        const auto after = pool.submit(QByteArray(2, 'x'), {});
        QVERIFY(after->play([](auto, auto) { return true; }, [] { return true; }));
    }

    // A render on several synthesisers equals the one-synthesiser render of the same marked-up text:
    // the same events in the same order at the same places, the same length.
    void sameAsOneSynthesizer_data()
    {
        QTest::addColumn<int>("format");
        QTest::newRow("22 kHz 16-bit mono") << int(SAFT22kHz16BitMono);
        QTest::newRow("8 kHz 8-bit stereo") << int(SAFT8kHz8BitStereo);
    }
    void sameAsOneSynthesizer()
    {
        QFETCH(int, format);
        const auto type = static_cast<SpeechAudioFormatType>(format);
        const Rendering one = render(1, markedUp, SVSFIsXML, type);
        const Rendering three = render(3, markedUp, SVSFIsXML, type);
        QVERIFY(one.wave.ok && three.wave.ok);
        QVERIFY(one.wave.seconds() > 10);
        // Every pause that eSpeak NG's state (below) changes adds up in this short text, dense with
        // breaks, rate changes and bookmarks; over 100 KB of prose the lengths agree within 0.05 %.
        QVERIFY2(qAbs(three.wave.seconds() - one.wave.seconds()) <= one.wave.seconds() * 0.01,
            qPrintable(QStringLiteral("%1 s against %2 s").arg(three.wave.seconds()).arg(one.wave.seconds())));
        // eSpeak NG carries state from one text to the next: after a text with a break, a rate
        // change or a bookmark, a comma's pause in the next is about 50 ms longer, and the pause at
        // a text's end varies by about 12 ms; speaking a fixed text in between does not reset it.
        // So a one-synthesiser render differs from itself by as much after another text, and the
        // sentences a synthesiser happens to get decide it. Words and bookmarks are placed within
        // their sentence, the sentences within the drift such pauses add up to.
        const auto withoutLevels = [](const Rendering& r) {
            std::vector<VoiceEventLog::Entry> kept;
            std::copy_if(r.events.begin(), r.events.end(), std::back_inserter(kept),
                [](const auto& e) { return e.kind != QLatin1String("AudioLevel"); });
            return kept;
        };
        const auto expected = withoutLevels(one);
        const auto actual = withoutLevels(three);
        QCOMPARE(actual.size(), expected.size());
        QVERIFY(qAbs(qsizetype(three.events.size() - actual.size()) - qsizetype(one.events.size() - expected.size()))
            <= qsizetype(one.events.size() - expected.size()) / 50);
        const double bytesPerMs
            = one.wave.sampleRate * one.wave.channels * (format == SAFT8kHz8BitStereo ? 1 : 2) / 1000.0;
        constexpr int slack = 60; // ms
        int voiceChanges = 0, bookmarks = 0;
        qint64 sentenceA = 0, sentenceB = 0;
        for (size_t i = 0; i < expected.size(); ++i) {
            const auto& a = expected[i];
            const auto& b = actual[i];
            QCOMPARE(b.kind, a.kind);
            QCOMPARE(b.text, a.text);
            if (a.kind == QLatin1String("Sentence") || a.kind == QLatin1String("VoiceChange")) {
                QVERIFY(qAbs(b.position - a.position) <= slack * bytesPerMs + a.position * 0.01);
                sentenceA = a.position;
                sentenceB = b.position;
            }
            if (a.kind != QLatin1String("Phoneme") && a.kind != QLatin1String("Viseme"))
                QCOMPARE(std::tuple(b.a, b.b, b.c, b.d), std::tuple(a.a, a.b, a.c, a.d));
            else // the durations of pauses
                QCOMPARE(std::tuple(b.b, b.c, b.d), std::tuple(a.b, a.c, a.d));
            const bool placed = a.kind != QLatin1String("Phoneme") && a.kind != QLatin1String("Viseme");
            QVERIFY2(!placed || qAbs((b.position - sentenceB) - (a.position - sentenceA)) <= slack * bytesPerMs,
                qPrintable(QStringLiteral("%1 %2: %3 against %4").arg(a.kind).arg(i).arg(b.position).arg(a.position)));
            voiceChanges += a.kind == QLatin1String("VoiceChange");
            bookmarks += a.kind == QLatin1String("Bookmark");
        }
        QCOMPARE(voiceChanges, 2);
        QCOMPARE(bookmarks, 2);
    }

    // Skipping and purging reach a render under way on every synthesiser.
    void skipAndPurgeDuringARender()
    {
        SpVoice voice(helpers(), 3, std::make_unique<PulseOutputProvider>());
        auto file = std::make_shared<SpFileStream>();
        file->Open(m_dir.filePath(QStringLiteral("skip.wav")));
        voice.setAudioOutputStream(file);
        VoiceEventLog log(voice);
        QString text;
        for (int i = 1; i <= 400; ++i)
            text += QStringLiteral("This is sentence number %1 of a long text. ").arg(i);
        voice.Speak(text, SVSFlagsAsync | SVSFIsNotXML);
        QTRY_VERIFY(!log.of(QStringLiteral("Sentence")).empty());
        QCOMPARE(voice.Skip(QStringLiteral("Sentence"), 5), 5);
        const size_t before = log.of(QStringLiteral("Sentence")).size();
        QTRY_VERIFY(log.of(QStringLiteral("Sentence")).size() >= before + 3);
        voice.Speak(QString(), SVSFPurgeBeforeSpeak);
        QVERIFY(voice.WaitUntilDone(5000));
        QCOMPARE(log.of(QStringLiteral("EndStream")).size(), size_t(1));
        // The sentences raised run on one by one, but for the one jump of the skip.
        std::vector<int> numbers;
        for (const auto& s : log.of(QStringLiteral("Sentence")))
            numbers.push_back(text.mid(s.a, s.b).section(QLatin1Char(' '), 4, 4).toInt());
        QVERIFY(numbers.size() < 400);
        std::vector<int> steps(numbers.size());
        std::adjacent_difference(numbers.begin(), numbers.end(), steps.begin());
        QString seen;
        for (const int n : numbers)
            seen += QString::number(n) + QLatin1Char(' ');
        QVERIFY2(std::count(steps.begin() + 1, steps.end(), 5) == 1, qPrintable(seen));
        QCOMPARE(std::count(steps.begin() + 1, steps.end(), 1), qsizetype(numbers.size()) - 2);
        // The synthesisers are free again: a new text is spoken whole.
        log.clear();
        voice.Speak(QStringLiteral("Short and whole."), SVSFIsNotXML);
        QCOMPARE(log.words(QStringLiteral("Short and whole.")), QStringList({ "Short", "and", "whole" }));
    }

    // A helper killed during a render costs only its own sentence, which is spoken again.
    void aHelperKilledDuringARender()
    {
        const QList<pid_t> before = helperProcesses();
        SpVoice voice(helpers(), 2, std::make_unique<PulseOutputProvider>());
        auto file = std::make_shared<SpFileStream>();
        file->Open(m_dir.filePath(QStringLiteral("killed.wav")));
        voice.setAudioOutputStream(file);
        VoiceEventLog log(voice);
        int restarts = 0;
        connect(
            &voice, &SpVoice::synthesizerTrouble, this, [&](int, const QString&, bool again) { restarts += again; });
        QString text;
        for (int i = 1; i <= 60; ++i)
            text += QStringLiteral("Here is sentence %1, which is of a fair length so that it takes a while. ").arg(i);
        const auto ours = [&] {
            QList<pid_t> found = helperProcesses();
            found.removeIf([&](pid_t pid) { return before.contains(pid); });
            return found;
        };
        voice.Speak(text, SVSFlagsAsync | SVSFIsNotXML);
        QTRY_COMPARE(ours().size(), 2);
        QVERIFY(log.of(QStringLiteral("EndStream")).empty());
        ::kill(ours().back(), SIGKILL);
        QVERIFY(voice.WaitUntilDone(60000));
        QVERIFY(file->cutShort().isEmpty());
        QCOMPARE(log.of(QStringLiteral("EndStream")).size(), size_t(1));
        QVERIFY(restarts <= 1);
        // Every sentence is spoken to its end; only a cut one is heard again, from its start.
        const QStringList words = log.words(text);
        for (int i = 1; i <= 60; ++i) {
            const auto times = words.count(QString::number(i));
            QVERIFY2(times == 1 || (restarts == 1 && times == 2), qPrintable(QString::number(i)));
        }
        QVERIFY(words.count(QStringLiteral("while")) - 60 <= restarts);
        const auto all = log.all();
        QVERIFY(std::is_sorted(
            all.begin(), all.end(), [](const auto& a, const auto& b) { return a.position < b.position; }));
    }
};

QTEST_GUILESS_MAIN(tst_ParallelRender)
#include "tst_ParallelRender.moc"
