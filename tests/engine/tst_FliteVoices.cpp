#include "AudioOutputRequired.h"
#include "VoiceEventLog.h"
#include "WaveFile.h"
#include "engine/api/SpFileStream.h"
#include "engine/api/SpVoice.h"
#include "engine/audio/PulseOutputProvider.h"
#include "engine/synth/FliteBackend.h"
#include "engine/synth/FliteScript.h"
#include "engine/synth/PhoneTable.h"
#include "engine/synth/SynthesizerProcess.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {
const QString fox = QStringLiteral("The quick brown fox jumps over the lazy dog.");

// The median pitch of the louder frames, from each frame's best autocorrelation between 70 and
// 450 Hz: enough to tell a raised voice from its normal one.
double medianPitch(const WaveFile& wave)
{
    const int frame = wave.sampleRate / 25;
    std::vector<double> pitches;
    for (size_t start = 0; start + size_t(2 * frame) < wave.samples.size(); start += size_t(frame)) {
        const short* s = wave.samples.data() + start;
        double energy = 0;
        for (int i = 0; i < frame; ++i)
            energy += double(s[i]) * s[i];
        if (energy / frame < 1e6)
            continue;
        int bestLag = 0;
        double best = 0;
        for (int lag = wave.sampleRate / 450; lag <= wave.sampleRate / 70; ++lag) {
            double sum = 0;
            for (int i = 0; i < frame; ++i)
                sum += double(s[i]) * s[i + lag];
            if (sum > best) {
                best = sum;
                bestLag = lag;
            }
        }
        if (bestLag > 0 && best > 0.5 * energy)
            pitches.push_back(double(wave.sampleRate) / bestLag);
    }
    if (pitches.empty())
        return 0;
    std::nth_element(pitches.begin(), pitches.begin() + qsizetype(pitches.size() / 2), pitches.end());
    return pitches[pitches.size() / 2];
}
} // namespace

