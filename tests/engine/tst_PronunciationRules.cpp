#include "VoiceEventLog.h"
#include "engine/api/SpFileStream.h"
#include "engine/api/SpVoice.h"
#include "engine/pronunciation/PronunciationRules.h"

#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(std::vector<PronunciationRule>)

namespace {

PronunciationRule rule(const QString& text, const QString& spokenAs, bool wholeWord = true, bool matchCase = false,
    bool expression = false)
{
    return PronunciationRule { text, spokenAs, wholeWord, matchCase, expression };
}

} // namespace

// The rules as the engine applies them: what they match, which wins where they overlap, what
// markup they leave alone, and that the voice's events still point into the text as given.
class tst_PronunciationRules : public QObject {
    Q_OBJECT

private slots:
    void rewrites_data()
    {
        QTest::addColumn<std::vector<PronunciationRule>>("rules");
        QTest::addColumn<bool>("markup");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const auto row
            = [](const char* name, std::vector<PronunciationRule> rules, bool markup, const QString& text,
                  const QString& expected) { QTest::newRow(name) << std::move(rules) << markup << text << expected; };
        row("whole word, any case", { rule("Parlora", "par lora") }, false, "Parlora and Parloras and parlora.",
            "par lora and Parloras and par lora.");
        row("match case", { rule("US", "you ess", true, true) }, false, "US us Us", "you ess us Us");
        row("part of a word", { rule("ing", "ING", false) }, false, "sing sings", "sING sINGs");
        row("symbols at the edges", { rule("C++", "C plus plus") }, false, "C++ is not ABC++.",
            "C plus plus is not ABC++.");
        row("letters beyond ASCII", { rule("Möbius", "Moebius") }, false, "MÖBIUS strip, Möbiusband",
            "Moebius strip, Möbiusband");
        row("expression with groups", { rule(R"((\d+)\s?km)", R"(\1 kilometres)", true, false, true) }, false,
            "5km and 12 km, not 5kms", "5 kilometres and 12 kilometres, not 5kms");
        row("expression, whole word", { rule("colou?r", "hue", true, false, true) }, false, "Color colour colours",
            "hue hue colours");
        row("earliest, then longest", { rule("York", "Yorkshire"), rule("New", "Novel"), rule("New York", "N Y C") },
            false, "New York and York and New", "N Y C and Yorkshire and Novel");
        row("same match: first rule", { rule("cat", "first"), rule("CAT", "second") }, false, "cat", "first");
        row("no rule reads another's output", { rule("a", "b"), rule("b", "c") }, false, "a b", "b c");
        row("unusable rules are skipped", { rule("(", "x", true, false, true), rule("x*", "y", false, false, true) },
            false, "( ab", "( ab");
        row("tags and values kept", { rule("bold", "BOLD") }, true,
            R"(<emph>bold</emph> <voice required="Name=bold">bold</voice>)",
            R"(<emph>BOLD</emph> <voice required="Name=bold">BOLD</voice>)");
        row("comments and references kept", { rule("amp", "X", false), rule("note", "N") }, true,
            "<!-- note --> a &amp; camp note", "<!-- note --> a &amp; cX N");
        row("inserted text escaped", { rule("and", "<&>") }, true, "this and that", "this &lt;&amp;&gt; that");
        row("a stray bracket is text", { rule("b", "bee") }, true, "a < b", "a < bee");
        row("plain text has no tags", { rule("emph", "E") }, false, "<emph>x</emph>", "<E>x</E>");
    }

    void rewrites()
    {
        QFETCH(std::vector<PronunciationRule>, rules);
        QFETCH(bool, markup);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(PronunciationRules(rules).apply(text, markup).text, expected);
    }

    // A span of the rewritten text maps to what was written: inside a replacement to the whole
    // of what it replaced, elsewhere shifted by the replacements before it.
    void positionsMapBack()
    {
        const QString text = QStringLiteral("Dr Smith met NASA today.");
        const auto rewritten
            = PronunciationRules({ rule("Dr", "Doctor"), rule("NASA", "the space agency") }).apply(text, false);
        QCOMPARE(rewritten.text, QStringLiteral("Doctor Smith met the space agency today."));
        const auto original = [&](const QString& word) {
            const TextPositionMap::Span span = rewritten.map.toOriginal(rewritten.text.indexOf(word), word.size());
            return text.mid(span.start, span.length);
        };
        QCOMPARE(original("Doctor"), QStringLiteral("Dr"));
        QCOMPARE(original("Smith"), QStringLiteral("Smith"));
        QCOMPARE(original("space"), QStringLiteral("NASA"));
        QCOMPARE(original("today."), QStringLiteral("today."));
        QCOMPARE(original(rewritten.text), text);
        QVERIFY(PronunciationRules().apply(text, false).map.isIdentity());
    }

    // Through the real synthesiser: each word is marked where it is written, also with markup
    // around it, and the sentence begins at its first word as written.
    void voiceEventsPointIntoTheTextGiven_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("flags");
        QTest::addColumn<QString>("words");
        QTest::newRow("plain") << QStringLiteral("Dr Smith met NASA today.") << int(SVSFIsNotXML)
                               << QStringLiteral("Dr|Smith|met|NASA|NASA|NASA|today");
        QTest::newRow("markup") << QStringLiteral("<emph>Dr</emph> Smith <bookmark mark=\"NASA\"/>met NASA.")
                                << int(SVSFIsXML) << QStringLiteral("Dr|Smith|met|NASA|NASA|NASA");
    }

    void voiceEventsPointIntoTheTextGiven()
    {
        QFETCH(QString, text);
        QFETCH(int, flags);
        QFETCH(QString, words);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        SpVoice voice;
        voice.setPronunciationRules(PronunciationRules({ rule("Dr", "Doctor"), rule("NASA", "the space agency") }));
        VoiceEventLog log(voice);
        auto stream = std::make_shared<SpFileStream>();
        stream->Open(folder.filePath(QStringLiteral("out.wav")));
        voice.setAudioOutputStream(stream);
        voice.Speak(text, flags);
        stream->Close();
        QCOMPARE(log.words(text).join(u'|'), words);
        const auto sentences = log.of(QStringLiteral("Sentence"));
        QVERIFY(!sentences.empty());
        QCOMPARE(sentences.front().a, int(text.indexOf(QLatin1String("Dr"))));
        QVERIFY(sentences.back().a + sentences.back().b <= text.size());
        const auto bookmarks = log.of(QStringLiteral("Bookmark"));
        if (flags & SVSFIsXML) {
            QCOMPARE(bookmarks.size(), size_t(1));
            QCOMPARE(bookmarks.front().text, QStringLiteral("NASA"));
        }
    }
};

QTEST_MAIN(tst_PronunciationRules)
#include "tst_PronunciationRules.moc"
