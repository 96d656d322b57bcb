#include "AudioOutputRequired.h"
#include "VoiceEventLog.h"
#include "WaveFile.h"
#include "engine/api/SpFileStream.h"
#include "engine/api/SpVoice.h"
#include "engine/audio/PulseOutputProvider.h"
#include "engine/synth/ESpeakBackend.h"
#include "engine/synth/SynthesizerProcess.h"
#include "platform/PlatformError.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <set>
#include <sndfile.h>

namespace {
const QString longText = QStringLiteral(
    "The first sentence is here. The second one follows it closely. A third sentence comes next. "
    "Then there is a fourth. The fifth is rather short. Number six is the last but one. Seven ends it.");

QStringList sentencesOf(const VoiceEventLog& log, const QString& text)
{
    QStringList result;
    for (const auto& e : log.of(QStringLiteral("Sentence")))
        result << text.mid(e.a, e.b);
    return result;
}

// A synthesiser without voices, to see the voice refuse to start.
class VoicelessBackend final : public SynthesizerBackend {
public:
    int sampleRate() const override { return 22050; }
    std::vector<SynthVoice> voices() const override { return {}; }
    bool synthesize(const QByteArray&, const Settings&, const Sink&) override { return true; }
};
// The real synthesiser's helper, killed in the second block of the calls numbered in `kills`.
class KilledHelperBackend final : public SynthesizerBackend {
public:
    explicit KilledHelperBackend(std::set<int> kills)
        : m_kills(std::move(kills))
    {
    }
    int sampleRate() const override { return m_process.sampleRate(); }
    std::vector<SynthVoice> voices() const override { return m_process.voices(); }
    bool synthesize(const QByteArray& ssml, const Settings& settings, const Sink& sink) override
    {
        const bool kill = m_kills.count(++m_calls) > 0;
        int blocks = 0;
        return m_process.synthesize(
            ssml, settings, [&](std::span<const int16_t> samples, std::span<const SynthEvent> events) {
                if (kill && ++blocks == 2)
                    ::kill(m_process.processId(), SIGKILL);
                return sink(samples, events);
            });
    }

private:
    SynthesizerProcess m_process;
    std::set<int> m_kills;
    int m_calls = 0;
};

struct Trouble {
    QString description;
    bool restarted = false;
};
} // namespace

