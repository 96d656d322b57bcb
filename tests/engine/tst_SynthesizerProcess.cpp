#include "VoiceEventLog.h"
#include "WaveFile.h"
#include "engine/api/SpFileStream.h"
#include "engine/api/SpVoice.h"
#include "engine/audio/PulseOutputProvider.h"
#include "engine/synth/ESpeakBackend.h"
#include "engine/synth/FliteBackend.h"
#include "engine/synth/SynthesizerProcess.h"
#include "platform/PlatformError.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

namespace {
struct Spoken {
    std::vector<int16_t> samples;
    std::vector<SynthEvent> events;
    int blocks = 0;
};

// Collects what a synthesiser delivers; stops after stopAfter blocks when that is not negative.
SynthesizerBackend::Sink collector(Spoken& into, int stopAfter = -1)
{
    return [&into, stopAfter](std::span<const int16_t> samples, std::span<const SynthEvent> events) {
        into.samples.insert(into.samples.end(), samples.begin(), samples.end());
        into.events.insert(into.events.end(), events.begin(), events.end());
        return stopAfter < 0 || ++into.blocks < stopAfter;
    };
}

SynthesizerBackend::Settings english()
{
    SynthesizerBackend::Settings settings;
    settings.voiceId = QStringLiteral("gmw/en");
    return settings;
}

const QByteArray sentence = "Hello <mark name=\"m1\"/>there. The helper speaks for the program. ";
} // namespace

