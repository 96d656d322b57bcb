#include "engine/markup/MarkupReader.h"
#include "engine/markup/SpeechChunker.h"
#include "engine/pipeline/ChunkEventMapper.h"

#include <QtTest>

Q_DECLARE_METATYPE(std::vector<SynthEvent>)

// The synthesiser's event quirks, scripted: the mapper must still give exact, complete events.
class tst_ChunkEventMapper : public QObject {
    Q_OBJECT

    static SynthEvent word(int position, int length, qint64 sample)
    {
        return { SynthEvent::Type::Word, sample, position, length, {} };
    }
    static SynthEvent mark(const char* name, qint64 sample) { return { SynthEvent::Type::Mark, sample, 0, 0, name }; }
    static SynthEvent phoneme(const char* ipa, qint64 sample)
    {
        return { SynthEvent::Type::Phoneme, sample, 0, 0, QByteArray(ipa) };
    }

    struct Mapped {
        QString text;
        MarkupDocument document;
        std::unique_ptr<SpeechChunker> chunker;
        Chunk chunk;
        explicit Mapped(const QString& t, bool xml = true)
            : text(t)
            , document(MarkupReader::read(text, xml))
            , chunker(std::make_unique<SpeechChunker>(text, document, false))
            , chunk(chunker->chunkAt(chunker->begin(), 0))
        {
        }
        int ssmlIndex(const QString& needle) const { return QString::fromUtf8(chunk.ssml).indexOf(needle); }
    };

    static QStringList words(const Mapped& m, const std::vector<SpeechEvent>& events)
    {
        QStringList out;
        for (const SpeechEvent& e : events)
            if (e.kind == SpeechEvent::Kind::Word)
                out << m.text.mid(e.a, e.b);
        return out;
    }

private slots:
    void wordsAreCompleteAndExactWhateverThePositions()
    {
        const Mapped m(QStringLiteral("Fish &amp; chips, caf&#233; <emph>now</emph> please."));
        ChunkEventMapper mapper(m.chunk, 1, 22050, [](qint64 s) { return s * 2; });
        // An entity reported at its last character, a word reported twice, one not reported at all,
        // and the stray empty word at the end of a message.
        const int amp = m.ssmlIndex(QStringLiteral("&amp;amp;")) + 8;
        mapper.add(std::vector { word(m.ssmlIndex("Fish"), 4, 0), word(amp, 1, 100), word(amp, 1, 150),
            word(m.ssmlIndex("caf"), 3, 300), word(m.ssmlIndex("now"), 3, 500), word(0, 0, 700) });
        const auto events = mapper.finish(900);
        QCOMPARE(words(m, events), (QStringList { "Fish", "&amp;", "chips", "caf&#233;", "now", "please" }));
        qint64 last = 0;
        for (const SpeechEvent& e : events) {
            QVERIFY(e.position >= last);
            last = e.position;
        }
    }

    void droppedBookmarksAreRaisedInOrder()
    {
        const Mapped m(QStringLiteral("One.<bookmark mark=\"7 a\"/> Two<bookmark mark=\"b\"/><bookmark mark=\"c\"/>"));
        ChunkEventMapper mapper(m.chunk, 3, 22050, [](qint64 s) { return s; });
        mapper.add(std::vector { word(m.ssmlIndex("One"), 3, 0), mark("b2", 400) });
        auto events = mapper.release(1000);
        const auto more = mapper.finish(1200);
        events.insert(events.end(), more.begin(), more.end());
        QStringList marks;
        for (const SpeechEvent& e : events) {
            QCOMPARE(e.stream, 3);
            if (e.kind == SpeechEvent::Kind::Bookmark)
                marks << QStringLiteral("%1:%2").arg(e.text).arg(e.a);
        }
        QCOMPARE(marks, (QStringList { "7 a:7", "b:0", "c:0" }));
        QCOMPARE(ChunkEventMapper::bookmarkId(QStringLiteral("123abc")), 123);
        QCOMPARE(ChunkEventMapper::bookmarkId(QStringLiteral("99999999999")), 0);
        QCOMPARE(ChunkEventMapper::bookmarkId(QStringLiteral("")), 0);
    }

    void phonemesWaitForTheirSuccessor()
    {
        const Mapped m(QStringLiteral("Hi there"), false);
        ChunkEventMapper mapper(m.chunk, 1, 22050, [](qint64 s) { return s; });
        mapper.add(std::vector { word(0, 2, 0), phoneme("h", 220), phoneme("ˈaɪ", 1102), word(3, 5, 2204) });
        // The first phoneme knows its successor now; the second must wait.
        auto released = mapper.release(2000);
        QCOMPARE(int(released.size()), 3);
        QCOMPARE(released[1].kind, SpeechEvent::Kind::Phoneme);
        QCOMPARE(released[1].a, 40); // (1102 - 220) samples at 22050 Hz
        QCOMPARE(released[2].kind, SpeechEvent::Kind::Viseme);
        QCOMPARE(released[2].d, 12); // h
        QCOMPARE(released[2].b, 11); // ay
        mapper.addLevel(1500, 42);
        QVERIFY(mapper.release(5000).empty());
        const auto rest = mapper.finish(2204);
        QCOMPARE(rest.front().kind, SpeechEvent::Kind::Phoneme);
        QCOMPARE(rest.front().c, 1); // stressed
        QCOMPARE(rest.front().b, 0); // silence follows at the end
        QCOMPARE(rest.front().a, 50);
        QCOMPARE(rest[1].kind, SpeechEvent::Kind::Viseme);
        QCOMPARE(rest[2].kind, SpeechEvent::Kind::AudioLevel);
        QCOMPARE(words(m, rest), (QStringList { "there" }));
    }

