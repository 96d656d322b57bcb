#include "VoiceEventLog.h"
#include "WaveFile.h"
#include "engine/api/SpFileStream.h"
#include "engine/api/SpVoice.h"
#include "platform/PlatformError.h"

#include <QTemporaryDir>
#include <QtTest>

// The voice on the real synthesiser, speaking into wave files read back with libsndfile.
class tst_SpVoice : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<SpVoice> m_voice;

    QString path(const QString& name) const { return m_dir.filePath(name); }

    // Speaks text synchronously into a new file of the given format; returns the file's path.
    QString speakToFile(const QString& text, int flags = SVSFIsNotXML, int type = SAFT22kHz16BitMono,
        const QString& name = QStringLiteral("out.wav"))
    {
        auto stream = std::make_shared<SpFileStream>();
        stream->Format().setType(type);
        stream->Open(path(name));
        m_voice->setAudioOutputStream(stream);
        m_voice->Speak(text, flags & ~SVSFlagsAsync);
        stream->Close();
        m_voice->setAudioOutput(SpObjectToken());
        return path(name);
    }

    static void checkStreamFrame(const VoiceEventLog& log)
    {
        const auto& all = log.all();
        QVERIFY(!all.empty());
        QCOMPARE(all.front().kind, QStringLiteral("StartStream"));
        QCOMPARE(all.back().kind, QStringLiteral("EndStream"));
        qint64 last = 0;
        for (const auto& e : all) {
            QVERIFY2(e.position >= last, qPrintable(QStringLiteral("%1 went back to %2").arg(e.kind).arg(e.position)));
            last = e.position;
        }
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_voice = std::make_unique<SpVoice>();
    }

    void init()
    {
        m_voice->setVoice(m_voice->GetVoices().Item(0));
        m_voice->setAudioOutputStream(nullptr);
        m_voice->setRate(0);
        m_voice->setVolume(100);
    }

    void tokensAreStableAndReadable()
    {
        const SpObjectTokens first = m_voice->GetVoices();
        const SpObjectTokens second = m_voice->GetVoices(QString(), QString());
        QVERIFY(first.Count() > 50);
        QCOMPARE(second.Count(), first.Count());
        QSet<QString> descriptions;
        for (int i = 0; i < first.Count(); ++i) {
            QCOMPARE(second.Item(i).Id(), first.Item(i).Id());
            const QString description = first.Item(i).GetDescription(0);
            QVERIFY(!description.isEmpty() && !description.contains(QLatin1Char('_')));
            QVERIFY2(!descriptions.contains(description), qPrintable(description));
            descriptions.insert(description);
        }
        // The C locale of the test machine reads as American English.
        QCOMPARE(first.Item(0).GetDescription(), QStringLiteral("English (America)"));
        QCOMPARE(m_voice->Voice().Id(), first.Item(0).Id());
        QVERIFY(m_voice->GetVoices(QStringLiteral("Language=fr")).Count() >= 1);
        QCOMPARE(m_voice->GetVoices(QStringLiteral("Name=No Such Voice")).Count(), 0);
        QVERIFY_THROWS_EXCEPTION(PlatformError, first.Item(first.Count()));
        QVERIFY_THROWS_EXCEPTION(PlatformError, first.Item(-1));
    }

    // Both synthesisers: eSpeak NG's first voice and Flite's slt (converted to the engine's rate).
    void everyFormatIsWrittenExactly_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("voice");
        for (const QString& voice : { QString(), QStringLiteral("flite/slt") })
            for (int type = SAFT8kHz8BitMono; type <= SAFT48kHz16BitStereo; ++type)
                QTest::addRow("%s %s", qPrintable(voice.isEmpty() ? QStringLiteral("eSpeak NG") : voice),
                    qPrintable(SpAudioFormat::name(type)))
                    << type << voice;
    }

    void everyFormatIsWrittenExactly()
    {
        QFETCH(int, type);
        QFETCH(QString, voice);
        m_voice->setVoice(voice.isEmpty() ? m_voice->GetVoices().Item(0)
                                          : m_voice->GetVoices(QStringLiteral("SynthId=") + voice).Item(0));
        const QString text = QStringLiteral("The quick brown fox jumps over the lazy dog.");
        static QHash<QString, double> references;
        if (!references.contains(voice))
            references[voice]
                = WaveFile::read(speakToFile(text, SVSFIsNotXML, SAFT22kHz16BitMono, "ref.wav")).seconds();
        const double reference = references[voice];
        QVERIFY(reference > 1.5);
        VoiceEventLog log(*m_voice);
        const WaveFile wave = WaveFile::read(speakToFile(text, SVSFIsNotXML, type));
        const PcmFormat format = *SpAudioFormat::describe(type);
        QCOMPARE(wave.mismatch(format), QString());
        QVERIFY2(std::abs(wave.seconds() - reference) < 0.05 * reference,
            qPrintable(QStringLiteral("%1 s against %2 s").arg(wave.seconds()).arg(reference)));
        QVERIFY(wave.peak() > 3000);
        // The last event sits at the end of the data, in the stream's own bytes.
        QCOMPARE(log.of("EndStream").back().position, wave.frames * format.bytesPerFrame());
        if (format.channels == 2)
            for (qint64 i = 0; i < wave.frames; i += 97)
                QCOMPARE(wave.samples[size_t(2 * i)], wave.samples[size_t(2 * i + 1)]);
    }

    void wordsSelectExactlyTheSpokenWord_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("flags");
        QTest::addColumn<QStringList>("words");
        QTest::newRow("plain") << QStringLiteral("Hello, world. This is (a) test!") << int(SVSFIsNotXML)
                               << QStringList { "Hello", "world", "This", "is", "a", "test" };
        QTest::newRow("accented") << QStringLiteral("Él está en el café; naïve façade.") << int(SVSFIsNotXML)
                                  << QStringList { "Él", "está", "en", "el", "café", "naïve", "façade" };
        QTest::newRow("markup") << QStringLiteral("<rate speed=\"2\">Hello</rate> <emph>big</emph> world &amp; "
                                                  "AT&amp;T <bookmark mark=\"m\"/>friends.")
                                << int(SVSFIsXML)
                                << QStringList { "Hello", "big", "world", "&amp;", "AT&amp;T", "friends" };
        QTest::newRow("stray angle") << QStringLiteral("if a < b then c.") << int(SVSFIsXML)
                                     << QStringList { "if", "a", "<", "b", "then", "c" };
        QTest::newRow("outside the basic plane")
            << QStringLiteral("Smile 😀 again") << int(SVSFIsNotXML) << QStringList { "Smile", "😀", "again" };
        QTest::newRow("two sentences") << QStringLiteral("One two. Three four? Five.") << int(SVSFIsNotXML)
                                       << QStringList { "One", "two", "Three", "four", "Five" };
        QTest::newRow("Mandarin") << QStringLiteral("<voice required=\"Language=804\">今天很好。我们去吧。</voice>")
                                  << int(SVSFIsXML) << QStringList { "今", "天", "很", "好", "我", "们", "去", "吧" };
        QTest::newRow("Japanese") << QStringLiteral("<voice required=\"Language=411\">カタカナです。</voice>")
                                  << int(SVSFIsXML) << QStringList { "カタカナ", "で", "す" };
        QTest::newRow("kanji") << QStringLiteral("<voice required=\"Language=411\">今日は雨です。</voice>")
                               << int(SVSFIsXML) << QStringList { "今", "日", "は", "雨", "で", "す" };
        QTest::newRow("Thai") << QStringLiteral("<voice required=\"Language=41E\">วันนี้อากาศดี</voice>") << int(SVSFIsXML)
                              << QStringList { "วัน", "นี้", "อากาศ", "ดี" };
        QTest::newRow("alias") << QStringLiteral("<speak>The <sub alias=\"World Wide Web Consortium\">W3C</sub> "
                                                 "says so.</speak>")
                               << int(SVSFIsXML) << QStringList { "The", "W3C", "says", "so" };
    }

    // Words the synthesiser does not report ("the", "a"; "le", "monde") are placed at their own
    // sound: each word after the one before it, and every word before the last phoneme.
    void everyWordIsPlacedAtItsSound_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("English") << QStringLiteral("It sat on the mat of a dog.");
        QTest::newRow("French") << QStringLiteral(
            "<voice required=\"Language=40C\">Je dis bonjour à tout le monde.</voice>");
        QTest::newRow("German") << QStringLiteral(
            "<voice required=\"Language=407\">Wir sehen uns am 3. Mai in der Stadt.</voice>");
    }

    void everyWordIsPlacedAtItsSound()
    {
        QFETCH(QString, text);
        VoiceEventLog log(*m_voice);
        speakToFile(text, SVSFIsXML);
        const auto words = log.of(QStringLiteral("Word"));
        const auto phonemes = log.of(QStringLiteral("Phoneme"));
        QVERIFY(!words.empty() && !phonemes.empty());
        QCOMPARE(log.of(QStringLiteral("Sentence")).size(), size_t(1));
        for (size_t i = 1; i < words.size(); ++i)
            QVERIFY2(words[i].position > words[i - 1].position, qPrintable(log.words(text).at(qsizetype(i))));
        QVERIFY(words.back().position < phonemes.back().position);
        checkStreamFrame(log);
    }

    void wordsSelectExactlyTheSpokenWord()
    {
        QFETCH(QString, text);
        QFETCH(int, flags);
        QFETCH(QStringList, words);
        VoiceEventLog log(*m_voice);
        speakToFile(text, flags);
        QStringList expected = words;
        QStringList spoken = log.words(text);
        // The synthesiser may leave a lone symbol unspoken; every word it speaks is exact.
        if (spoken.size() < expected.size())
            expected.removeIf([](const QString& w) { return w.size() <= 2 && !w.at(0).isLetterOrNumber(); });
        QCOMPARE(spoken.join('|'), expected.join('|'));
        checkStreamFrame(log);
    }

    // Pasted text whose angle brackets are no markup of the engine's is spoken whole: each word
    // is selected exactly in the text given (an address in brackets is one word, as the engine
    // reads it), it is heard (longer than the text without it), and the problem is told once.
    void pastedTextIsSpokenWhole_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<QString>("without");
        QTest::addColumn<QString>("problem");
        QTest::newRow("web address") << QStringLiteral(
            "Free Software Foundation, Inc. <https://fsf.org/> Everyone is permitted to copy.")
                                     << QStringList { "Free", "Software", "Foundation", "Inc", "<https://fsf.org/>",
                                            "Everyone", "is", "permitted", "to", "copy" }
                                     << QStringLiteral("Free Software Foundation, Inc. Everyone is permitted to copy.")
                                     << QStringLiteral("Markup error at character 38: unexpected '/' in <https:>");
        QTest::newRow("mail header") << QStringLiteral("From: Ada <ada@example.org>\nSubject: Hello.")
                                     << QStringList { "From", "Ada", "<ada@example.org>", "Subject", "Hello" }
                                     << QStringLiteral("From: Ada\nSubject: Hello.")
                                     << QStringLiteral("Markup error at character 14: unexpected '@' in <ada>");
        QTest::newRow("tags beside an address")
            << QStringLiteral("<emph>Write</emph> to <ada@example.org><bookmark mark=\"m\"/> today.")
            << QStringList { "Write", "to", "<ada@example.org>", "today" } << QStringLiteral("Write to today.")
            << QStringLiteral("Markup error at character 26: unexpected '@' in <ada>");
        QTest::newRow("web page fragment")
            << QStringLiteral("<p>Hello <b>world</p> again.") << QStringList { "<p>Hello", "<b>world</p>", "again" }
            << QStringLiteral("Hello world again.")
            << QStringLiteral("Markup error at character 17: </p> does not close <b>");
    }

    void pastedTextIsSpokenWhole()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, words);
        QFETCH(QString, without);
        QFETCH(QString, problem);
        VoiceEventLog log(*m_voice);
        const double seconds = WaveFile::read(speakToFile(text, SVSFIsXML)).seconds();
        QCOMPARE(log.words(text).join('|'), words.join('|'));
        QCOMPARE(m_voice->TakeMarkupError(), problem);
        QCOMPARE(m_voice->TakeMarkupError(), QString());
        checkStreamFrame(log);
        const double shorter = WaveFile::read(speakToFile(without, SVSFIsXML)).seconds();
        QVERIFY2(seconds > shorter + 0.5, qPrintable(QStringLiteral("%1 s, without: %2 s").arg(seconds).arg(shorter)));
        QCOMPARE(m_voice->TakeMarkupError(), QString());
    }

    void sentencesCoverTheirText()
    {
        VoiceEventLog log(*m_voice);
        const QString text = QStringLiteral("It costs 3.50 dollars, e.g. this much. Then more!  And the last");
        speakToFile(text);
        QStringList sentences;
        for (const auto& e : log.of("Sentence"))
            sentences << text.mid(e.a, e.b);
        QCOMPARE(sentences, (QStringList { "It costs 3.50 dollars, e.g. this much.", "Then more!", "And the last" }));
    }

    void bookmarksCarryNameAndId()
    {
        VoiceEventLog log(*m_voice);
        speakToFile(QStringLiteral("<bookmark mark=\"12, twelve\"/>Start here. Then a mark<bookmark mark=\"x\"/> "
                                   "inside. Done.<bookmark mark=\"99end\"/>"),
            SVSFIsXML);
        const auto marks = log.of("Bookmark");
        QCOMPARE(int(marks.size()), 3);
        QCOMPARE(marks[0].text, QStringLiteral("12, twelve"));
        QCOMPARE(marks[0].a, 12);
        QCOMPARE(marks[1].text, QStringLiteral("x"));
        QCOMPARE(marks[1].a, 0);
        QCOMPARE(marks[2].text, QStringLiteral("99end"));
        QCOMPARE(marks[2].a, 99);
        checkStreamFrame(log);

        log.clear();
        speakToFile(QStringLiteral("<speak>Before <mark name=\"ssml\"/>after.</speak>"), SVSFDefault);
        QCOMPARE(int(log.of("Bookmark").size()), 1);
        QCOMPARE(log.of("Bookmark")[0].text, QStringLiteral("ssml"));
    }

    void phonemesAndVisemesFollowEachOther_data()
    {
        QTest::addColumn<int>("rate");
        QTest::newRow("normal") << 0;
        // The fastest rate, where the synthesiser reports zero-length phonemes out of order.
        QTest::newRow("fastest") << 10;
    }

    void phonemesAndVisemesFollowEachOther()
    {
        QFETCH(int, rate);
        m_voice->setRate(rate);
        VoiceEventLog log(*m_voice);
        speakToFile(QStringLiteral("Wow, that is a really beautiful morning, isn't it, her bird?"));
        checkStreamFrame(log);
        const auto phonemes = log.of("Phoneme");
        const auto visemes = log.of("Viseme");
        QVERIFY(phonemes.size() > 20);
        QCOMPARE(visemes.size(), phonemes.size());
        QSet<int> seen;
        for (size_t i = 0; i < phonemes.size(); ++i) {
            QVERIFY(visemes[i].d >= 0 && visemes[i].d <= 21);
            QVERIFY(visemes[i].b >= 0 && visemes[i].b <= 21);
            QVERIFY(phonemes[i].d >= 0 && phonemes[i].d < 42);
            QCOMPARE(visemes[i].position, phonemes[i].position);
            QCOMPARE(visemes[i].a, phonemes[i].a);
            if (i + 1 < phonemes.size() && phonemes[i + 1].position > phonemes[i].position)
                QVERIFY(phonemes[i].a > 0);
            seen.insert(visemes[i].d);
        }
        QVERIFY2(seen.size() >= 8, "a sentence uses many mouth shapes");
        QVERIFY2(seen.contains(5), "the vowel of her and bird");
        // Each phoneme names its successor.
        for (size_t i = 0; i + 1 < phonemes.size(); ++i)
            QCOMPARE(phonemes[i].b, phonemes[i + 1].d);
        const auto levels = log.of("AudioLevel");
        const qint64 bytes = log.of("EndStream").back().position;
        QVERIFY(qint64(levels.size()) >= bytes / 44100 * 20 - 1); // one every 50 ms at least
        QVERIFY(std::any_of(levels.begin(), levels.end(), [](const auto& l) { return l.a > 20; }));
        QVERIFY(std::all_of(levels.begin(), levels.end(), [](const auto& l) { return l.a >= 0 && l.a <= 100; }));
    }

    void speakFlagsChangeWhatIsSpoken()
    {
        const QString plain = QStringLiteral("Wait, what; really? Yes: no.");
        const double quiet = WaveFile::read(speakToFile(plain, SVSFIsNotXML)).seconds();
        const double punctuated = WaveFile::read(speakToFile(plain, SVSFIsNotXML | SVSFNLPSpeakPunc)).seconds();
        QVERIFY2(punctuated > quiet * 1.5, qPrintable(QStringLiteral("%1 vs %2").arg(punctuated).arg(quiet)));

        // Markup with a leading '<' is read as markup without either flag, as text with IsNotXML.
        VoiceEventLog log(*m_voice);
        speakToFile(QStringLiteral("<emph>Hi</emph> there"), SVSFDefault);
        QCOMPARE(log.words(QStringLiteral("<emph>Hi</emph> there")), (QStringList { "Hi", "there" }));

        const QString sentence = QStringLiteral("This sentence is spoken at the persisted rate.");
        const double normal = WaveFile::read(speakToFile(sentence)).seconds();
        speakToFile(QStringLiteral("<rate absspeed=\"8\"/>Fast."), SVSFIsXML);
        QVERIFY(std::abs(WaveFile::read(speakToFile(sentence)).seconds() - normal) < 0.05 * normal);
        speakToFile(QStringLiteral("<rate absspeed=\"8\"/>Fast."), SVSFIsXML | SVSFPersistXML);
        const double persisted = WaveFile::read(speakToFile(sentence, SVSFIsXML)).seconds();
        QVERIFY2(persisted < normal * 0.7, qPrintable(QStringLiteral("%1 vs %2").arg(persisted).arg(normal)));
        // An absolute rate persists for the voice's life; the other tests want a fresh one.
        m_voice = std::make_unique<SpVoice>();

        const QString file = path(QStringLiteral("speak.txt"));
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write("Read from a file.");
        out.close();
        VoiceEventLog fileLog(*m_voice);
        speakToFile(file, SVSFIsFilename | SVSFIsNotXML);
        QCOMPARE(fileLog.words(QStringLiteral("Read from a file.")), (QStringList { "Read", "from", "a", "file" }));
        try {
            m_voice->Speak(path(QStringLiteral("missing.txt")), SVSFIsFilename);
            QFAIL("a missing file must fail");
        } catch (const PlatformError& e) {
            QVERIFY(e.description().contains(QStringLiteral("missing.txt")));
        }
    }

    void rateAndVolumeChangeLengthAndLoudness()
    {
        const QString text = QStringLiteral("Rate and volume change how this sentence sounds when it is spoken.");
        const double normal = WaveFile::read(speakToFile(text)).seconds();
        m_voice->setRate(10);
        const double fast = WaveFile::read(speakToFile(text)).seconds();
        m_voice->setRate(-10);
        const double slow = WaveFile::read(speakToFile(text)).seconds();
        m_voice->setRate(0);
        QVERIFY2(fast < normal / 2.5 && fast > normal / 3.6 && slow > normal * 2.5 && slow < normal * 3.6,
            qPrintable(QStringLiteral("fast %1, normal %2, slow %3").arg(fast).arg(normal).arg(slow)));

        const int loud = WaveFile::read(speakToFile(text)).peak();
        m_voice->setVolume(50);
        const int half = WaveFile::read(speakToFile(text)).peak();
        m_voice->setVolume(0);
        const int silent = WaveFile::read(speakToFile(text)).peak();
        QVERIFY2(std::abs(half * 2 - loud) < loud / 20, qPrintable(QStringLiteral("%1 vs %2").arg(half).arg(loud)));
        QCOMPARE(silent, 0);

        QVERIFY_THROWS_EXCEPTION(PlatformError, m_voice->setRate(11));
        QVERIFY_THROWS_EXCEPTION(PlatformError, m_voice->setRate(-11));
        QVERIFY_THROWS_EXCEPTION(PlatformError, m_voice->setVolume(101));
        QVERIFY_THROWS_EXCEPTION(PlatformError, m_voice->setVolume(-1));
        QCOMPARE(m_voice->Volume(), 0);
    }

    void failuresCarryDescriptions()
    {
        const auto description = [](auto call) {
            try {
                call();
            } catch (const PlatformError& e) {
                return e.description();
            }
            return QString();
        };
        // Unreadable markup no longer refuses the text: it is spoken plain and its fault told apart.
        speakToFile(QStringLiteral("<rate speed=\"2\">x</emph>"), SVSFIsXML);
        QVERIFY(m_voice->TakeMarkupError().contains(QStringLiteral("</emph> does not close <rate>")));
        QVERIFY(!description([&] { m_voice->Skip(QStringLiteral("Word"), 1); }).isEmpty());
        QVERIFY(!description([&] {
            m_voice->setVoice(SpObjectToken(QStringLiteral("bogus"), QStringLiteral("Bogus")));
        }).isEmpty());
        QVERIFY(!description([&] { m_voice->Speak(QString(), SVSFlagsAsync); }).isEmpty());
        auto stream = m_voice->AudioOutputStream();
        stream->Format().setType(40);
        m_voice->setAllowAudioOutputFormatChangesOnNextSet(false);
        QVERIFY(!description([&] { m_voice->setAudioOutputStream(stream); }).isEmpty());
        stream->Format().setType(3);
        QVERIFY(!description([&] { m_voice->setAudioOutputStream(stream); }).isEmpty());
        stream->Format().setType(SAFT8kHz8BitMono);
        m_voice->setAudioOutputStream(stream);
        QCOMPARE(m_voice->AudioOutputStream()->Format().Type(), int(SAFT8kHz8BitMono));
        stream->Format().setType(SAFT22kHz16BitMono);
        m_voice->setAudioOutputStream(stream);

        SpFileStream file;
        file.Format().setType(SAFT22kHz16BitMono);
        const QString unwritable = description([&] { file.Open(QStringLiteral("/nonexistent-dir/x.wav")); });
        QVERIFY2(unwritable.contains(QStringLiteral("No such file or directory")), qPrintable(unwritable));
        QVERIFY(!file.isOpen());
    }
};

QTEST_GUILESS_MAIN(tst_SpVoice)
#include "tst_SpVoice.moc"