// The synthesiser in its own process: the same speech as the library gives in ours, and a
// helper that dies, hangs or talks nonsense costs one text, never the program.
class tst_SynthesizerProcess : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString script(const QString& name, const QByteArray& body)
    {
        QFile file(m_dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly))
            return {};
        file.write("#!/bin/sh\n" + body + "\n");
        file.close();
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
        return file.fileName();
    }

    void expectStartFailure(const QString& helper, const QString& expected, std::chrono::milliseconds timeout)
    {
        SynthesizerProcess::Options options;
        options.helper = helper;
        options.answerTimeout = timeout;
        try {
            SynthesizerProcess process(options);
            QFAIL(qPrintable(helper + QStringLiteral(" must not start")));
        } catch (const PlatformError& error) {
            QVERIFY2(error.description().contains(expected), qPrintable(error.description()));
        }
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void speaksAsTheLibraryDoes()
    {
        SynthesizerProcess process;
        ESpeakBackend library;
        QCOMPARE(process.sampleRate(), library.sampleRate());
        const auto theirs = process.voices();
        const auto ours = library.voices();
        // eSpeak NG's voices, then Flite's.
        const FliteBackend flite(library.sampleRate());
        QCOMPARE(theirs.size(), ours.size() + flite.voices().size());
        QVERIFY(ours.size() > 50);
        for (size_t i = 0; i < ours.size(); ++i) {
            QCOMPARE(theirs[i].id, ours[i].id);
            QCOMPARE(theirs[i].name, ours[i].name);
            QCOMPARE(theirs[i].language, ours[i].language);
            QCOMPARE(theirs[i].gender, ours[i].gender);
            QCOMPARE(theirs[i].age, ours[i].age);
            QCOMPARE(theirs[i].vendor, QStringLiteral("eSpeak NG"));
        }
        for (size_t i = ours.size(); i < theirs.size(); ++i) {
            QCOMPARE(theirs[i].id, flite.voices()[i - ours.size()].id);
            QCOMPARE(theirs[i].vendor, QStringLiteral("Flite"));
        }
        Spoken there, here;
        QVERIFY(process.synthesize(sentence, english(), collector(there)));
        QVERIFY(library.synthesize(sentence, english(), collector(here)));
        QVERIFY(here.samples.size() > 10000);
        QVERIFY(there.samples == here.samples);
        QCOMPARE(there.events.size(), here.events.size());
        int marks = 0;
        for (size_t i = 0; i < here.events.size(); ++i) {
            QCOMPARE(there.events[i].type, here.events[i].type);
            QCOMPARE(there.events[i].sample, here.events[i].sample);
            QCOMPARE(there.events[i].textPosition, here.events[i].textPosition);
            QCOMPARE(there.events[i].length, here.events[i].length);
            QCOMPARE(there.events[i].name, here.events[i].name);
            marks += here.events[i].type == SynthEvent::Type::Mark && here.events[i].name == "m1";
        }
        QCOMPARE(marks, 1);
        // Refusals of the synthesiser come across as they are, and the helper stays.
        const pid_t helper = process.processId();
        auto unknown = english();
        unknown.voiceId = QStringLiteral("no/such-voice");
        Spoken refused;
        QVERIFY_THROWS_EXCEPTION(PlatformError, process.synthesize(sentence, unknown, collector(refused)));
        QCOMPARE(process.processId(), helper);
    }

    // Flite speaks in the helper as in our process, at eSpeak NG's rate, and is stopped alike.
    void fliteSpeaksInTheHelper()
    {
        SynthesizerProcess process;
        FliteBackend library(process.sampleRate());
        auto settings = english();
        settings.voiceId = QStringLiteral("flite/kal");
        Spoken there, here;
        QVERIFY(process.synthesize(sentence, settings, collector(there)));
        QVERIFY(library.synthesize(sentence, settings, collector(here)));
        QVERIFY(there.samples == here.samples);
        QVERIFY(there.events == here.events);
        // kal speaks at 8 kHz: its 2 s or so come out at the helper's rate.
        QVERIFY2(here.samples.size() > size_t(process.sampleRate()) * 3 / 2,
            qPrintable(QString::number(here.samples.size())));
        const auto mark = std::find_if(here.events.begin(), here.events.end(),
            [](const SynthEvent& e) { return e.type == SynthEvent::Type::Mark; });
        QVERIFY(mark != here.events.end() && mark->name == "m1");
        const auto there_ = std::find_if(here.events.begin(), here.events.end(), [](const SynthEvent& e) {
            return e.type == SynthEvent::Type::Word && e.textPosition == int(sentence.indexOf("there"));
        });
        QVERIFY(there_ != here.events.end());
        QCOMPARE(there_->sample, mark->sample);
        Spoken stopped;
        QVERIFY(!process.synthesize(sentence.repeated(10), settings, collector(stopped, 2)));
        QCOMPARE(stopped.blocks, 2);
        settings.voiceId = QStringLiteral("flite/none");
        QVERIFY_THROWS_EXCEPTION(PlatformError, process.synthesize(sentence, settings, collector(stopped)));
        QVERIFY(process.processId() > 0);
    }

    void theSinkStopsTheHelper()
    {
        SynthesizerProcess process;
        const pid_t helper = process.processId();
        QVERIFY(helper > 0);
        Spoken stopped;
        QVERIFY(!process.synthesize(sentence.repeated(20), english(), collector(stopped, 2)));
        QCOMPARE(stopped.blocks, 2);
        // A stop that reaches the helper after it finished a short text is not taken for the
        // next request.
        Spoken late;
        const auto slowStop = [&late](std::span<const int16_t> samples, std::span<const SynthEvent> events) {
            // Long enough for the helper to have sent the whole text.
            QThread::msleep(100);
            return collector(late, 1)(samples, events);
        };
        QVERIFY(!process.synthesize("Hi. ", english(), slowStop));
        // The next text starts from its beginning, in the same helper.
        Spoken whole;
        QVERIFY(process.synthesize(sentence, english(), collector(whole)));
        QVERIFY(whole.samples.size() > 10000);
        QVERIFY(!whole.events.empty() && whole.events.front().textPosition == 0);
        QCOMPARE(process.processId(), helper);
    }

    void aHelperThatDiesCostsOneText()
    {
        SynthesizerProcess process;
        const pid_t first = process.processId();
        Spoken cut;
        const auto killing = [&](std::span<const int16_t> samples, std::span<const SynthEvent> events) {
            if (cut.blocks++ == 1)
                ::kill(first, SIGKILL);
            return collector(cut)(samples, events);
        };
        try {
            process.synthesize(sentence.repeated(20), english(), killing);
            QFAIL("a helper killed while speaking must fail the text");
        } catch (const PlatformError& error) {
            QCOMPARE(error.description(), QStringLiteral("The speech synthesiser stopped unexpectedly."));
        }
        QCOMPARE(process.processId(), -1);
        Spoken again;
        QVERIFY(process.synthesize(sentence, english(), collector(again)));
        QVERIFY(again.samples.size() > 10000);
        QVERIFY(process.processId() > 0 && process.processId() != first);
    }

    void helpersThatCannotServe()
    {
        using namespace std::chrono_literals;
        expectStartFailure(m_dir.filePath(QStringLiteral("missing")), QStringLiteral("could not be started"), 5s);
        expectStartFailure(script(QStringLiteral("quits"), "exit 3"), QStringLiteral("stopped unexpectedly"), 5s);
        expectStartFailure(script(QStringLiteral("garbles"), "printf 'nonsense' >&3; sleep 5"),
            QStringLiteral("stopped unexpectedly"), 5s);
        expectStartFailure(script(QStringLiteral("mumbles"), "printf '\\002\\000\\000\\000\\377\\377' >&3; sleep 5"),
            QStringLiteral("cannot be read"), 5s);
        // One that never answers is given up on, and taken down with it.
        QElapsedTimer clock;
        clock.start();
        expectStartFailure(
            script(QStringLiteral("hangs"), "exec sleep 60"), QStringLiteral("stopped answering"), 300ms);
        QVERIFY2(clock.elapsed() < 10000, "a silent helper must not hold the program");
        // The helper's own failure to start its synthesiser is told as the library tells it.
        SynthesizerProcess::Options noData;
        noData.dataPath = m_dir.path();
        try {
            SynthesizerProcess process(noData);
            QFAIL("a synthesiser without speech data must not start");
        } catch (const PlatformError& error) {
            QVERIFY2(error.description().contains(QStringLiteral("speech data")), qPrintable(error.description()));
        }
    }

    // Beside the program (the build folder), else in the libexec folder of an installed tree,
    // else the helper this build made; PARLORA_SYNTH_HELPER overrides all of them.
    void findsItsHelper_data()
    {
        QTest::addColumn<QStringList>("present"); // executables in a fresh tree
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("expected"); // in the tree; "built": the build's own
        QTest::newRow("installed") << QStringList { "libexec/parlora/parlora-synth" } << QString()
                                   << "libexec/parlora/parlora-synth";
        QTest::newRow("beside the program first")
            << QStringList { "bin/parlora-synth", "libexec/parlora/parlora-synth" } << QString() << "bin/parlora-synth";
        QTest::newRow("neither") << QStringList {} << QString() << "built";
        QTest::newRow("chosen") << QStringList { "bin/parlora-synth", "libexec/parlora/parlora-synth" }
                                << "/opt/elsewhere/parlora-synth"
                                << "/opt/elsewhere/parlora-synth";
    }

    void findsItsHelper()
    {
        QFETCH(QStringList, present);
        QFETCH(QString, chosen);
        QFETCH(QString, expected);
        QTemporaryDir tree;
        QVERIFY(QDir(tree.path()).mkpath(QStringLiteral("bin")));
        const QString programFolder = tree.filePath(QStringLiteral("bin"));
        const QString built = SynthesizerProcess::findHelper({}, programFolder);
        QVERIFY2(QFileInfo(built).isExecutable() && !built.startsWith(tree.path()), qPrintable(built));
        for (const QString& name : present) {
            QVERIFY(QFileInfo(tree.filePath(name)).dir().mkpath(QStringLiteral(".")));
            QVERIFY(QFile::copy(built, tree.filePath(name)));
        }

        const QString found = SynthesizerProcess::findHelper(chosen, programFolder);
        if (expected == QStringLiteral("built"))
            QCOMPARE(found, built);
        else if (expected.startsWith(QLatin1Char('/')))
            QCOMPARE(found, expected);
        else
            QCOMPARE(found, tree.filePath(expected));
        // The helper runs from wherever it was found.
        if (!expected.startsWith(QLatin1Char('/'))) {
            SynthesizerProcess::Options options;
            options.helper = found;
            SynthesizerProcess process(options);
            QVERIFY(!process.voices().empty());
        }
    }

    // A file without the execute bit in the installed place is not taken.
    void passesOverAHelperThatCannotRun()
    {
        QTemporaryDir tree;
        QVERIFY(QDir(tree.path()).mkpath(QStringLiteral("bin")) && QDir(tree.path()).mkpath("libexec/parlora"));
        const QString programFolder = tree.filePath(QStringLiteral("bin"));
        const QString built = SynthesizerProcess::findHelper({}, programFolder);
        QFile plain(tree.filePath(QStringLiteral("libexec/parlora/parlora-synth")));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        QCOMPARE(SynthesizerProcess::findHelper({}, programFolder), built);
    }

    // A voice whose synthesiser died starts a new one, says so once, and speaks on.
    void aVoiceOutlivesItsSynthesiser()
    {
        auto owned = std::make_unique<SynthesizerProcess>();
        SynthesizerProcess& process = *owned;
        SpVoice voice(std::move(owned), std::make_unique<PulseOutputProvider>());
        VoiceEventLog log(voice);
        const auto count = [&log](const char* kind, int stream) {
            const auto entries = log.of(QLatin1String(kind));
            return std::count_if(
                entries.begin(), entries.end(), [stream](const auto& e) { return e.stream == stream; });
        };
        auto file = std::make_shared<SpFileStream>();
        file->Format().setType(SAFT22kHz16BitMono);
        file->Open(m_dir.filePath(QStringLiteral("speech.wav")));
        voice.setAudioOutputStream(file);
        QStringList troubles;
        connect(&voice, &SpVoice::synthesizerTrouble, this, [&](int, const QString& description, bool restarted) {
            troubles << description + (restarted ? "+" : "-");
        });
        const pid_t first = process.processId();
        ::kill(first, SIGKILL);
        const int lost = voice.Speak(QStringLiteral("This text meets a dead synthesiser."), SVSFlagsAsync);
        QVERIFY(voice.WaitUntilDone(30000));
        QTRY_COMPARE(count("EndStream", lost), 1);
        QCOMPARE(count("Word", lost), 6);
        QCOMPARE(troubles, QStringList { "The speech synthesiser stopped unexpectedly.+" });
        QVERIFY(process.processId() > 0 && process.processId() != first);
        const int spoken = voice.Speak(QStringLiteral("This one is spoken."), SVSFlagsAsync);
        QVERIFY(voice.WaitUntilDone(30000));
        QTRY_COMPARE(count("EndStream", spoken), 1);
        QCOMPARE(count("Word", spoken), 4);
        file->Close();
        QVERIFY(WaveFile::read(m_dir.filePath(QStringLiteral("speech.wav"))).frames > 10000);
    }
};

QTEST_GUILESS_MAIN(tst_SynthesizerProcess)
#include "tst_SynthesizerProcess.moc"
