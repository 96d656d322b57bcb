#include "engine/markup/MarkupReader.h"
#include "platform/PlatformError.h"

#include <QElapsedTimer>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Every item as Kind[covered text]=payload, so an expected string pins down each span exactly.
QString render(const QString& text, const MarkupDocument& doc)
{
    QStringList out;
    for (const MarkupItem& item : doc.items) {
        const QString covered = QLatin1Char('[') + text.mid(item.begin, item.end - item.begin) + QLatin1Char(']');
        switch (item.kind) {
        case MarkupItem::Kind::Text:
            out << (item.replacement.isNull() ? covered : covered + QLatin1Char('=') + item.replacement);
            break;
        case MarkupItem::Kind::Bookmark:
            out << QLatin1Char('B') + covered + QLatin1Char('=') + item.name;
            break;
        case MarkupItem::Kind::Silence:
            out << QLatin1Char('S') + covered + QLatin1Char('=') + QString::number(item.milliseconds);
            break;
        case MarkupItem::Kind::SentenceBreak:
            out << QLatin1Char('P') + covered;
            break;
        }
    }
    return out.join(QLatin1Char(' '));
}

// The fields that differ from the default state.
QString describe(const MarkupState& s)
{
    QStringList f;
    if (s.rate || s.rateAbsolute)
        f << (s.rateAbsolute ? QStringLiteral("rate=%1").arg(s.rate) : QString::asprintf("rate%+d", s.rate));
    if (s.pitch || s.pitchAbsolute)
        f << (s.pitchAbsolute ? QStringLiteral("pitch=%1").arg(s.pitch) : QString::asprintf("pitch%+d", s.pitch));
    if (s.volume != 100)
        f << QStringLiteral("vol%1").arg(s.volume);
    if (s.emphasis)
        f << QStringLiteral("emph");
    if (s.spell)
        f << QStringLiteral("spell");
    if (!s.voiceRequired.isEmpty() || !s.voiceOptional.isEmpty())
        f << QStringLiteral("voice(%1|%2)").arg(s.voiceRequired, s.voiceOptional);
    if (!s.language.isEmpty())
        f << QStringLiteral("lang=") + s.language;
    return f.join(QLatin1Char(' '));
}

// Each text item as "covered:state".
QString renderStates(const QString& text, const MarkupDocument& doc)
{
    QStringList out;
    for (const MarkupItem& item : doc.items) {
        if (item.kind == MarkupItem::Kind::Text)
            out << text.mid(item.begin, item.end - item.begin) + QLatin1Char(':') + describe(doc.states[item.state]);
    }
    return out.join(QStringLiteral(" | "));
}

bool wellFormed(const QString& text, const MarkupDocument& doc)
{
    qsizetype previous = 0;
    for (const MarkupItem& item : doc.items) {
        if (item.begin < previous || item.begin > item.end || item.end > text.size() || item.state < 0
            || size_t(item.state) >= doc.states.size())
            return false;
        previous = item.begin;
    }
    for (size_t i = 1; i < doc.states.size(); ++i) {
        if (doc.states[i] == doc.states[i - 1])
            return false;
    }
    return true;
}

QString faultOf(const QString& text)
{
    try {
        MarkupReader::read(text, true);
    } catch (const PlatformError& e) {
        return e.description();
    }
    return QStringLiteral("(no fault)");
}

} // namespace

class tst_MarkupReader : public QObject {
    Q_OBJECT

private slots:
    void plainText()
    {
        MarkupState initial;
        initial.rate = 3;
        initial.spell = true;
        const QString text = QStringLiteral("a <emph>b</emph> &amp;");
        const MarkupDocument doc = MarkupReader::read(text, false, initial);
        QCOMPARE(render(text, doc), QStringLiteral("[a <emph>b</emph> &amp;]"));
        QCOMPARE(doc.states.at(size_t(doc.items.at(0).state)), initial);
        QCOMPARE(doc.finalState, initial);
        QVERIFY(MarkupReader::read(QString(), false).items.empty());
        QVERIFY(MarkupReader::read(QString(), true).items.empty());
    }