// Streams over time: queueing, purging, pausing, skipping, waiting, and the audio device.
class tst_SpVoiceStreams : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<SpVoice> m_voice;

    bool haveDevice() const { return m_voice->GetAudioOutputs().Count() > 0; }

    std::shared_ptr<SpFileStream> openFile(const QString& name)
    {
        auto stream = std::make_shared<SpFileStream>();
        stream->Format().setType(SAFT22kHz16BitMono);
        stream->Open(m_dir.filePath(name));
        m_voice->setAudioOutputStream(stream);
        return stream;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QTemporaryDir empty;
        try {
            ESpeakBackend backend(empty.path());
            QFAIL("a synthesiser without speech data must not start");
        } catch (const PlatformError& e) {
            QVERIFY(e.description().contains(QStringLiteral("speech data")));
        }
        QVERIFY_THROWS_EXCEPTION(
            PlatformError, SpVoice(std::make_unique<VoicelessBackend>(), std::make_unique<PulseOutputProvider>()));
        m_voice = std::make_unique<SpVoice>();
    }

    void cleanup()
    {
        m_voice->Speak(QString(), SVSFPurgeBeforeSpeak);
        m_voice->Resume();
        m_voice->setAudioOutput(haveDevice() ? SpObjectToken() : m_voice->AudioOutput());
    }

    // A helper that dies in the middle of a sentence is replaced: the sentence is spoken again from
    // its start and the text goes on to its end, with one report. When the new helper dies too,
    // the stream ends there and says so.
    void aLostSynthesizerIsReplacedOnce_data()
    {
        QTest::addColumn<QList<int>>("kills");
        QTest::addColumn<bool>("restarted");
        QTest::newRow("second sentence, once") << QList<int> { 2 } << true;
        QTest::newRow("second sentence, twice") << QList<int> { 2, 3 } << false;
    }

    void aLostSynthesizerIsReplacedOnce()
    {
        QFETCH(QList<int>, kills);
        QFETCH(bool, restarted);
        SpVoice voice(std::make_unique<KilledHelperBackend>(std::set<int>(kills.begin(), kills.end())),
            std::make_unique<PulseOutputProvider>());
        auto file = std::make_shared<SpFileStream>();
        file->Open(m_dir.filePath(QStringLiteral("lost.wav")));
        voice.setAudioOutputStream(file);
        VoiceEventLog log(voice);
        std::vector<Trouble> troubles;
        connect(&voice, &SpVoice::synthesizerTrouble, this, [&](int, const QString& description, bool again) {
            troubles.push_back({ description, again });
        });
        // The second sentence is long enough that its helper cannot have finished it when it dies.
        QStringList second { "A", "second", "sentence", "rather", "longer", "than", "the", "first" };
        for (int i = 0; i < 12; ++i)
            second << "and"
                   << "it"
                   << "goes"
                   << "on"
                   << "still"
                   << "further";
        const QString text = QStringLiteral("One short sentence. %1 %2. The end.")
                                 .arg(second.mid(0, 3).join(QLatin1Char(' ')) + QLatin1Char(','),
                                     second.mid(3).join(QLatin1Char(' ')));
        voice.Speak(text, SVSFDefault);
        QCOMPARE(log.of(QStringLiteral("EndStream")).size(), size_t(1));
        const QStringList words = log.words(text);
        QCOMPARE(troubles.size(), size_t(1));
        QVERIFY(troubles[0].restarted);
        QCOMPARE(troubles[0].description, QStringLiteral("The speech synthesiser stopped unexpectedly."));
        if (restarted) {
            QVERIFY(file->cutShort().isEmpty());
            // The second sentence starts again; every word after it is spoken once.
            const QStringList expected = second + QStringList { "The", "end" };
            QCOMPARE(words.mid(words.lastIndexOf(QStringLiteral("A"))), expected);
            QCOMPARE(words.count(QStringLiteral("One")), 1);
        } else {
            // A file reports the cut itself: its owner decides whether the file is spoiled.
            QCOMPARE(file->cutShort(), QStringLiteral("The speech synthesiser stopped unexpectedly."));
            QVERIFY(!words.contains(QStringLiteral("end")));
        }
        const auto positions = log.all();
        QVERIFY(std::is_sorted(
            positions.begin(), positions.end(), [](const auto& a, const auto& b) { return a.position < b.position; }));
    }

    // On the device, the listener is told where the sound stops.
    void aLostSynthesizerOnTheDeviceIsReported()
    {
        SpVoice voice(
            std::make_unique<KilledHelperBackend>(std::set<int> { 1, 2 }), std::make_unique<PulseOutputProvider>());
        if (voice.GetAudioOutputs().Count() == 0)
            NO_AUDIO_OUTPUT("no audio output");
        std::vector<Trouble> troubles;
        VoiceEventLog log(voice);
        connect(&voice, &SpVoice::synthesizerTrouble, this, [&](int, const QString& description, bool again) {
            troubles.push_back({ description, again });
        });
        // Long enough that the helper cannot finish it before it is killed.
        voice.Speak(QStringLiteral("This sentence is spoken by a helper that dies in the middle of it, and the "
                                   "helper that takes its place dies in the middle of it as well."),
            SVSFDefault);
        QCOMPARE(log.of(QStringLiteral("EndStream")).size(), size_t(1));
        QCOMPARE(troubles.size(), size_t(2));
        QVERIFY(troubles[0].restarted);
        QVERIFY(!troubles[1].restarted);
        QCOMPARE(troubles[1].description, QStringLiteral("The speech synthesiser stopped unexpectedly."));
    }

    void synchronousAndAsynchronousSpeaking()
    {
        auto file = openFile(QStringLiteral("sync.wav"));
        VoiceEventLog log(*m_voice);
        const int stream = m_voice->Speak(QStringLiteral("Spoken before returning."), SVSFDefault);
        QCOMPARE(log.of("EndStream").size(), size_t(1));
        QCOMPARE(log.of("EndStream")[0].stream, stream);
        QVERIFY(m_voice->WaitUntilDone(0));

        log.clear();
        const int next = m_voice->Speak(QStringLiteral("Returns at once."), SVSFlagsAsync);
        QCOMPARE(next, stream + 1);
        QVERIFY(log.of("StartStream").empty());
        QVERIFY(m_voice->WaitUntilDone(-1));
        QCOMPARE(log.all().front().kind, QStringLiteral("StartStream"));
        QCOMPARE(log.all().back().kind, QStringLiteral("EndStream"));
        // An empty text is still a stream of its own.
        log.clear();
        m_voice->Speak(QStringLiteral(""), SVSFDefault);
        QCOMPARE(int(log.all().size()), 2);
        QCOMPARE(log.all()[0].kind, QStringLiteral("StartStream"));
        QCOMPARE(log.all()[1].kind, QStringLiteral("EndStream"));
        QCOMPARE(log.all()[1].position, 0);
        file->Close();
        QVERIFY(WaveFile::read(m_dir.filePath("sync.wav")).seconds() > 1.5);
    }

    void queuedStreamsAreSpokenInTurn()
    {
        auto file = openFile(QStringLiteral("queue.wav"));
        VoiceEventLog log(*m_voice);
        const QStringList texts { "First stream.", "Second stream.", "Third stream." };
        QList<int> streams;
        for (const QString& text : texts)
            streams << m_voice->Speak(text, SVSFlagsAsync);
        QVERIFY(m_voice->WaitUntilDone(-1));
        QCOMPARE(int(log.of("StartStream").size()), 3);
        int current = 0;
        for (const auto& e : log.all()) {
            if (e.kind == QLatin1String("StartStream")) {
                QCOMPARE(current, 0);
                current = e.stream;
            } else if (e.kind == QLatin1String("EndStream")) {
                QCOMPARE(e.stream, current);
                current = 0;
            } else {
                QCOMPARE(e.stream, current); // nothing from one stream inside another
            }
        }
        QList<int> started;
        for (const auto& e : log.of("StartStream"))
            started << e.stream;
        QCOMPARE(started, streams);
        for (int i = 0; i < 3; ++i) {
            QStringList words;
            for (const auto& e : log.of("Word"))
                if (e.stream == streams[i])
                    words << texts[i].mid(e.a, e.b);
            QCOMPARE(words.join(' ') + '.', texts[i]);
        }
    }

    void skipMovesBetweenSentences()
    {
        openFile(QStringLiteral("skip.wav"));
        VoiceEventLog log(*m_voice);
        int skipped = -1;
        int back = -1;
        QObject context;
        connect(m_voice.get(), &SpVoice::Sentence, &context, [&](int, QVariant, int at, int) {
            if (skipped < 0 && at == 0)
                skipped = m_voice->Skip(QStringLiteral("Sentence"), 2);
            else if (back < 0 && longText.mid(at).startsWith(QLatin1String("Then")))
                back = m_voice->Skip(QStringLiteral("sentence"), -3);
        });
        m_voice->Speak(longText, SVSFlagsAsync | SVSFIsNotXML);
        QVERIFY(m_voice->WaitUntilDone(-1));
        QCOMPARE(skipped, 2);
        QCOMPARE(back, 3);
        const QStringList sentences = sentencesOf(log, longText);
        QCOMPARE(sentences.mid(0, 3),
            (QStringList { "The first sentence is here.", "A third sentence comes next.", "Then there is a fourth." }));
        QCOMPARE(sentences.at(3), QStringLiteral("The first sentence is here."));
        QCOMPARE(sentences.last(), QStringLiteral("Seven ends it."));
        // Positions keep going forward through the skips.
        qint64 last = 0;
        for (const auto& e : log.all()) {
            QVERIFY(e.position >= last);
            last = e.position;
        }
        QCOMPARE(m_voice->Skip(QStringLiteral("Sentence"), 1), 0); // nothing is speaking
    }

    void purgeEndsTheStreamAndDropsTheQueue()
    {
        if (!haveDevice())
            NO_AUDIO_OUTPUT("no audio output device");
        VoiceEventLog log(*m_voice);
        const int first = m_voice->Speak(longText, SVSFlagsAsync);
        m_voice->Speak(QStringLiteral("Queued and never heard."), SVSFlagsAsync);
        QTRY_VERIFY_WITH_TIMEOUT(log.of("Word").size() >= 2, 10000);
        m_voice->Speak(QString(), SVSFPurgeBeforeSpeak);
        QCOMPARE(log.all().back().kind, QStringLiteral("EndStream"));
        QCOMPARE(log.all().back().stream, first);
        QVERIFY(m_voice->WaitUntilDone(0));
        const size_t count = log.all().size();
        QTest::qWait(400);
        QCOMPARE(log.all().size(), count); // nothing more arrives
        QCOMPARE(log.of("StartStream").size(), size_t(1));

        // Purging with a new text replaces the speech at once.
        log.clear();
        const int old = m_voice->Speak(longText, SVSFlagsAsync);
        QTRY_VERIFY_WITH_TIMEOUT(!log.of("Word").empty(), 10000);
        const int fresh = m_voice->Speak(QStringLiteral("Instead."), SVSFlagsAsync | SVSFPurgeBeforeSpeak);
        QVERIFY(m_voice->WaitUntilDone(10000));
        QList<int> order;
        for (const auto& e : log.all())
            if (e.kind.endsWith(QLatin1String("Stream")))
                order << (e.kind == QLatin1String("StartStream") ? e.stream : -e.stream);
        QCOMPARE(order, (QList<int> { old, -old, fresh, -fresh }));
    }

    // What was queued for the voice must not reach it while it is half destroyed, nor after (it
    // once hung on its own freed event queue).
    void aVoiceDestroyedWhileSpeakingReceivesNothing()
    {
        if (!haveDevice())
            NO_AUDIO_OUTPUT("no audio output device");
        auto voice = std::make_unique<SpVoice>();
        QSignalSpy words(voice.get(), &SpVoice::Word);
        voice->Speak(QStringLiteral("This sentence is still being spoken when its voice goes away."), SVSFlagsAsync);
        QTRY_VERIFY_WITH_TIMEOUT(words.size() >= 2, 10000);
        bool delivered = false;
        QMetaObject::invokeMethod(
            voice.get(), [&delivered] { delivered = true; }, Qt::QueuedConnection);
        voice.reset();
        QVERIFY(!delivered);
        QCoreApplication::processEvents();
        QVERIFY(!delivered);
    }

    void devicePlaybackPacesTheEvents()
    {
        if (!haveDevice())
            NO_AUDIO_OUTPUT("no audio output device");
        VoiceEventLog log(*m_voice);
        QElapsedTimer clock;
        clock.start();
        m_voice->Speak(
            QStringLiteral("Each word of this sentence reaches the loudspeaker in its own time."), SVSFlagsAsync);
        QVERIFY(m_voice->WaitUntilDone(20000));
        const auto words = log.of("Word");
        QCOMPARE(words.size(), size_t(12));
        const double seconds = log.of("EndStream")[0].position / 44100.0;
        const qint64 spread = words.back().elapsedMs - words.front().elapsedMs;
        const double spoken = (words.back().position - words.front().position) / 44.1;
        QVERIFY2(
            spread > spoken * 0.8, qPrintable(QStringLiteral("words over %1 ms of %2 ms").arg(spread).arg(spoken)));
        QVERIFY(clock.elapsed() >= seconds * 1000 * 0.9);
    }

    void pauseHoldsAndResumeContinues()
    {
        if (!haveDevice())
            NO_AUDIO_OUTPUT("no audio output device");
        VoiceEventLog log(*m_voice);
        m_voice->Speak(longText, SVSFlagsAsync);
        QTRY_VERIFY_WITH_TIMEOUT(log.of("Word").size() >= 3, 10000);
        m_voice->Pause();
        const size_t held = log.all().size();
        QTest::qWait(600);
        QCOMPARE(log.all().size(), held);
        m_voice->Resume();
        QTRY_VERIFY_WITH_TIMEOUT(log.all().size() > held, 2000);
        QVERIFY(m_voice->WaitUntilDone(30000));
        QCOMPARE(log.words(longText).size(), longText.split(' ').size());

        // Paused while idle: the next stream waits for Resume.
        log.clear();
        m_voice->Pause();
        m_voice->Speak(QStringLiteral("Held back."), SVSFlagsAsync);
        QVERIFY(!m_voice->WaitUntilDone(500));
        QVERIFY(log.all().empty());
        m_voice->Resume();
        QVERIFY(m_voice->WaitUntilDone(10000));
        QCOMPARE(log.words(QStringLiteral("Held back.")), (QStringList { "Held", "back" }));
    }

    void closingTheFileMidStreamEndsItCleanly()
    {
        auto file = openFile(QStringLiteral("closed.wav"));
        VoiceEventLog log(*m_voice);
        m_voice->Speak(longText.repeated(20), SVSFlagsAsync);
        QTRY_VERIFY_WITH_TIMEOUT(!log.of("Word").empty(), 10000);
        file->Close();
        QVERIFY(m_voice->WaitUntilDone(20000));
        QCOMPARE(log.all().back().kind, QStringLiteral("EndStream"));
        QVERIFY(WaveFile::read(m_dir.filePath("closed.wav")).ok);
        // The voice goes on speaking afterwards.
        auto next = openFile(QStringLiteral("after.wav"));
        m_voice->Speak(QStringLiteral("Still speaking."), SVSFDefault);
        next->Close();
        QVERIFY(WaveFile::read(m_dir.filePath("after.wav")).seconds() > 0.5);
    }

    // The file takes its name only when closed; until then it grows in a hidden file beside the
    // name. A stream released without Close leaves nothing, and an older file stays as it was.
    void fileTakesItsNameOnlyWhenClosed()
    {
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("named.wav"));
        const auto files = [&] { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name); };
        auto file = std::make_shared<SpFileStream>();
        file->Format().setType(SAFT22kHz16BitMono);
        file->Open(name);
        m_voice->setAudioOutputStream(file);
        m_voice->Speak(QStringLiteral("Not yet under its name."), SVSFDefault);
        QVERIFY(!QFileInfo::exists(name));
        QCOMPARE(files().size(), 1);
        QVERIFY2(files()[0].startsWith(QStringLiteral(".named.wav.")) && files()[0].endsWith(QStringLiteral(".part")),
            qPrintable(files()[0]));
        QCOMPARE(QFileInfo(dir.filePath(files()[0])).size(), file->bytesWritten() + 44);
        file->Close();
        QCOMPARE(files(), QStringList { "named.wav" });
        QVERIFY(WaveFile::read(name).seconds() > 0.5);

        QFile kept(name);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        const QByteArray before = kept.readAll();
        kept.close();
        auto abandoned = std::make_shared<SpFileStream>();
        abandoned->Format().setType(SAFT8kHz8BitMono);
        abandoned->Open(name);
        m_voice->setAudioOutputStream(abandoned);
        m_voice->Speak(QStringLiteral("Abandoned."), SVSFDefault);
        QCOMPARE(files().size(), 2);
        m_voice->setAudioOutputStream(nullptr);
        abandoned.reset();
        // The worker lets go of the stream a moment after it ended.
        QTRY_COMPARE_WITH_TIMEOUT(files(), QStringList { "named.wav" }, 5000);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), before);
    }

    // Every kind of file keeps the stream's format where its codec allows (Opus: the next rate it
    // takes), sounds as long as the wave file of the same text, and carries its title; the events
    // are the wave file's, at the same positions, whatever the kind.
    void compressedFilesKeepTheStreamsFormat_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("container");
        const auto row = [](const char* name, AudioFileKind kind, int format, int rate, int container) {
            QTest::newRow(name) << int(kind) << format << rate << container;
        };
        row("mp3 22 kHz mono", AudioFileKind::Mp3, SAFT22kHz16BitMono, 22050, SF_FORMAT_MPEG);
        row("mp3 48 kHz stereo", AudioFileKind::Mp3, SAFT48kHz16BitStereo, 48000, SF_FORMAT_MPEG);
        row("mp3 8 kHz 8-bit", AudioFileKind::Mp3, SAFT8kHz8BitMono, 8000, SF_FORMAT_MPEG);
        row("vorbis 22 kHz mono", AudioFileKind::OggVorbis, SAFT22kHz16BitMono, 22050, SF_FORMAT_OGG);
        row("vorbis 11 kHz 8-bit stereo", AudioFileKind::OggVorbis, SAFT11kHz8BitStereo, 11025, SF_FORMAT_OGG);
        row("opus 22 kHz to 24", AudioFileKind::Opus, SAFT22kHz16BitMono, 24000, SF_FORMAT_OGG);
        row("opus 11 kHz stereo to 12", AudioFileKind::Opus, SAFT11kHz16BitStereo, 12000, SF_FORMAT_OGG);
        row("opus 44 kHz to 48", AudioFileKind::Opus, SAFT44kHz16BitMono, 48000, SF_FORMAT_OGG);
        row("opus 16 kHz", AudioFileKind::Opus, SAFT16kHz16BitMono, 16000, SF_FORMAT_OGG);
        row("flac 22 kHz mono", AudioFileKind::Flac, SAFT22kHz16BitMono, 22050, SF_FORMAT_FLAC);
        row("flac 32 kHz 8-bit stereo", AudioFileKind::Flac, SAFT32kHz8BitStereo, 32000, SF_FORMAT_FLAC);
    }

    void compressedFilesKeepTheStreamsFormat()
    {
        QFETCH(int, kind);
        QFETCH(int, format);
        QFETCH(int, rate);
        QFETCH(int, container);
        const QString text = QStringLiteral("Compressed speech, heard as long as the wave file. Süße Grüße.");
        const auto record = [&](AudioFileKind fileKind, const QString& name) {
            auto file = std::make_shared<SpFileStream>();
            file->Format().setType(format);
            file->setKind(fileKind);
            file->setTitle(QStringLiteral("Süße Grüße"));
            file->Open(m_dir.filePath(name));
            m_voice->setAudioOutputStream(file);
            VoiceEventLog log(*m_voice);
            m_voice->Speak(text, SVSFDefault);
            file->Close();
            // Positions are bytes of the stream's PCM: the end is where the audio ends.
            const auto pcm = *SpAudioFormat::describe(format);
            const double end = double(log.of("EndStream").at(0).position) / pcm.bytesPerFrame() / pcm.sampleRate;
            return std::pair { int(log.of("Word").size()), end };
        };
        const auto [waveWords, waveEnd] = record(AudioFileKind::Wave, QStringLiteral("same.wav"));
        const auto [words, end] = record(AudioFileKind(kind), QStringLiteral("same.compressed"));
        QCOMPARE(words, waveWords);

        const WaveFile wave = WaveFile::read(m_dir.filePath("same.wav"));
        QVERIFY(wave.title.isEmpty()); // a wave file stays bare PCM
        const WaveFile compressed = WaveFile::read(m_dir.filePath("same.compressed"));
        QVERIFY(compressed.ok);
        QCOMPARE(compressed.container, container);
        QCOMPARE(compressed.sampleRate, rate);
        QCOMPARE(compressed.channels, wave.channels);
        QCOMPARE(waveEnd, wave.seconds());
        QVERIFY2(std::abs(compressed.seconds() - wave.seconds()) <= 0.02 * wave.seconds(),
            qPrintable(QStringLiteral("%1 s against %2 s").arg(compressed.seconds()).arg(wave.seconds())));
        QVERIFY2(std::abs(compressed.seconds() - end) <= 0.02 * end,
            qPrintable(QStringLiteral("%1 s, the events say %2 s").arg(compressed.seconds()).arg(end)));
        QVERIFY2(compressed.peak() > wave.peak() / 2, qPrintable(QString::number(compressed.peak())));
        QCOMPARE(compressed.title, QStringLiteral("Süße Grüße"));
    }

    // A compressed file is encoded beside the voice; a write that fails there (a full disk) still
    // ends the text early and fails Close, so the file is never taken for complete.
    void compressedWriteFailureFailsClose_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("mp3") << int(AudioFileKind::Mp3);
        QTest::newRow("vorbis") << int(AudioFileKind::OggVorbis);
        QTest::newRow("opus") << int(AudioFileKind::Opus);
        QTest::newRow("flac") << int(AudioFileKind::Flac);
    }

    void compressedWriteFailureFailsClose()
    {
        QFETCH(int, kind);
        auto file = std::make_shared<SpFileStream>();
        file->setKind(AudioFileKind(kind));
        file->Open(QStringLiteral("/dev/full")); // a device is written in place, and it is always full
        m_voice->setAudioOutputStream(file);
        m_voice->Speak(longText.repeated(3), SVSFDefault);
        QVERIFY2(!file->cutShort().isEmpty(), "the text ends at the failed write");
        try {
            file->Close();
            QFAIL("Close must fail");
        } catch (const PlatformError& failure) {
            QVERIFY2(failure.description().contains(QStringLiteral("/dev/full")), qPrintable(failure.description()));
        }
        QVERIFY(!file->isOpen());
    }

    void markupSwitchesTheVoice()
    {
        auto file = openFile(QStringLiteral("voices.wav"));
        VoiceEventLog log(*m_voice);
        m_voice->Speak(
            QStringLiteral("<speak>Good morning. <voice name=\"Afrikaans\">Goeie more.</voice> Bye.</speak>"),
            SVSFDefault);
        const auto changes = log.of("VoiceChange");
        QCOMPARE(int(changes.size()), 2);
        QCOMPARE(changes[0].text, QStringLiteral("Afrikaans"));
        QCOMPARE(changes[1].text, m_voice->Voice().GetDescription());
        file->Close();
    }

    void audioOutputsAndStreams()
    {
        const SpObjectTokens outputs = m_voice->GetAudioOutputs();
        if (outputs.Count() == 0) {
            QVERIFY2(!audioOutputRequired(), "no audio output device");
            QVERIFY_THROWS_EXCEPTION(PlatformError, m_voice->setAudioOutput(SpObjectToken()));
            QVERIFY_THROWS_EXCEPTION(PlatformError, m_voice->Speak(QStringLiteral("x"), SVSFlagsAsync));
            return;
        }
        QCOMPARE(m_voice->GetAudioOutputs().Item(0).Id(), outputs.Item(0).Id());
        m_voice->setAudioOutput(outputs.Item(outputs.Count() - 1));
        QCOMPARE(m_voice->AudioOutput().Id(), outputs.Item(outputs.Count() - 1).Id());
        m_voice->setAudioOutput(SpObjectToken());
        QCOMPARE(m_voice->AudioOutput().Id(), outputs.Item(0).Id());
        QVERIFY_THROWS_EXCEPTION(
            PlatformError, m_voice->setAudioOutput(SpObjectToken(QStringLiteral("gone"), QStringLiteral("Gone"))));

        // A format chosen with changes disallowed is the one the device plays.
        auto stream = m_voice->AudioOutputStream();
        stream->Format().setType(SAFT8kHz8BitStereo);
        m_voice->setAllowAudioOutputFormatChangesOnNextSet(false);
        m_voice->setAudioOutputStream(stream);
        QCOMPARE(m_voice->AudioOutputStream()->Format().Type(), int(SAFT8kHz8BitStereo));
        VoiceEventLog log(*m_voice);
        m_voice->Speak(QStringLiteral("Eight kilohertz."), SVSFDefault);
        // 8000 frames of 2 bytes each per second.
        QVERIFY(log.of("EndStream")[0].position / 16000.0 > 0.5);
        stream->Format().setType(SAFT22kHz16BitMono);
        m_voice->setAudioOutputStream(stream);
    }
};

QTEST_GUILESS_MAIN(tst_SpVoiceStreams)
#include "tst_SpVoiceStreams.moc"
