#include "engine/api/VoiceCatalog.h"
#include "engine/markup/MarkupReader.h"
#include "engine/markup/SpeechChunker.h"

#include <QtTest>

// How a text is cut into sentences and words, in scripts with and without blanks.
class tst_SpeechChunker : public QObject {
    Q_OBJECT

    struct Cut {
        QStringList sentences;
        QStringList words;
    };

    static Cut cut(const QString& text, bool xml = false, const QString& language = QString())
    {
        const MarkupDocument document = MarkupReader::read(text, xml);
        const SpeechChunker chunker(text, document, false, language);
        Cut result;
        for (ChunkCursor c = chunker.begin(); !chunker.atEnd(c);) {
            const Chunk chunk = chunker.chunkAt(c, 0);
            if (chunker.nextStart(c) != chunk.next)
                qFatal("nextStart disagrees with chunkAt");
            result.sentences << text.mid(chunk.sentence.begin, chunk.sentence.end - chunk.sentence.begin);
            for (const ChunkSpan& w : chunk.words)
                result.words << text.mid(w.begin, w.end - w.begin);
            c = chunk.next;
        }
        return result;
    }

    static QStringList voices(const QString& text)
    {
        const MarkupDocument document = MarkupReader::read(text, true);
        const SpeechChunker chunker(text, document, false, QString());
        QStringList result;
        for (ChunkCursor c = chunker.begin(); !chunker.atEnd(c);) {
            const Chunk chunk = chunker.chunkAt(c, 0);
            result << chunk.state.voiceRequired;
            c = chunk.next;
        }
        return result;
    }

private slots:
    // A chunk takes the voice of its first words, also when blanks come before them.
    void chunksTakeTheVoiceOfTheirWords()
    {
        QCOMPARE(voices(QStringLiteral("<voice required=\"Gender=Male\">One.</voice> <voice "
                                       "required=\"Gender=Female\">Two. </voice>Back.")),
            (QStringList { "Gender=Male", "Gender=Female", "" }));
    }

    void scriptsWithoutBlanks()
    {
        const Cut chinese = cut(QStringLiteral("今天天气很好。我们去公园吧！"));
        QCOMPARE(chinese.sentences, (QStringList { "今天天气很好。", "我们去公园吧！" }));
        QCOMPARE(chinese.words.join('|'), QStringLiteral("今|天|天|气|很|好|我|们|去|公|园|吧"));
        // Ideographs beyond the basic plane are words of their own too.
        QCOMPARE(cut(QStringLiteral("𠀀𠀁")).words.join('|'), QStringLiteral("𠀀|𠀁"));

        const Cut quoted = cut(QStringLiteral("「はい。」カタカナです。"));
        QCOMPARE(quoted.sentences, (QStringList { "「はい。」", "カタカナです。" }));
        QCOMPARE(quoted.words.join('|'), QStringLiteral("は|い|カタカナ|で|す"));

        const Cut thai = cut(QStringLiteral("วันนี้อากาศดี"));
        QVERIFY2(thai.words.size() >= 3, qPrintable(thai.words.join('|')));
        QCOMPARE(thai.words.join(QString()), QStringLiteral("วันนี้อากาศดี"));

        // Blank-separated text mixed in keeps its words whole.
        QCOMPARE(cut(QStringLiteral("Hello 世界, fine.")).words.join('|'), QStringLiteral("Hello|世|界|fine"));
    }

    void abbreviationsDoNotEndSentences()
    {
        QCOMPARE(cut(QStringLiteral("Dr. Smith met Mrs. Jones and Prof. Lee. Mr. Brown left.")).sentences,
            (QStringList { "Dr. Smith met Mrs. Jones and Prof. Lee.", "Mr. Brown left." }));
        QCOMPARE(cut(QStringLiteral("Er kommt am 3. Mai. Dann geht er."), false, QStringLiteral("de-DE")).sentences,
            (QStringList { "Er kommt am 3. Mai.", "Dann geht er." }));
        QCOMPARE(cut(QStringLiteral("<lang langid=\"407\">Am 21. Juni. Gut.</lang>"), true).sentences,
            (QStringList { "Am 21. Juni.", "Gut." }));
        // In English a number ends a sentence.
        QCOMPARE(cut(QStringLiteral("We counted to 3. Then we stopped."), false, QStringLiteral("en-US")).sentences,
            (QStringList { "We counted to 3.", "Then we stopped." }));
    }

    void anAliasIsOneWordOnItsContent()
    {
        const QString text = QStringLiteral(
            "<speak>The <sub alias=\"World Wide Web Consortium\"> W3C </sub> and caf&#233; too</speak>");
        QCOMPARE(cut(text, true).words, (QStringList { "The", "W3C", "and", "caf&#233;", "too" }));
    }

    void languageIdsPickTheirVoice()
    {
        std::vector<SynthVoice> voices;
        for (const char* tag : { "en-us", "en-gb", "fr-be", "fr-ch", "fr-fr", "el", "tr", "he", "ar", "fi", "cmn" })
            voices.push_back({ QString::fromLatin1(tag), QString::fromLatin1(tag), QString::fromLatin1(tag), {}, 0 });
        const VoiceCatalog catalog(voices, QLocale(QLocale::English, QLocale::UnitedStates));
        const auto first = [&](const QString& required) {
            const SpObjectTokens found = catalog.select(required, QString());
            return found.Count() > 0 ? catalog.synthId(found.Item(0)) : QString();
        };
        QCOMPARE(first(QStringLiteral("Language=40C")), QStringLiteral("fr-fr"));
        QCOMPARE(first(QStringLiteral("Language=809")), QStringLiteral("en-gb"));
        QCOMPARE(first(QStringLiteral("Language=80C")), QStringLiteral("fr-be"));
        QCOMPARE(first(QStringLiteral("Language=fr")), QStringLiteral("fr-fr"));
        for (const auto& [id, voice] : { std::pair { "408", "el" }, { "41F", "tr" }, { "40D", "he" }, { "401", "ar" },
                 { "40B", "fi" }, { "804", "cmn" } })
            QCOMPARE(first(QStringLiteral("Language=") + QLatin1String(id)), QString::fromLatin1(voice));
        const QString english = catalog.select(QStringLiteral("Language=409"), QString()).Item(0).Id();
        QCOMPARE(catalog.synthId(*catalog.find(catalog.resolve({}, {}, QStringLiteral("zh-CN"), english))),
            QStringLiteral("cmn"));
    }
};

QTEST_APPLESS_MAIN(tst_SpeechChunker)
#include "tst_SpeechChunker.moc"
