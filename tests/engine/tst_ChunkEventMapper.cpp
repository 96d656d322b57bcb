#include "engine/markup/MarkupReader.h"
#include "engine/markup/SpeechChunker.h"
#include "engine/pipeline/ChunkEventMapper.h"

#include <QtTest>

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
        mapper.add(std::vector { word(0, 2, 0), phoneme("h", 220), phoneme("ˈaɪ", 1102) });
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
        QCOMPARE(sentences, (QStringList { "Dr.", "No is here.", "See e.g. this one!", "Hello", "again" }));

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