    // Traces of eSpeak NG 1.51 (en-us, fr): it reports no word for "the", "a", "le", "monde" and
    // speaks their phones as part of the word before. Each must start at its own first phone.
    void unreportedWordsStartAtTheirOwnPhones_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::vector<SynthEvent>>("trace");
        QTest::addColumn<QStringList>("placed"); // word@sample, in order
        QTest::newRow("English") << QStringLiteral("It sat on the mat of a dog.")
                                 << std::vector { word(0, 2, 0), phoneme("ɪ", 264), phoneme("t", 1200),
                                        word(3, 3, 2377), phoneme("s", 2600), phoneme("æ", 4200), phoneme("t", 6600),
                                        word(7, 2, 7000), phoneme("ɔ", 7000), phoneme("n", 8408), phoneme("ð", 9688),
                                        phoneme("ə", 10712), word(14, 3, 11739), phoneme("m", 11937),
                                        phoneme("æ", 13473), phoneme("t", 16300), word(18, 2, 17182),
                                        phoneme("ə", 17182), phoneme("v", 18206), phoneme("ə", 19294),
                                        word(23, 3, 20446), phoneme("d", 20446), phoneme("ɑː", 22366),
                                        phoneme("ɡ", 27486), phoneme("", 29690) }
                                 << QStringList { "It@0", "sat@2377", "on@7000", "the@9688", "mat@11739", "of@17182",
                                        "a@19294", "dog@20446" };
        QTest::newRow("French") << QStringLiteral("Je dis bonjour à tout le monde.")
                                << std::vector { word(0, 2, 0), phoneme("ʒ", 264), phoneme("ə-", 1544),
                                       word(3, 3, 3080), phoneme("d", 3080), phoneme("i", 4296), word(7, 7, 5832),
                                       phoneme("b", 5832), phoneme("ɔ̃", 6984), phoneme("ʒ", 8776), phoneme("u", 9992),
                                       phoneme("ʁ", 12232), word(15, 1, 12552), phoneme("a", 12552), word(17, 4, 14810),
                                       phoneme("t", 15669), phoneme("u", 16142), phoneme("l", 18126),
                                       phoneme("m", 18830), phoneme("ɔ̃", 20942), phoneme("d", 23758),
                                       phoneme("", 25688) }
                                << QStringList { "Je@0", "dis@3080", "bonjour@5832", "à@12552", "tout@14810",
                                       "le@18126", "monde@18830" };
    }

    void unreportedWordsStartAtTheirOwnPhones()
    {
        QFETCH(QString, text);
        QFETCH(std::vector<SynthEvent>, trace);
        QFETCH(QStringList, placed);
        const Mapped m(text, false);
        ChunkEventMapper mapper(m.chunk, 1, 22050, [](qint64 s) { return s; });
        // Fed and released a few events at a time, as the synthesiser delivers them.
        std::vector<SpeechEvent> events;
        for (size_t i = 0; i < trace.size(); i += 3) {
            const auto part = std::span(trace).subspan(i, std::min<size_t>(3, trace.size() - i));
            mapper.add(part);
            const auto out = mapper.release(part.back().sample + 1);
            events.insert(events.end(), out.begin(), out.end());
        }
        const auto rest = mapper.finish(32000);
        events.insert(events.end(), rest.begin(), rest.end());
        QStringList got;
        qint64 last = 0;
        for (const SpeechEvent& e : events) {
            QVERIFY2(e.position >= last, qPrintable(QString::number(e.position)));
            last = e.position;
            if (e.kind == SpeechEvent::Kind::Word)
                got << QStringLiteral("%1@%2").arg(m.text.mid(e.a, e.b)).arg(e.position);
        }
        QCOMPARE(got, placed);
    }

    void phonemesStayInOrderAtHighRates()
    {
        const Mapped m(QStringLiteral("Go"), false);
        ChunkEventMapper mapper(m.chunk, 1, 22050, [](qint64 s) { return s; });
        // A zero-length phoneme reported a little before the one it follows.
        mapper.add(std::vector { word(0, 2, 0), phoneme("ɡ", 100), phoneme("oʊ", 6429), phoneme("", 6407) });
        const auto events = mapper.finish(7000);
        qint64 last = 0;
        for (const SpeechEvent& e : events) {
            QVERIFY(e.position >= last);
            last = e.position;
        }
    }

    void chunksSplitAtSentencesVoicesAndLength()
    {
        const QString text
            = QStringLiteral("Dr. No is here. See e.g. this one! <voice required=\"Gender=Female\">Hello</voice> "
                             "again");
        const MarkupDocument document = MarkupReader::read(text, true);
        const SpeechChunker chunker(text, document, false);
        QStringList sentences;
        for (ChunkCursor c = chunker.begin(); !chunker.atEnd(c);) {
            const Chunk chunk = chunker.chunkAt(c, 0);
            QCOMPARE(chunker.nextStart(c), chunk.next);
            sentences << text.mid(chunk.sentence.begin, chunk.sentence.end - chunk.sentence.begin);
            c = chunk.next;
        }
        QCOMPARE(sentences, (QStringList { "Dr. No is here.", "See e.g. this one!", "Hello", "again" }));

        const QString endless = QString(QStringLiteral("word ")).repeated(1000);
        const MarkupDocument plain = MarkupReader::read(endless, false);
        const SpeechChunker long_(endless, plain, false);
        const Chunk first = long_.chunkAt(long_.begin(), 0);
        QVERIFY(first.words.size() >= size_t(SpeechChunker::longChunk / 5) - 1);
        QVERIFY(first.words.size() <= size_t(SpeechChunker::longChunk / 5) + 1);
    }
};

QTEST_APPLESS_MAIN(tst_ChunkEventMapper)
#include "tst_ChunkEventMapper.moc"