// Flite's voices beside eSpeak NG's: listed after them, and speaking with every event, format
// and markup the engine offers, through the real helper process.
class tst_FliteVoices : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<SpVoice> m_voice;

    SpObjectToken flite(const QString& name) const
    {
        return m_voice->GetVoices(QStringLiteral("SynthId=flite/") + name).Item(0);
    }

    QString speakToFile(const QString& text, int flags = SVSFIsXML, int type = SAFT22kHz16BitMono,
        const QString& name = QStringLiteral("out.wav"))
    {
        auto stream = std::make_shared<SpFileStream>();
        stream->Format().setType(type);
        stream->Open(m_dir.filePath(name));
        m_voice->setAudioOutputStream(stream);
        m_voice->Speak(text, flags & ~SVSFlagsAsync);
        stream->Close();
        m_voice->setAudioOutputStream(nullptr);
        return m_dir.filePath(name);
    }

    static QStringList phoneNames(const VoiceEventLog& log)
    {
        QStringList names;
        for (const auto& p : log.of(QStringLiteral("Phoneme")))
            if (p.d != 0)
                names << PhoneTable::name(short(p.d));
        return names;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_voice = std::make_unique<SpVoice>();
    }

    void init()
    {
        m_voice->setVoice(flite(QStringLiteral("slt")));
        m_voice->setRate(0);
        m_voice->setVolume(100);
    }

    void voicesFollowThoseOfESpeakNG()
    {
        const SpObjectTokens voices = m_voice->GetVoices();
        QStringList flites;
        bool fliteSeen = false;
        for (int i = 0; i < voices.Count(); ++i) {
            const QString vendor = voices.Item(i).attribute(QStringLiteral("Vendor"));
            QVERIFY2(vendor == QLatin1String("Flite") || !fliteSeen, qPrintable(voices.Item(i).GetDescription()));
            fliteSeen = fliteSeen || vendor == QLatin1String("Flite");
            if (vendor == QLatin1String("Flite"))
                flites << voices.Item(i).Id() + QLatin1Char('=') + voices.Item(i).GetDescription();
        }
        QCOMPARE(voices.Item(0).GetDescription(), QStringLiteral("English (America)"));
        QCOMPARE(voices.Item(0).attribute(QStringLiteral("Vendor")), QStringLiteral("eSpeak NG"));
        QCOMPARE(flites,
            (QStringList { "Parlora/Voices/flite/awb=English (America), Flite awb, male",
                "Parlora/Voices/flite/kal=English (America), Flite kal, male",
                "Parlora/Voices/flite/kal16=English (America), Flite kal16, male",
                "Parlora/Voices/flite/rms=English (America), Flite rms, male",
                "Parlora/Voices/flite/slt=English (America), Flite slt, female" }));
        // Attribute queries and markup find them as they find eSpeak NG's.
        const SpObjectTokens female = m_voice->GetVoices(QStringLiteral("Gender=Female;Language=409"));
        QVERIFY(female.Count() >= 1);
        QStringList femaleIds;
        for (int i = 0; i < female.Count(); ++i)
            femaleIds << female.Item(i).Id();
        QVERIFY2(femaleIds.contains(QStringLiteral("Parlora/Voices/flite/slt")), qPrintable(femaleIds.join(' ')));
        QCOMPARE(m_voice->GetVoices(QStringLiteral("Vendor=Flite;Gender=Male")).Count(), 4);
        m_voice->setVoice(voices.Item(0));
        VoiceEventLog log(*m_voice);
        speakToFile(QStringLiteral("<voice required=\"Vendor=Flite;Gender=Female;Language=409\">Hello there.</voice>"));
        QCOMPARE(log.of(QStringLiteral("VoiceChange")).size(), size_t(1));
        QCOMPARE(log.of(QStringLiteral("VoiceChange"))[0].text, flite(QStringLiteral("slt")).GetDescription());
    }

    void wordsSelectExactlyTheSpokenWord_data()
    {
        QTest::addColumn<QString>("voice");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("flags");
        QTest::addColumn<QStringList>("words");
        QTest::newRow("plain") << "slt" << QStringLiteral("Hello, world. This is (a) test!") << int(SVSFIsNotXML)
                               << QStringList { "Hello", "world", "This", "is", "a", "test" };
        QTest::newRow("punctuation") << "kal" << QStringLiteral("Well... \"quoted\" words – don’t (stop); ok?")
                                     << int(SVSFIsNotXML)
                                     << QStringList { "Well", "quoted", "words", "don’t", "stop", "ok" };
        QTest::newRow("numbers") << "rms" << QStringLiteral("In 1999 it cost $3.50 at 10:30, 42 times.")
                                 << int(SVSFIsNotXML)
                                 << QStringList { "In", "1999", "it", "cost", "$3.50", "at", "10:30", "42", "times" };
        QTest::newRow("accented") << "awb" << QStringLiteral("A naïve café façade.") << int(SVSFIsNotXML)
                                  << QStringList { "A", "naïve", "café", "façade" };
        QTest::newRow("markup") << "slt"
                                << QStringLiteral("<rate speed=\"2\">Hello</rate> <emph>big</emph> world &amp; "
                                                  "<spell>abc</spell> <bookmark mark=\"m\"/>friends.")
                                << int(SVSFIsXML) << QStringList { "Hello", "big", "world", "&amp;", "abc", "friends" };
        QTest::newRow("SSML") << "kal16"
                              << QStringLiteral("<speak>The <sub alias=\"World Wide Web Consortium\">W3C</sub> "
                                                "says <prosody pitch=\"+20%\">so</prosody>.</speak>")
                              << int(SVSFIsXML) << QStringList { "The", "W3C", "says", "so" };
    }

    void wordsSelectExactlyTheSpokenWord()
    {
        QFETCH(QString, voice);
        QFETCH(QString, text);
        QFETCH(int, flags);
        QFETCH(QStringList, words);
        m_voice->setVoice(flite(voice));
        VoiceEventLog log(*m_voice);
        speakToFile(text, flags);
        QCOMPARE(log.words(text).join('|'), words.join('|'));
        // Each word at its own sound, after the one before it.
        const auto spoken = log.of(QStringLiteral("Word"));
        for (size_t i = 1; i < spoken.size(); ++i)
            QVERIFY2(spoken[i].position > spoken[i - 1].position, qPrintable(words.at(qsizetype(i))));
    }

    void bookmarksAndSilenceKeepTheirPlaces()
    {
        VoiceEventLog log(*m_voice);
        const QString text = QStringLiteral(
            "<bookmark mark=\"12, twelve\"/>Start here. A mark<bookmark mark=\"x\"/> inside.<silence msec=\"800\"/> "
            "Done.<bookmark mark=\"99end\"/>");
        const double seconds = WaveFile::read(speakToFile(text)).seconds();
        const auto marks = log.of(QStringLiteral("Bookmark"));
        QCOMPARE(int(marks.size()), 3);
        QCOMPARE(marks[0].text, QStringLiteral("12, twelve"));
        QCOMPARE(marks[0].a, 12);
        QCOMPARE(marks[1].text, QStringLiteral("x"));
        QCOMPARE(marks[2].a, 99);
        // The mark inside the sentence falls between "mark" and "inside".
        const auto words = log.of(QStringLiteral("Word"));
        const QStringList written = log.words(text);
        const auto at = [&](const QString& w) { return words[size_t(written.indexOf(w))].position; };
        QVERIFY(marks[1].position > at(QStringLiteral("mark")) && marks[1].position <= at(QStringLiteral("inside")));
        QVERIFY(marks[2].position > at(QStringLiteral("Done")));
        const double without
            = WaveFile::read(speakToFile(QString(text).remove(QStringLiteral("<silence msec=\"800\"/>")))).seconds();
        QVERIFY2(
            std::abs(seconds - without - 0.8) < 0.25, qPrintable(QStringLiteral("%1 / %2").arg(seconds).arg(without)));
    }

    // Flite's phones are the engine's own: known words give their phones and mouth shapes.
    void phonemesAndVisemesAreThoseOfTheWords()
    {
        VoiceEventLog log(*m_voice);
        speakToFile(QStringLiteral("map fish. Judge Bob."), SVSFIsNotXML);
        QCOMPARE(phoneNames(log).join(' '), QStringLiteral("m ae p f ih sh jh ah jh b aa b"));
        const auto phonemes = log.of(QStringLiteral("Phoneme"));
        const auto visemes = log.of(QStringLiteral("Viseme"));
        QCOMPARE(visemes.size(), phonemes.size());
        for (size_t i = 0; i < phonemes.size(); ++i) {
            QVERIFY(visemes[i].d >= 0 && visemes[i].d <= 21);
            QCOMPARE(visemes[i].position, phonemes[i].position);
            if (i + 1 < phonemes.size()) {
                QCOMPARE(phonemes[i].b, phonemes[i + 1].d);
                if (phonemes[i + 1].position > phonemes[i].position)
                    QVERIFY(phonemes[i].a > 0);
            }
        }
        // "map": lips closed, open, closed; the stressed vowel carries the stress feature.
        const auto first = std::find_if(phonemes.begin(), phonemes.end(), [](const auto& p) { return p.d != 0; });
        QCOMPARE(visemes[size_t(first - phonemes.begin())].d, 21);
        QCOMPARE(visemes[size_t(first - phonemes.begin()) + 1].d, 1);
        QCOMPARE((first + 1)->c, 1);
        QCOMPARE(visemes[size_t(first - phonemes.begin()) + 2].d, 21);
        const auto levels = log.of(QStringLiteral("AudioLevel"));
        QVERIFY(std::any_of(levels.begin(), levels.end(), [](const auto& l) { return l.a > 20; }));
    }

    void rateVolumeAndPitchChangeTheSound()
    {
        const WaveFile normal = WaveFile::read(speakToFile(fox, SVSFIsNotXML));
        m_voice->setRate(6);
        const WaveFile fast = WaveFile::read(speakToFile(fox, SVSFIsNotXML));
        m_voice->setRate(0);
        QVERIFY2(fast.seconds() < normal.seconds() * 0.7,
            qPrintable(QStringLiteral("%1 vs %2").arg(fast.seconds()).arg(normal.seconds())));
        m_voice->setVolume(50);
        const WaveFile quiet = WaveFile::read(speakToFile(fox, SVSFIsNotXML));
        m_voice->setVolume(100);
        QVERIFY(std::abs(double(quiet.peak()) / normal.peak() - 0.5) < 0.05);
        // Markup: rate and volume as the voice's own, pitch where the voice takes it.
        const WaveFile slow = WaveFile::read(speakToFile("<rate absspeed=\"-6\">" + fox + "</rate>"));
        QVERIFY(slow.seconds() > normal.seconds() * 1.3);
        const WaveFile soft = WaveFile::read(speakToFile("<volume level=\"25\">" + fox + "</volume>"));
        QVERIFY(std::abs(double(soft.peak()) / normal.peak() - 0.25) < 0.05);
        for (const QString& name : { QStringLiteral("slt"), QStringLiteral("kal16") }) {
            m_voice->setVoice(flite(name));
            const WaveFile low = WaveFile::read(speakToFile(fox, SVSFIsNotXML));
            const WaveFile high = WaveFile::read(speakToFile("<pitch absmiddle=\"10\">" + fox + "</pitch>"));
            QVERIFY2(medianPitch(high) > medianPitch(low) * 1.3,
                qPrintable(QStringLiteral("%1: %2 vs %3 Hz").arg(name).arg(medianPitch(high)).arg(medianPitch(low))));
        }
    }

    // One text, both synthesisers: each change of synthesiser is a VoiceChange, and every word
    // of either is selected exactly.
    void mixedTextsSwitchSynthesisers()
    {
        m_voice->setVoice(m_voice->GetVoices().Item(0));
        VoiceEventLog log(*m_voice);
        const QString text = QStringLiteral("First eSpeak speaks. <voice required=\"Vendor=Flite;Name=English "
                                            "(America), Flite rms, male\">Then 25 words from Flite. </voice>"
                                            "<voice required=\"Vendor=Flite;Gender=Female\">And slt. </voice>Back.");
        const WaveFile wave = WaveFile::read(speakToFile(text));
        QVERIFY(wave.peak() > 3000);
        QStringList changes;
        for (const auto& c : log.of(QStringLiteral("VoiceChange")))
            changes << c.text;
        QCOMPARE(changes,
            (QStringList {
                "English (America), Flite rms, male", "English (America), Flite slt, female", "English (America)" }));
        QCOMPARE(
            log.words(text).join('|'), QStringLiteral("First|eSpeak|speaks|Then|25|words|from|Flite|And|slt|Back"));
        qint64 last = 0;
        for (const auto& e : log.all()) {
            QVERIFY(e.position >= last);
            last = e.position;
        }
    }

    // Sentences rendered on three helpers at once make the file one helper makes: the same length
    // and events. (Not the same samples: Flite's voiceless sounds are noise from the C library's
    // random numbers, which run on in each process.)
    void severalHelpersRenderTheSameFile()
    {
        const QString text = QStringLiteral("First sentence here. The second one, in 1999! A third? "
                                            "<bookmark mark=\"4\"/>Four is next. Then five. And six ends it.");
        std::vector<WaveFile> waves;
        std::vector<std::vector<VoiceEventLog::Entry>> events;
        for (const size_t helpers : { size_t(1), size_t(3) }) {
            SpVoice voice([] { return std::make_unique<SynthesizerProcess>(); }, helpers,
                std::make_unique<PulseOutputProvider>());
            voice.setVoice(voice.GetVoices(QStringLiteral("SynthId=flite/rms")).Item(0));
            VoiceEventLog log(voice);
            auto stream = std::make_shared<SpFileStream>();
            stream->Open(m_dir.filePath(QStringLiteral("helpers%1.wav").arg(helpers)));
            voice.setAudioOutputStream(stream);
            voice.Speak(text, SVSFIsXML);
            stream->Close();
            waves.push_back(WaveFile::read(m_dir.filePath(QStringLiteral("helpers%1.wav").arg(helpers))));
            events.push_back(log.all());
        }
        QVERIFY(waves[0].seconds() > 4);
        QCOMPARE(waves[1].frames, waves[0].frames);
        QVERIFY(std::abs(waves[1].peak() - waves[0].peak()) < waves[0].peak() / 10);
        QCOMPARE(events[0].size(), events[1].size());
        for (size_t i = 0; i < events[0].size(); ++i) {
            QCOMPARE(events[1][i].kind, events[0][i].kind);
            QCOMPARE(events[1][i].position, events[0][i].position);
            if (events[0][i].kind != QLatin1String("AudioLevel"))
                QCOMPARE(events[1][i].a, events[0][i].a);
        }
    }

    // On the sound server: pause holds the words, skip moves on a sentence, purge ends at once.
    void pauseSkipAndPurgeOnTheDevice()
    {
        if (m_voice->GetAudioOutputs().Count() == 0)
            NO_AUDIO_OUTPUT("no audio output device");
        m_voice->setAudioOutput(SpObjectToken());
        const QString text = QStringLiteral("One sentence here. Two is next. Three is skipped. Four ends it.");
        VoiceEventLog log(*m_voice);
        QObject context;
        int skipped = -1;
        connect(m_voice.get(), &SpVoice::Sentence, &context, [&](int, QVariant, int at, int) {
            if (text.mid(at).startsWith(QLatin1String("Two")))
                skipped = m_voice->Skip(QStringLiteral("Sentence"), 2);
        });
        m_voice->Speak(text, SVSFlagsAsync | SVSFIsNotXML);
        QTRY_VERIFY(!log.of(QStringLiteral("Word")).empty());
        m_voice->Pause();
        QTest::qWait(100);
        const size_t held = log.of(QStringLiteral("Word")).size();
        QTest::qWait(400);
        QCOMPARE(log.of(QStringLiteral("Word")).size(), held);
        m_voice->Resume();
        QVERIFY(m_voice->WaitUntilDone(20000));
        QCOMPARE(skipped, 2);
        QStringList sentences;
        for (const auto& e : log.of(QStringLiteral("Sentence")))
            sentences << text.mid(e.a, e.b);
        QCOMPARE(sentences, (QStringList { "One sentence here.", "Two is next.", "Four ends it." }));

        log.clear();
        m_voice->Speak(fox.repeated(20), SVSFlagsAsync | SVSFIsNotXML);
        QTRY_VERIFY(!log.of(QStringLiteral("Word")).empty());
        m_voice->Speak(QString(), SVSFPurgeBeforeSpeak);
        QTRY_VERIFY_WITH_TIMEOUT(!log.of(QStringLiteral("EndStream")).empty(), 1000);
        QVERIFY(log.of(QStringLiteral("Word")).size() < 20);
    }

    // Flite's own Word events, before the engine's bookkeeping: one per written token, at its
    // first letter in code points of the SSML (after an entity or a tag), however many words
    // Flite makes of it; samples at the rate asked for.
    void fliteReportsEachWrittenTokenOnce()
    {
        const QString ssml = QStringLiteral("<prosody rate=\"150%\">Ça coûte</prosody> $3.50, &amp; (ok) in 1999 "
                                            "<mark name=\"b0\"/>naïve-ish. ");
        FliteBackend flite(22050);
        SynthesizerBackend::Settings settings;
        settings.voiceId = QStringLiteral("flite/slt");
        std::vector<SynthEvent> events;
        qint64 samples = 0;
        bool inside = true; // every event falls in the block it comes with
        QVERIFY(
            flite.synthesize(ssml.toUtf8(), settings, [&](std::span<const int16_t> s, std::span<const SynthEvent> e) {
                for (const SynthEvent& event : e)
                    inside = inside && event.sample >= samples && event.sample <= samples + qint64(s.size());
                samples += qint64(s.size());
                events.insert(events.end(), e.begin(), e.end());
                return true;
            }));
        QVERIFY(inside);
        const QList<uint> codePoints = ssml.toUcs4();
        QStringList words;
        qint64 last = 0;
        for (const SynthEvent& e : events) {
            QVERIFY(e.sample >= last);
            last = e.sample;
            if (e.type == SynthEvent::Type::Word)
                words << QString::fromUcs4(
                    reinterpret_cast<const char32_t*>(codePoints.data()) + e.textPosition, e.length);
            if (e.type == SynthEvent::Type::Mark)
                words << QString::fromUtf8("<" + e.name + ">");
        }
        QCOMPARE(words.join('|'), QStringLiteral("Ça|coûte|$3.50|&|ok|in|1999|<b0>|naïve-ish"));
        QVERIFY(samples > 22050);
    }

    // What Flite is given for a chunk of SSML: plain text per prosody, with marks, pauses and a
    // way back from every byte to the SSML's code points.
    void markupBecomesPlainTextWithPlaces()
    {
        const QByteArray ssml = "Hi <mark name=\"b0\"/>th\xc3\xa9re &amp; you<break time=\"300ms\"/><prosody "
                                "rate=\"200%\" pitch=\"+20%\" volume=\"50\">fast</prosody> <say-as "
                                "interpret-as=\"characters\">ab</say-as> ";
        const std::vector<FliteScript::Piece> pieces = FliteScript(ssml, false).pieces();
        QCOMPARE(pieces.size(), size_t(4));
        QCOMPARE(pieces[0].text, QByteArray("Hi there & you "));
        QCOMPARE(pieces[0].marks.size(), size_t(1));
        QCOMPARE(pieces[0].marks[0].name, QByteArray("b0"));
        QCOMPARE(pieces[0].marks[0].byte, 3);
        // "t" of "thére" after the 17 code points of the mark, "é" as "e", "&" at its entity's start.
        QCOMPARE(pieces[0].origins[3], 20);
        QCOMPARE(pieces[0].origins[5], 22);
        QCOMPARE(pieces[0].origins[9], 26);
        QCOMPARE(pieces[0].origins[11], 32);
        QVERIFY(pieces[1].pause);
        QCOMPARE(pieces[1].milliseconds, 300);
        QCOMPARE(pieces[2].text, QByteArray("fast "));
        QCOMPARE(pieces[2].rate, 2.0);
        QCOMPARE(pieces[2].pitch, 1.2);
        QCOMPARE(pieces[2].volume, 0.5);
        QCOMPARE(pieces[3].text, QByteArray("A B  "));
        QCOMPARE(QString::fromUtf8(ssml).toUcs4().mid(pieces[3].origins[2], 1).front(), uint('b'));
        const auto spoken = FliteScript("Wait, what? ", true).pieces();
        QCOMPARE(spoken.front().text, QByteArray("Wait comma  what question mark  "));
    }
};

QTEST_GUILESS_MAIN(tst_FliteVoices)
#include "tst_FliteVoices.moc"