    void spans_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, const QString& text, const QString& expected) {
            QTest::newRow(name) << text << expected;
        };
        row("plain", u"Hello world"_s, u"[Hello world]"_s);
        row("stray <", u"a < b, x<y then 3 <4 a<"_s, u"[a < b, x<y then 3 <4 a<]"_s);
        row("stray < before a tag", u"x<y <emph>z</emph>"_s, u"[x<y ] [z]"_s);
        row("entities", u"a&amp;b&#65;&#x1F600;&lt;"_s, u"[a] [&amp;]=& [b] [&#65;]=A [&#x1F600;]=😀 [&lt;]=<"_s);
        row("not entities", u"R&D &bogus; &#xD800; &#; &AMP; &#x;&"_s, u"[R&D &bogus; &#xD800; &#; &AMP; &#x;&]"_s);
        row("blanks between tags", u"<emph>a</emph> <emph>b</emph>"_s, u"[a] [ ] [b]"_s);
        row("bookmark", u"a<bookmark mark=\"x, y z\"/>b"_s, u"[a] B[<bookmark mark=\"x, y z\"/>]=x, y z [b]"_s);
        row("bookmark entity", u"<Bookmark Mark='a&amp;\"b'/>"_s, u"B[<Bookmark Mark='a&amp;\"b'/>]=a&\"b"_s);
        row("quoted >", u"<bookmark mark=\"5 > 3\"/>"_s, u"B[<bookmark mark=\"5 > 3\"/>]=5 > 3"_s);
        row("silence", u"<silence msec=\"500\"/>"_s, u"S[<silence msec=\"500\"/>]=500"_s);
        row("sentences", u"<P>a</P><s>b</s><paragraph/>"_s, u"P[<P>] [a] P[</P>] P[<s>] [b] P[</s>] P[<paragraph/>]"_s);
        row("skipped markup", u"<?xml version=\"1.0\"?><!-- <emph> --><!DOCTYPE x [<!ENTITY a \"b\">]>a"_s, u"[a]"_s);
        row("cdata", u"a<![CDATA[<b>&amp;]]>c"_s, u"[a] [<b>&amp;] [c]"_s);
        row("surrogates", u"😀<emph>é😀</emph>😀"_s, u"[😀] [é😀] [😀]"_s);
        row("crlf", u"a\r\n<silence\r\nmsec=\"1\"/>\r\nb"_s, u"[a\r\n] S[<silence\r\nmsec=\"1\"/>]=1 [\r\nb]"_s);
        row("unknown element", u"<foo bar=\"1\">x</foo><pron sym=\"a\"/>"_s, u"[x]"_s);
        row("ssml sub", u"<speak>a <sub alias=\"World Wide Web\">W<b>W</b></sub>.</speak>"_s,
            u"[a ] [<sub alias=\"World Wide Web\">W<b>W</b></sub>]=World Wide Web [.]"_s);
        row("ssml empty alias", u"<speak><sub alias=\"\">abc</sub></speak>"_s, u"[<sub alias=\"\">abc</sub>]="_s);
        row("ssml sub left open", u"<speak><sub alias=\"x\">abc"_s, u"[<sub alias=\"x\">abc]=x"_s);
        row("ssml desc", u"<speak><audio src=\"x\">fallback<desc>hidden</desc></audio></speak>"_s, u"[fallback]"_s);
        row("ssml marks and breaks",
            u"<speak><mark name=\"m\"/><break time=\"1.5s\"/><break time=\"250ms\"/><break strength=\"x-weak\"/><break/><break time=\"x\" strength=\"strong\"/></speak>"_s,
            u"B[<mark name=\"m\"/>]=m S[<break time=\"1.5s\"/>]=1500 S[<break time=\"250ms\"/>]=250 S[<break strength=\"x-weak\"/>]=100 S[<break/>]=400 S[<break time=\"x\" strength=\"strong\"/>]=700"_s);
        row("ssml ignores engine tags", u"<!-- c --><speak><silence msec=\"5\"/>a</speak>"_s, u"[a]"_s);
    }

    void spans()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const MarkupDocument doc = MarkupReader::read(text, true);
        QCOMPARE(render(text, doc), expected);
        QVERIFY(wellFormed(text, doc));
        // Markup that can be read is read alike by the forgiving reader, with nothing to report.
        const MarkupReading forgiven = MarkupReader::readForgiving(text, true);
        QCOMPARE(render(text, forgiven.document), expected);
        QCOMPARE(forgiven.problem, QString());
    }

    void states_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, const QString& text, const QString& expected) {
            QTest::newRow(name) << text << expected;
        };
        row("relative rate clamps", u"<rate speed=\"5\">a<rate speed=\"7\">b</rate>c</rate>d"_s,
            u"a:rate+5 | b:rate+10 | c:rate+5 | d:"_s);
        row("relative to absolute",
            u"<rate absspeed=\"-3\">a<rate speed=\"2\">b</rate></rate><rate absspeed=\"50\">c</rate>"_s,
            u"a:rate=-3 | b:rate=-1 | c:rate=10"_s);
        row("empty element lasts to the enclosing end", u"<emph>a<rate speed=\"2\"/>b</emph>c"_s,
            u"a:emph | b:rate+2 emph | c:"_s);
        row("pitch",
            u"<pitch middle=\"-4\" range=\"5\">a</pitch><pitch absmiddle=\"3\">b</pitch><pitch range=\"2\">c</pitch>"_s,
            u"a:pitch-4 | b:pitch=3 | c:"_s);
        row("volume",
            u"<volume level=\"150\">a</volume><volume level=\"-5\">b</volume><volume level=\"40\">c</volume>"_s,
            u"a: | b:vol0 | c:vol40"_s);
        row("spell and emph", u"<spell>a<emph>b</emph></spell>"_s, u"a:spell | b:emph spell"_s);
        row("voice",
            u"<voice required=\"Gender=Female\" optional=\"Age=Adult\">a<voice optional=\"Age=Child\">b</voice></voice>"_s,
            u"a:voice(Gender=Female|Age=Adult) | b:voice(Gender=Female|Age=Child)"_s);
        row("lang", u"<lang langid=\"40C\">a</lang><lang langid=\"c0a;409\">b</lang><lang langid=\"7F7F\">c</lang>"_s,
            u"a:lang=fr-FR | b:lang=es-ES | c:"_s);
        row("root and case", u"<SAPI><Rate Speed=\"1\">a</RATE></sapi>"_s, u"a:rate+1"_s);
        row("prosody keywords",
            u"<speak><prosody rate=\"x-fast\" pitch=\"x-low\" volume=\"soft\">a</prosody></speak>"_s,
            u"a:rate+6 pitch-6 vol40"_s);
        row("prosody rate factors",
            u"<speak><prosody rate=\"300%\">a</prosody><prosody rate=\"+50%\">b</prosody><prosody rate=\"-50%\">c<prosody rate=\"33.3%\">d</prosody></prosody></speak>"_s,
            u"a:rate+10 | b:rate+4 | c:rate-6 | d:rate-10"_s);
        row("prosody pitch",
            u"<speak><prosody pitch=\"+2st\">a</prosody><prosody pitch=\"+100%\">b</prosody></speak>"_s,
            u"a:pitch+2 | b:pitch+10"_s);
        row("prosody volume",
            u"<speak><prosody volume=\"50\">a<prosody volume=\"+10\">b</prosody><prosody volume=\"50%\">c</prosody></prosody><prosody volume=\"-6dB\">d</prosody></speak>"_s,
            u"a:vol50 | b:vol60 | c:vol25 | d:vol50"_s);
        row("prosody ignores junk",
            u"<speak><prosody rate=\"abc\" pitch=\"200Hz\" volume=\"loud!\">a</prosody></speak>"_s, u"a:"_s);
        row("emphasis and say-as",
            u"<speak><emphasis>a</emphasis><emphasis level=\"none\">b</emphasis><say-as interpret-as=\"spell-out\">c</say-as><say-as interpret-as=\"date\">d</say-as></speak>"_s,
            u"a:emph | b: | c:spell | d:"_s);
        row("ssml voice", u"<speak><voice name=\"Anna\" gender=\"female\">a</voice></speak>"_s,
            u"a:voice(Name=Anna;Gender=Female|)"_s);
        row("xml:lang", u"<speak xml:lang=\"en-GB\">a<p xml:lang=\"fr\">b</p><s xml:lang=\"bad lang!\">c</s></speak>"_s,
            u"a:lang=en-GB | b:lang=fr | c:lang=en-GB"_s);
    }

    void states()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const MarkupDocument doc = MarkupReader::read(text, true);
        QCOMPARE(renderStates(text, doc), expected);
        QVERIFY(wellFormed(text, doc));
    }

    void finalStateAndSharing()
    {
        const MarkupDocument closed
            = MarkupReader::read(u"<rate speed=\"2\"/>a<emph>b<volume level=\"5\"/></emph>"_s, true);
        QCOMPARE(describe(closed.finalState), u"rate+2"_s);
        const MarkupDocument open = MarkupReader::read(u"<rate speed=\"2\"/><emph>a<volume level=\"5\"/>"_s, true);
        QCOMPARE(describe(open.finalState), u"rate+2"_s);
        const MarkupDocument ssml = MarkupReader::read(u"<speak><prosody rate=\"fast\"/>a"_s, true);
        QCOMPARE(describe(ssml.finalState), QString());

        MarkupState initial;
        initial.rate = 3;
        initial.rateAbsolute = true;
        const MarkupDocument carried = MarkupReader::read(u"a<rate speed=\"2\"/>"_s, true, initial);
        QCOMPARE(describe(carried.states.at(0)), u"rate=3"_s);
        QCOMPARE(describe(carried.finalState), u"rate=5"_s);

        // Items in one state share one entry; only real changes add entries.
        const QString same = u"a&amp;b<foo/>c<rate speed=\"0\"/><emph></emph>d"_s;
        QCOMPARE(MarkupReader::read(same, true).states.size(), size_t(1));
        const QString alternating = u"<emph>a</emph>b<emph>c</emph>"_s;
        const MarkupDocument doc = MarkupReader::read(alternating, true);
        QCOMPARE(doc.states.size(), size_t(3));
        QVERIFY(wellFormed(alternating, doc));
    }

    void faults_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, const QString& text, const QString& expected) {
            QTest::newRow(name) << text << expected;
        };
        row("mismatched end", u"<emph>a</rate>"_s, u"Markup error at character 7: </rate> does not close <emph>"_s);
        row("nothing open", u"a</emph>"_s, u"at character 1: </emph> has no open element"_s);
        row("no =", u"<bookmark mark/>"_s, u"at character 10: attribute mark in <bookmark> has no '='"_s);
        row("unquoted", u"<bookmark mark=x/>"_s, u"is not quoted"_s);
        row("unterminated value", u"<bookmark mark=\"x>"_s, u"not terminated"_s);
        row("no blank between attributes", u"<bookmark mark=\"a\"x=\"b\"/>"_s, u"unexpected 'x' in <bookmark>"_s);
        row("junk in end tag", u"<emph></emph x>"_s, u"unexpected 'x' in </emph>"_s);
        row("misplaced /", u"<emph / >"_s, u"unexpected '/'"_s);
        row("a < b > c", u"if a <b and c> d"_s, u"at character 8: attribute and in <b>"_s);
        row("silence not a number", u"<silence msec=\"abc\"/>"_s, u"msec=\"abc\" in <silence> is not a whole number"_s);
        row("silence negative", u"<silence msec=\"-5\"/>"_s, u"negative"_s);
        row("silence missing", u"<silence/>"_s, u"<silence> needs a msec attribute"_s);
        row("rate missing", u"<rate>a</rate>"_s, u"<rate> needs a speed or absspeed"_s);
        row("rate fraction", u"<rate speed=\"1.5\"/>"_s, u"not a whole number"_s);
        row("pitch missing", u"<pitch/>"_s, u"<pitch> needs a middle or absmiddle"_s);
        row("volume missing", u"<volume/>"_s, u"<volume> needs a level"_s);
        row("bookmark missing", u"<bookmark/>"_s, u"<bookmark> needs a mark"_s);
        row("lang not hex", u"<lang langid=\"xyz\"/>"_s, u"not a hexadecimal language id"_s);
        row("comment", u"a<!-- never closed"_s, u"at character 1: a comment"_s);
        row("cdata", u"<![CDATA[x"_s, u"CDATA"_s);
        row("too deep", u"<emph>"_s.repeated(1001), u"at character 6000: elements are nested more than 1000"_s);
    }

    void faults()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const QString fault = faultOf(text);
        QVERIFY2(fault.contains(expected), qPrintable(fault));
        // The forgiving reader names the same fault instead of refusing the text.
        const MarkupReading forgiven = MarkupReader::readForgiving(text, true);
        QCOMPARE(forgiven.problem, fault);
        QVERIFY(wellFormed(text, forgiven.document));
    }

    // Pasted text: a tag that is not well formed is text like a stray '<', a known tag with
    // unusable values is skipped like an unknown one, well-formed tags beside them still act, and
    // markup that cannot be read as a whole leaves the whole text plain.
    void forgiving_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("problem");
        const auto row = [](const char* name, const QString& text, const QString& expected, const QString& problem) {
            QTest::newRow(name) << text << expected << problem;
        };
        row("web address", u"Free Software Foundation, Inc. <https://fsf.org/> Everyone is permitted to copy."_s,
            u"[Free Software Foundation, Inc. <https://fsf.org/> Everyone is permitted to copy.]"_s,
            u"Markup error at character 38: unexpected '/' in <https:>"_s);
        row("mail header", u"From: Ada <ada@example.org>, <emph>now</emph>"_s,
            u"[From: Ada <ada@example.org>, ] [now]"_s, u"at character 14: unexpected '@' in <ada>"_s);
        row("a < b > c", u"if a <b and c> d"_s, u"[if a <b and c> d]"_s, u"attribute and in <b> has no '='"_s);
        row("end tag with junk", u"x</a b>y"_s, u"[x</a b>y]"_s, u"unexpected 'b' in </a>"_s);
        row("unterminated value", u"<bookmark mark=\"x>y"_s, u"[<bookmark mark=\"x>y]"_s, u"not terminated"_s);
        row("good tags act beside bad ones", u"<bookmark mark=\"m\"/>see <http://x.org/> <silence msec=\"5\"/>"_s,
            u"B[<bookmark mark=\"m\"/>]=m [see <http://x.org/> ] S[<silence msec=\"5\"/>]=5"_s,
            u"unexpected '/' in <http:>"_s);
        row("unusable values", u"a<silence msec=\"abc\"/>b<rate>c</rate><bookmark/>d"_s, u"[a] [b] [c] [d]"_s,
            u"at character 10: msec=\"abc\" in <silence> is not a whole number"_s);
        row("end tag closing nothing", u"<emph>a</emph></b> c"_s, u"[<emph>a</emph></b> c]"_s,
            u"</b> has no open element to close"_s);
        row("web page fragment", u"<p>Hello <b>world</p>"_s, u"[<p>Hello <b>world</p>]"_s,
            u"</p> does not close <b>"_s);
        row("unterminated comment", u"a <emph>b</emph> <!-- c"_s, u"[a <emph>b</emph> <!-- c]"_s,
            u"a comment <!-- is not terminated"_s);
        row("well formed", u"<emph>a</emph> &amp; <foo>b</foo>"_s, u"[a] [ ] [&amp;]=& [ ] [b]"_s, QString());
    }

    void forgiving()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QFETCH(QString, problem);
        const MarkupReading reading = MarkupReader::readForgiving(text, true);
        QCOMPARE(render(text, reading.document), expected);
        QVERIFY(wellFormed(text, reading.document));
        if (problem.isEmpty())
            QCOMPARE(reading.problem, QString());
        else
            QVERIFY2(reading.problem.startsWith(u"Markup error at character "_s) && reading.problem.contains(problem),
                qPrintable(reading.problem));
        QCOMPARE(reading.problem.isEmpty(), faultOf(text) == u"(no fault)"_s);
    }

    void forgivingKeepsStates()
    {
        // The skipped tag leaves the state of its surroundings; the text read plain keeps the initial one.
        const QString skipped = u"<rate speed=\"2\">a<rate speed=\"x\">b</rate>c</rate>"_s;
        QCOMPARE(renderStates(skipped, MarkupReader::readForgiving(skipped, true).document),
            u"a:rate+2 | b:rate+2 | c:rate+2"_s);
        MarkupState initial;
        initial.volume = 50;
        const MarkupReading plain = MarkupReader::readForgiving(u"<rate speed=\"2\"/>a</b>"_s, true, initial);
        QCOMPARE(renderStates(u"<rate speed=\"2\"/>a</b>"_s, plain.document), u"<rate speed=\"2\"/>a</b>:vol50"_s);
        QCOMPARE(plain.document.finalState, initial);
        // Not markup at all: nothing to forgive.
        const MarkupReading text = MarkupReader::readForgiving(u"a </b>"_s, false);
        QCOMPARE(render(u"a </b>"_s, text.document), u"[a </b>]"_s);
        QCOMPARE(text.problem, QString());
    }

    // Inputs that a quadratic scan or per-character items would make slow or huge.
    void largeInputs_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("items");
        const QString plain = u"Some plain text, 1 < 2 & so on. "_s.repeated(32 * 1024);
        QTest::newRow("plain") << plain << 1;
        QTest::newRow("stray tag starts") << u"<a"_s.repeated(500'000) << 1;
        QTest::newRow("unterminated quotes") << u"<a x=\""_s.repeated(200'000) << 1;
        QTest::newRow("unterminated instructions") << u"<?x"_s.repeated(300'000) << 1;
        QTest::newRow("doctypes") << u"<!DOCTYPE a"_s.repeated(100'000) << 1;
        QTest::newRow("many tags") << u"<emph>a</emph>"_s.repeated(70'000) << 70'000;
        QTest::newRow("deep nesting") << (u"<emph>"_s.repeated(1000) + u"a"_s) << 1;
    }

    void largeInputs()
    {
        QFETCH(QString, text);
        QFETCH(int, items);
        QElapsedTimer timer;
        timer.start();
        const MarkupDocument doc = MarkupReader::read(text, true);
        // Linear reading takes milliseconds here; a quadratic one takes minutes.
        QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(doc.items.size(), size_t(items));
        QVERIFY(wellFormed(text, doc));
        const MarkupReading forgiven = MarkupReader::readForgiving(text, true);
        QCOMPARE(forgiven.document.items.size(), size_t(items));
    }

    // A forgiven tag costs no rescanning either, however many there are.
    void forgivingLargeInputs_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("items");
        QTest::newRow("addresses") << u"<ada@example.org> "_s.repeated(50'000) << 1;
        QTest::newRow("unterminated values") << u"<a x=\"> "_s.repeated(50'000) << 1;
        QTest::newRow("unusable values") << u"<silence msec=\"x\"/>a"_s.repeated(50'000) << 50'000;
    }

    void forgivingLargeInputs()
    {
        QFETCH(QString, text);
        QFETCH(int, items);
        QElapsedTimer timer;
        timer.start();
        const MarkupReading reading = MarkupReader::readForgiving(text, true);
        QVERIFY2(timer.elapsed() < 4000, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(reading.document.items.size(), size_t(items));
        QVERIFY(!reading.problem.isEmpty());
        QVERIFY(wellFormed(text, reading.document));
    }
};

QTEST_APPLESS_MAIN(tst_MarkupReader)
#include "tst_MarkupReader.moc"
