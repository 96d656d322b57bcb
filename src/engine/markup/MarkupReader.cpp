#include "engine/markup/MarkupReader.h"

#include "platform/PlatformError.h"

#include <QChar>
#include <QStringList>
#include <QStringView>
#include <algorithm>
#include <climits>
#include <cmath>
#include <optional>
#include <string_view>

// Fault positions are QString offsets (0-based), the same unit as item spans.

namespace {

constexpr int maxDepth = 1000;
constexpr int mediumBreakMs = 400;

bool isSpace(char16_t c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
bool isDigit(char16_t c)
{
    return c >= '0' && c <= '9';
}
bool isAsciiLetter(char16_t c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isNameStart(char16_t c)
{
    return isAsciiLetter(c) || c == '_' || (c >= 0x80 && QChar(c).isLetter());
}

bool isNameChar(char16_t c)
{
    if (c < 0x80)
        return isAsciiLetter(c) || isDigit(c) || c == '_' || c == '-' || c == '.' || c == ':';
    const QChar q(c);
    // Surrogates are accepted so that names with supplementary letters stay one name.
    return q.isLetterOrNumber() || q.isMark() || q.isSurrogate();
}

int hexValue(char16_t c)
{
    if (isDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// ASCII case-insensitive comparison with a lower-case literal.
bool equalsLower(QStringView v, std::string_view lower)
{
    if (v.size() != qsizetype(lower.size()))
        return false;
    for (qsizetype i = 0; i < v.size(); ++i) {
        char16_t c = v[i].unicode();
        if (c >= 'A' && c <= 'Z')
            c = char16_t(c + ('a' - 'A'));
        if (c != char16_t(lower[size_t(i)]))
            return false;
    }
    return true;
}

bool endsWithLower(QStringView v, std::string_view lower)
{
    return v.size() >= qsizetype(lower.size()) && equalsLower(v.right(qsizetype(lower.size())), lower);
}

bool isXmlChar(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD)
        || (c >= 0x10000 && c <= 0x10FFFF);
}

void appendCodePoint(QString& out, char32_t c)
{
    if (QChar::requiresSurrogates(c)) {
        out.append(QChar(QChar::highSurrogate(c)));
        out.append(QChar(QChar::lowSurrogate(c)));
    } else {
        out.append(QChar(char16_t(c)));
    }
}

// Length of the well-formed known entity at s[at] (which is '&') within [at, limit), 0 when the
// '&' is plain text. Stores the decoded character in decoded.
qsizetype entityLength(const char16_t* s, qsizetype at, qsizetype limit, char32_t& decoded)
{
    const QStringView rest(s + at, limit - at);
    static constexpr struct {
        QStringView entity;
        char16_t character;
    } named[] = {
        { u"&amp;", u'&' },
        { u"&lt;", u'<' },
        { u"&gt;", u'>' },
        { u"&quot;", u'"' },
        { u"&apos;", u'\'' },
    };
    for (const auto& e : named) {
        if (rest.startsWith(e.entity)) {
            decoded = e.character;
            return e.entity.size();
        }
    }
    if (rest.size() < 4 || rest[1] != u'#')
        return 0;
    const bool hex = rest[2] == u'x';
    qsizetype j = hex ? 3 : 2;
    const qsizetype digits = j;
    char32_t value = 0;
    for (; j < rest.size(); ++j) {
        const int d = hex ? hexValue(rest[j].unicode()) : (isDigit(rest[j].unicode()) ? rest[j].unicode() - '0' : -1);
        if (d < 0)
            break;
        // Saturate just above the Unicode range so long digit strings cannot overflow.
        value = std::min<char32_t>(value * (hex ? 16 : 10) + char32_t(d), 0x110000);
    }
    if (j == digits || j >= rest.size() || rest[j] != u';' || !isXmlChar(value))
        return 0;
    decoded = value;
    return j + 1;
}

// [+-]digits, surrounded by optional blanks; saturates far outside any useful range.
std::optional<int> parseInteger(QStringView v)
{
    v = v.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < v.size() && (v[i] == u'+' || v[i] == u'-'))
        negative = v[i++] == u'-';
    if (i == v.size())
        return std::nullopt;
    long long value = 0;
    for (; i < v.size(); ++i) {
        if (!isDigit(v[i].unicode()))
            return std::nullopt;
        value = std::min(value * 10 + (v[i].unicode() - '0'), 1'000'000'000LL);
    }
    return int(negative ? -value : value);
}

struct Decimal {
    double value = 0;
    bool hasSign = false;
};

// [+-]digits[.digits] or [+-].digits, without exponent, infinity or locale.
std::optional<Decimal> parseDecimal(QStringView v)
{
    v = v.trimmed();
    Decimal d;
    qsizetype i = 0;
    bool negative = false;
    if (i < v.size() && (v[i] == u'+' || v[i] == u'-')) {
        d.hasSign = true;
        negative = v[i++] == u'-';
    }
    bool anyDigit = false;
    for (; i < v.size() && isDigit(v[i].unicode()); ++i) {
        d.value = std::min(d.value * 10 + (v[i].unicode() - '0'), 1e12);
        anyDigit = true;
    }
    if (i < v.size() && v[i] == u'.') {
        double scale = 0.1;
        for (++i; i < v.size() && isDigit(v[i].unicode()); ++i) {
            d.value += (v[i].unicode() - '0') * scale;
            scale /= 10;
            anyDigit = true;
        }
    }
    if (!anyDigit || i != v.size())
        return std::nullopt;
    if (negative)
        d.value = -d.value;
    return d;
}

int clampRound(double v, int low, int high)
{
    return int(std::lround(std::clamp(v, double(low), double(high))));
}

struct LanguageId {
    unsigned id;
    const char* tag;
};

constexpr LanguageId languageIds[] = {
    { 0x401, "ar-SA" },
    { 0x402, "bg-BG" },
    { 0x403, "ca-ES" },
    { 0x404, "zh-TW" },
    { 0x405, "cs-CZ" },
    { 0x406, "da-DK" },
    { 0x407, "de-DE" },
    { 0x408, "el-GR" },
    { 0x409, "en-US" },
    { 0x40A, "es-ES" },
    { 0x40B, "fi-FI" },
    { 0x40C, "fr-FR" },
    { 0x40D, "he-IL" },
    { 0x40E, "hu-HU" },
    { 0x410, "it-IT" },
    { 0x411, "ja-JP" },
    { 0x412, "ko-KR" },
    { 0x413, "nl-NL" },
    { 0x414, "nb-NO" },
    { 0x415, "pl-PL" },
    { 0x416, "pt-BR" },
    { 0x418, "ro-RO" },
    { 0x419, "ru-RU" },
    { 0x41A, "hr-HR" },
    { 0x41B, "sk-SK" },
    { 0x41D, "sv-SE" },
    { 0x41E, "th-TH" },
    { 0x41F, "tr-TR" },
    { 0x421, "id-ID" },
    { 0x422, "uk-UA" },
    { 0x424, "sl-SI" },
    { 0x42A, "vi-VN" },
    { 0x439, "hi-IN" },
    { 0x804, "zh-CN" },
    { 0x807, "de-CH" },
    { 0x809, "en-GB" },
    { 0x80A, "es-MX" },
    { 0x80C, "fr-BE" },
    { 0x813, "nl-BE" },
    { 0x816, "pt-PT" },
    { 0xC04, "zh-HK" },
    { 0xC07, "de-AT" },
    { 0xC09, "en-AU" },
    { 0xC0A, "es-ES" },
    { 0xC0C, "fr-CA" },
    { 0x1009, "en-CA" },
    { 0x100C, "fr-CH" },
    { 0x1409, "en-NZ" },
    { 0x4009, "en-IN" },
};

enum class Form { Undecided, Engine, Ssml };

enum class Element {
    Unknown, // also the transparent ones: the tag does nothing, the content is spoken
    SentenceBreak,
    Bookmark,
    Silence,
    Rate,
    Pitch,
    Volume,
    Emph,
    Spell,
    EngineVoice,
    Lang,
    Mark,
    Break,
    Prosody,
    Emphasis,
    SayAs,
    SsmlVoice,
    Sub,
    Hidden, // content not spoken
};

struct ElementName {
    std::string_view name;
    Element element;
};

constexpr ElementName sentenceElements[] = {
    { "p", Element::SentenceBreak },
    { "s", Element::SentenceBreak },
    { "paragraph", Element::SentenceBreak },
    { "sentence", Element::SentenceBreak },
};

constexpr ElementName engineElements[] = {
    { "bookmark", Element::Bookmark },
    { "silence", Element::Silence },
    { "rate", Element::Rate },
    { "pitch", Element::Pitch },
    { "volume", Element::Volume },
    { "emph", Element::Emph },
    { "spell", Element::Spell },
    { "voice", Element::EngineVoice },
    { "lang", Element::Lang },
};

constexpr ElementName ssmlElements[] = {
    { "mark", Element::Mark },
    { "break", Element::Break },
    { "prosody", Element::Prosody },
    { "emphasis", Element::Emphasis },
    { "say-as", Element::SayAs },
    { "voice", Element::SsmlVoice },
    { "sub", Element::Sub },
    { "desc", Element::Hidden },
    { "metadata", Element::Hidden },
};

template <size_t N> Element lookup(const ElementName (&table)[N], QStringView name)
{
    for (const auto& e : table) {
        if (equalsLower(name, e.name))
            return e.element;
    }
    return Element::Unknown;
}

class Reader {
public:
    Reader(const QString& text, const MarkupState& initial, bool forgiving = false)
        : m_s(QStringView(text).utf16())
        , m_n(text.size())
        , m_cur(initial)
        , m_forgiving(forgiving)
    {
    }

    MarkupDocument run();
    QString problem() const { return m_problem; }

private:
    struct Attribute {
        qsizetype nameBegin, nameEnd, valueBegin, valueEnd;
    };
    struct Tag {
        qsizetype lt, gt, nameBegin, nameEnd;
        bool empty;
    };
    struct Frame {
        qsizetype nameBegin, nameEnd;
        MarkupState saved;
        qsizetype subItem = -1; // the alias item whose span ends with this element
        bool hides = false;
        bool breakAtEnd = false;
    };

    QStringView view(qsizetype b, qsizetype e) const { return QStringView(m_s + b, e - b); }
    QString shown(qsizetype b, qsizetype e) const;
    [[noreturn]] void fault(qsizetype at, const QString& what) const;
    template <class Step> bool attempt(Step&& step);

    int stateIndex();
    qsizetype add(MarkupItem::Kind kind, qsizetype b, qsizetype e);
    void flushText(qsizetype end);

    qsizetype markupAt(qsizetype lt);
    qsizetype declarationAt(qsizetype lt);
    qsizetype instructionAt(qsizetype lt);
    qsizetype entityAt(qsizetype amp);

    Tag parseTag(qsizetype lt, qsizetype gt, bool endTag);
    void startTag(const Tag& t);
    void endTag(const Tag& t);

    const Attribute* attribute(std::string_view lowerName) const;
    const Attribute* required(const Tag& t, std::string_view lowerName) const;
    QString value(const Attribute& a) const;
    int integer(const Tag& t, const Attribute& a) const;

    void engineElement(Element el, const Tag& t);
    void ssmlElement(Element el, const Tag& t);
    void ssmlRate(QStringView v);
    void ssmlPitch(QStringView v);
    void ssmlVolume(QStringView v);
    int ssmlBreak() const;
    void ssmlLanguage();

    const char16_t* m_s;
    qsizetype m_n;
    MarkupDocument m_doc;
    MarkupState m_cur;
    bool m_dirty = true;
    qsizetype m_runStart = 0;
    int m_hidden = 0; // open elements whose content is not spoken
    Form m_form = Form::Undecided;
    std::vector<Frame> m_stack;
    std::vector<Attribute> m_attributes;
    bool m_forgiving = false;
    QString m_problem; // the first fault forgiven
};

QString Reader::shown(qsizetype b, qsizetype e) const
{
    constexpr qsizetype maxShown = 40;
    if (e - b <= maxShown)
        return view(b, e).toString();
    return view(b, b + maxShown).toString() + QStringLiteral("...");
}

void Reader::fault(qsizetype at, const QString& what) const
{
    throw PlatformError(QStringLiteral("Markup error at character %1: %2").arg(at).arg(what));
}

// Runs one step of reading. A forgiving reader notes the step's fault and goes on, so that a
// single tag that cannot be read costs that tag, not the text; a strict one lets it through.
template <class Step> bool Reader::attempt(Step&& step)
{
    if (!m_forgiving) {
        step();
        return true;
    }
    try {
        step();
        return true;
    } catch (const PlatformError& error) {
        if (m_problem.isEmpty())
            m_problem = error.description();
        return false;
    }
}

int Reader::stateIndex()
{
    if (m_doc.states.empty() || (m_dirty && !(m_doc.states.back() == m_cur)))
        m_doc.states.push_back(m_cur);
    m_dirty = false;
    return int(m_doc.states.size() - 1);
}

qsizetype Reader::add(MarkupItem::Kind kind, qsizetype b, qsizetype e)
{
    if (m_hidden > 0)
        return -1;
    MarkupItem item;
    item.kind = kind;
    item.begin = b;
    item.end = e;
    item.state = stateIndex();
    m_doc.items.push_back(std::move(item));
    return qsizetype(m_doc.items.size()) - 1;
}

void Reader::flushText(qsizetype end)
{
    if (m_runStart < end)
        add(MarkupItem::Kind::Text, m_runStart, end);
    m_runStart = end;
}

MarkupDocument Reader::run()
{
    qsizetype i = 0;
    while (i < m_n) {
        const char16_t c = m_s[i];
        if (c == u'<')
            i = markupAt(i);
        else if (c == u'&')
            i = entityAt(i);
        else
            ++i;
    }
    flushText(m_n);
    // Elements left open end with the text.
    for (const Frame& f : m_stack) {
        if (f.subItem >= 0)
            m_doc.items[size_t(f.subItem)].end = m_n;
    }
    m_doc.finalState = m_stack.empty() ? m_cur : m_stack.front().saved;
    return std::move(m_doc);
}

qsizetype Reader::entityAt(qsizetype amp)
{
    char32_t decoded = 0;
    const qsizetype length = entityLength(m_s, amp, m_n, decoded);
    if (length == 0)
        return amp + 1;
    flushText(amp);
    const qsizetype item = add(MarkupItem::Kind::Text, amp, amp + length);
    if (item >= 0)
        appendCodePoint(m_doc.items[size_t(item)].replacement, decoded);
    m_runStart = amp + length;
    return m_runStart;
}

// Returns where scanning goes on: past the markup, or lt + 1 when the '<' is text.
qsizetype Reader::markupAt(qsizetype lt)
{
    if (lt + 1 >= m_n)
        return lt + 1;
    const char16_t next = m_s[lt + 1];
    if (next == u'!')
        return declarationAt(lt);
    if (next == u'?')
        return instructionAt(lt);
    if (next != u'/' && !isNameStart(next))
        return lt + 1;

    // The tag ends at the first '>' outside quotes; a '<' before it makes the first '<' text,
    // which keeps the scan linear since no region is scanned twice for a tag end.
    qsizetype gt = -1;
    qsizetype quotedGt = -1;
    char16_t quote = 0;
    for (qsizetype j = lt + 1; j < m_n && gt < 0; ++j) {
        const char16_t c = m_s[j];
        if (c == u'<')
            break;
        if (quote) {
            if (c == quote)
                quote = 0;
            else if (c == u'>' && quotedGt < 0)
                quotedGt = j;
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'>') {
            gt = j;
        }
    }
    if (gt < 0 && quotedGt < 0)
        return lt + 1;
    if (gt < 0) {
        // Only an unterminated quoted value hides the '>': the tag is malformed.
        attempt([&] {
            parseTag(lt, quotedGt, next == u'/');
            fault(lt, QStringLiteral("a quoted value in %1 is not terminated").arg(shown(lt, quotedGt + 1)));
        });
        return lt + 1;
    }
    // A malformed tag is text, as a stray '<' is; no '<' lies before gt, so nothing is rescanned.
    Tag t {};
    if (!attempt([&] { t = parseTag(lt, gt, next == u'/'); }))
        return lt + 1;
    flushText(lt);
    if (next == u'/')
        endTag(t);
    else
        startTag(t);
    m_runStart = gt + 1;
    return gt + 1;
}

qsizetype Reader::declarationAt(qsizetype lt)
{
    const QStringView rest = view(lt, m_n);
    qsizetype end = -1;
    if (rest.startsWith(u"<!--")) {
        const qsizetype close = rest.indexOf(u"-->", 4);
        if (close < 0)
            fault(lt, QStringLiteral("a comment <!-- is not terminated by -->"));
        flushText(lt);
        end = lt + close + 3;
    } else if (rest.startsWith(u"<![CDATA[")) {
        const qsizetype close = rest.indexOf(u"]]>", 9);
        if (close < 0)
            fault(lt, QStringLiteral("a <![CDATA[ section is not terminated by ]]>"));
        flushText(lt);
        if (close > 9)
            add(MarkupItem::Kind::Text, lt + 9, lt + close);
        end = lt + close + 3;
    } else if (rest.size() >= 9 && equalsLower(rest.left(9), "<!doctype")) {
        // An internal subset in [...] may hold '<' and '>'; outside it a '<' makes this text.
        bool subset = false;
        bool hadSubset = false;
        char16_t quote = 0;
        for (qsizetype j = lt + 9; j < m_n && end < 0; ++j) {
            const char16_t c = m_s[j];
            if (subset) {
                if (c == u']')
                    subset = false;
            } else if (c == u'<') {
                return lt + 1;
            } else if (quote) {
                if (c == quote)
                    quote = 0;
            } else if (c == u'"' || c == u'\'') {
                quote = c;
            } else if (c == u'[') {
                subset = hadSubset = true;
            } else if (c == u'>') {
                end = j + 1;
            }
        }
        if (end < 0) {
            // Treating it as text would rescan the subset for every '<' inside it.
            if (hadSubset)
                fault(lt, QStringLiteral("<!DOCTYPE is not terminated by >"));
            return lt + 1;
        }
        flushText(lt);
    } else {
        for (qsizetype j = lt + 2; j < m_n && end < 0; ++j) {
            if (m_s[j] == u'<')
                return lt + 1;
            if (m_s[j] == u'>')
                end = j + 1;
        }
        if (end < 0)
            return lt + 1;
        flushText(lt);
    }
    m_runStart = end;
    return end;
}

qsizetype Reader::instructionAt(qsizetype lt)
{
    for (qsizetype j = lt + 2; j + 1 < m_n; ++j) {
        if (m_s[j] == u'<')
            break;
        if (m_s[j] == u'?' && m_s[j + 1] == u'>') {
            flushText(lt);
            m_runStart = j + 2;
            return m_runStart;
        }
    }
    return lt + 1;
}

Reader::Tag Reader::parseTag(qsizetype lt, qsizetype gt, bool endTag)
{
    Tag t { lt, gt, 0, 0, false };
    qsizetype j = lt + (endTag ? 2 : 1);
    t.nameBegin = j;
    if (j >= gt || !isNameStart(m_s[j]))
        fault(lt, QStringLiteral("%1 has no element name").arg(shown(lt, gt + 1)));
    while (j < gt && isNameChar(m_s[j]))
        ++j;
    t.nameEnd = j;
    const auto name = [&] { return shown(t.nameBegin, t.nameEnd); };
    const auto unexpected = [&](qsizetype at) {
        const char16_t c = m_s[at];
        const QString what = c < 0x20 ? QStringLiteral("U+%1").arg(int(c), 4, 16, QLatin1Char('0'))
                                      : QStringLiteral("'%1'").arg(QChar(c));
        fault(
            at, QStringLiteral("unexpected %1 in <%2%3>").arg(what, endTag ? QStringLiteral("/") : QString(), name()));
    };

    m_attributes.clear();
    if (endTag) {
        while (j < gt && isSpace(m_s[j]))
            ++j;
        if (j != gt)
            unexpected(j);
        return t;
    }
    for (;;) {
        const qsizetype blanks = j;
        while (j < gt && isSpace(m_s[j]))
            ++j;
        if (j == gt)
            break;
        if (m_s[j] == u'/' && j + 1 == gt) {
            t.empty = true;
            break;
        }
        if (j == blanks || !isNameStart(m_s[j]))
            unexpected(j);
        Attribute a {};
        a.nameBegin = j;
        while (j < gt && isNameChar(m_s[j]))
            ++j;
        a.nameEnd = j;
        while (j < gt && isSpace(m_s[j]))
            ++j;
        if (j == gt || m_s[j] != u'=')
            fault(a.nameBegin,
                QStringLiteral("attribute %1 in <%2> has no '=' and value").arg(shown(a.nameBegin, a.nameEnd), name()));
        ++j;
        while (j < gt && isSpace(m_s[j]))
            ++j;
        if (j == gt || (m_s[j] != u'"' && m_s[j] != u'\''))
            fault(
                j, QStringLiteral("the value of %1 in <%2> is not quoted").arg(shown(a.nameBegin, a.nameEnd), name()));
        const char16_t quote = m_s[j];
        a.valueBegin = ++j;
        while (j < gt && m_s[j] != quote)
            ++j;
        if (j == gt)
            fault(a.nameBegin,
                QStringLiteral("the value of %1 in <%2> is not terminated").arg(shown(a.nameBegin, a.nameEnd), name()));
        a.valueEnd = j++;
        m_attributes.push_back(a);
    }
    return t;
}

const Reader::Attribute* Reader::attribute(std::string_view lowerName) const
{
    // The first of repeated attributes wins; checking for repeats would make huge tags quadratic.
    for (const Attribute& a : m_attributes) {
        if (equalsLower(view(a.nameBegin, a.nameEnd), lowerName))
            return &a;
    }
    return nullptr;
}

const Reader::Attribute* Reader::required(const Tag& t, std::string_view lowerName) const
{
    const Attribute* a = attribute(lowerName);
    if (!a)
        fault(t.lt,
            QStringLiteral("<%1> needs a %2 attribute")
                .arg(shown(t.nameBegin, t.nameEnd), QLatin1StringView(lowerName.data(), qsizetype(lowerName.size()))));
    return a;
}

QString Reader::value(const Attribute& a) const
{
    const QStringView raw = view(a.valueBegin, a.valueEnd);
    if (!raw.contains(u'&'))
        return raw.toString();
    QString out;
    out.reserve(raw.size());
    for (qsizetype j = a.valueBegin; j < a.valueEnd;) {
        char32_t decoded = 0;
        const qsizetype length = m_s[j] == u'&' ? entityLength(m_s, j, a.valueEnd, decoded) : 0;
        if (length > 0) {
            appendCodePoint(out, decoded);
            j += length;
        } else {
            out.append(QChar(m_s[j++]));
        }
    }
    return out;
}

int Reader::integer(const Tag& t, const Attribute& a) const
{
    const std::optional<int> v = parseInteger(value(a));
    if (!v)
        fault(a.nameBegin,
            QStringLiteral("%1=\"%2\" in <%3> is not a whole number")
                .arg(shown(a.nameBegin, a.nameEnd), shown(a.valueBegin, a.valueEnd), shown(t.nameBegin, t.nameEnd)));
    return *v;
}

void Reader::startTag(const Tag& t)
{
    const qsizetype lt = t.lt;
    const qsizetype gt = t.gt;
    const QStringView name = view(t.nameBegin, t.nameEnd);
    if (m_form == Form::Undecided)
        m_form = equalsLower(name, "speak") ? Form::Ssml : Form::Engine;
    Element el = lookup(sentenceElements, name);
    if (el == Element::Unknown)
        el = m_form == Form::Ssml ? lookup(ssmlElements, name) : lookup(engineElements, name);

    if (el == Element::SentenceBreak)
        add(MarkupItem::Kind::SentenceBreak, lt, gt + 1);
    if (!t.empty) {
        if (m_stack.size() >= size_t(maxDepth))
            fault(lt, QStringLiteral("elements are nested more than %1 deep").arg(maxDepth));
        Frame f;
        f.nameBegin = t.nameBegin;
        f.nameEnd = t.nameEnd;
        f.saved = m_cur;
        f.breakAtEnd = el == Element::SentenceBreak;
        m_stack.push_back(std::move(f));
    }
    // A known tag with unusable values is skipped like an unknown one: its content is spoken.
    const MarkupState before = m_cur;
    const bool acted = attempt([&] {
        if (m_form == Form::Ssml)
            ssmlElement(el, t);
        else
            engineElement(el, t);
    });
    if (!acted) {
        m_cur = before;
        m_dirty = true;
    }
}

void Reader::endTag(const Tag& t)
{
    const qsizetype lt = t.lt;
    const qsizetype gt = t.gt;
    const QStringView name = view(t.nameBegin, t.nameEnd);
    if (m_stack.empty())
        fault(lt, QStringLiteral("</%1> has no open element to close").arg(shown(t.nameBegin, t.nameEnd)));
    Frame& f = m_stack.back();
    if (name.compare(view(f.nameBegin, f.nameEnd), Qt::CaseInsensitive) != 0)
        fault(lt,
            QStringLiteral("</%1> does not close <%2>")
                .arg(shown(t.nameBegin, t.nameEnd), shown(f.nameBegin, f.nameEnd)));
    if (f.hides)
        --m_hidden;
    if (f.subItem >= 0)
        m_doc.items[size_t(f.subItem)].end = gt + 1;
    const bool sentenceBreak = f.breakAtEnd;
    m_cur = std::move(f.saved);
    m_dirty = true;
    m_stack.pop_back();
    if (sentenceBreak)
        add(MarkupItem::Kind::SentenceBreak, lt, gt + 1);
}

void Reader::engineElement(Element el, const Tag& t)
{
    const qsizetype tagEnd = t.gt + 1;
    switch (el) {
    case Element::Bookmark: {
        const QString name = value(*required(t, "mark"));
        const qsizetype item = add(MarkupItem::Kind::Bookmark, t.lt, tagEnd);
        if (item >= 0)
            m_doc.items[size_t(item)].name = name;
        break;
    }
    case Element::Silence: {
        const Attribute* a = required(t, "msec");
        const int ms = integer(t, *a);
        if (ms < 0)
            fault(a->nameBegin, QStringLiteral("msec in <%1> is negative").arg(shown(t.nameBegin, t.nameEnd)));
        const qsizetype item = add(MarkupItem::Kind::Silence, t.lt, tagEnd);
        if (item >= 0)
            m_doc.items[size_t(item)].milliseconds = ms;
        break;
    }
    case Element::Rate:
    case Element::Pitch: {
        const bool rate = el == Element::Rate;
        const Attribute* absolute = attribute(rate ? "absspeed" : "absmiddle");
        const Attribute* relative = attribute(rate ? "speed" : "middle");
        // A pitch with only a range is valid markup, even though the range itself is ignored.
        if (!absolute && !relative && (rate || (!attribute("range") && !attribute("absrange"))))
            fault(t.lt,
                QStringLiteral("<%1> needs a %2 attribute")
                    .arg(shown(t.nameBegin, t.nameEnd),
                        rate ? QStringLiteral("speed or absspeed") : QStringLiteral("middle or absmiddle")));
        int& field = rate ? m_cur.rate : m_cur.pitch;
        bool& isAbsolute = rate ? m_cur.rateAbsolute : m_cur.pitchAbsolute;
        // An absolute value is applied first so that a relative one given with it adds to it.
        if (absolute) {
            field = std::clamp(integer(t, *absolute), -10, 10);
            isAbsolute = true;
        }
        if (relative)
            field = int(std::clamp<qint64>(qint64(field) + integer(t, *relative), -10, 10));
        m_dirty = true;
        break;
    }
    case Element::Volume:
        m_cur.volume = std::clamp(integer(t, *required(t, "level")), 0, 100);
        m_dirty = true;
        break;
    case Element::Emph:
        m_cur.emphasis = true;
        m_dirty = true;
        break;
    case Element::Spell:
        m_cur.spell = true;
        m_dirty = true;
        break;
    case Element::EngineVoice:
        // A missing list keeps the enclosing one, so nested voices refine the choice.
        if (const Attribute* a = attribute("required"))
            m_cur.voiceRequired = value(*a);
        if (const Attribute* a = attribute("optional"))
            m_cur.voiceOptional = value(*a);
        m_dirty = true;
        break;
    case Element::Lang: {
        const Attribute* a = required(t, "langid");
        const QString list = value(*a);
        QStringView first = QStringView(list);
        const qsizetype semicolon = first.indexOf(u';');
        if (semicolon >= 0)
            first = first.left(semicolon);
        first = first.trimmed();
        if (first.startsWith(u"0x", Qt::CaseInsensitive))
            first = first.mid(2);
        unsigned id = 0;
        for (const QChar c : first) {
            const int d = hexValue(c.unicode());
            if (d < 0) {
                id = UINT_MAX;
                break;
            }
            id = std::min(id * 16 + unsigned(d), 0x1000000u);
        }
        if (first.isEmpty() || id == UINT_MAX)
            fault(a->nameBegin,
                QStringLiteral("langid=\"%1\" in <%2> is not a hexadecimal language id")
                    .arg(shown(a->valueBegin, a->valueEnd), shown(t.nameBegin, t.nameEnd)));
        for (const LanguageId& l : languageIds) {
            if (l.id == id) {
                m_cur.language = QString::fromLatin1(l.tag);
                m_dirty = true;
            }
        }
        break;
    }
    default:
        break;
    }
}

void Reader::ssmlElement(Element el, const Tag& t)
{
    const qsizetype tagEnd = t.gt + 1;
    ssmlLanguage();
    switch (el) {
    case Element::Mark:
        if (const Attribute* a = attribute("name")) {
            const QString name = value(*a);
            const qsizetype item = add(MarkupItem::Kind::Bookmark, t.lt, tagEnd);
            if (item >= 0)
                m_doc.items[size_t(item)].name = name;
        }
        break;
    case Element::Break: {
        const int ms = ssmlBreak();
        const qsizetype item = add(MarkupItem::Kind::Silence, t.lt, tagEnd);
        if (item >= 0)
            m_doc.items[size_t(item)].milliseconds = ms;
        break;
    }
    case Element::Prosody:
        if (const Attribute* a = attribute("rate"))
            ssmlRate(value(*a));
        if (const Attribute* a = attribute("pitch"))
            ssmlPitch(value(*a));
        if (const Attribute* a = attribute("volume"))
            ssmlVolume(value(*a));
        break;
    case Element::Emphasis: {
        const Attribute* level = attribute("level");
        m_cur.emphasis = !(level && equalsLower(QStringView(value(*level)).trimmed(), "none"));
        m_dirty = true;
        break;
    }
    case Element::SayAs:
        if (const Attribute* a = attribute("interpret-as")) {
            const QString how = value(*a).trimmed();
            if (equalsLower(how, "characters") || equalsLower(how, "spell-out")) {
                m_cur.spell = true;
                m_dirty = true;
            }
        }
        break;
    case Element::SsmlVoice: {
        QStringList parts;
        if (const Attribute* a = attribute("name")) {
            const QString name = value(*a).trimmed();
            if (!name.isEmpty())
                parts << QStringLiteral("Name=") + name;
        }
        if (const Attribute* a = attribute("gender")) {
            QString gender = value(*a).trimmed().toLower();
            if (!gender.isEmpty()) {
                gender[0] = gender[0].toUpper();
                parts << QStringLiteral("Gender=") + gender;
            }
        }
        if (!parts.isEmpty()) {
            m_cur.voiceRequired = parts.join(u';');
            m_dirty = true;
        }
        break;
    }
    case Element::Sub: {
        const Attribute* alias = attribute("alias");
        if (!alias)
            break; // without an alias the content is spoken
        const QString replacement = value(*alias);
        const qsizetype item = add(MarkupItem::Kind::Text, t.lt, tagEnd);
        if (item >= 0)
            m_doc.items[size_t(item)].replacement = replacement.isNull() ? QStringLiteral("") : replacement;
        if (!t.empty) {
            m_stack.back().subItem = item;
            m_stack.back().hides = true;
            ++m_hidden;
        }
        break;
    }
    case Element::Hidden:
        if (!t.empty) {
            m_stack.back().hides = true;
            ++m_hidden;
        }
        break;
    default:
        break;
    }
}

void Reader::ssmlLanguage()
{
    const Attribute* a = attribute("xml:lang");
    if (!a)
        return;
    QString tag = value(*a).trimmed();
    tag.replace(u'_', u'-');
    // Ill-formed tags are ignored like every other unusable value in this form.
    const bool valid = !tag.isEmpty() && tag.size() <= 35 && isAsciiLetter(tag[0].unicode())
        && std::all_of(tag.cbegin(), tag.cend(),
            [](QChar c) { return isAsciiLetter(c.unicode()) || isDigit(c.unicode()) || c == u'-'; });
    if (valid) {
        m_cur.language = tag;
        m_dirty = true;
    }
}

// Rates: keywords are fixed factors of the voice's rate (x-slow 0.5, slow 0.75, medium 1,
// fast 1.5, x-fast 2); "n%" and plain numbers are factors of the current rate, "+n%"/"-n%"
// change it by n percent. A factor f is 10*log3(f) units, so 3x faster is +10.
void Reader::ssmlRate(QStringView v)
{
    v = v.trimmed();
    static constexpr struct {
        std::string_view word;
        double factor;
    } words[]
        = { { "x-slow", 0.5 }, { "slow", 0.75 }, { "medium", 1 }, { "fast", 1.5 }, { "x-fast", 2 }, { "default", 1 } };
    const auto units = [](double factor) { return 10 * std::log(factor) / std::log(3.0); };
    for (const auto& w : words) {
        if (equalsLower(v, w.word)) {
            m_cur.rate = clampRound(units(w.factor), -10, 10);
            m_cur.rateAbsolute = false;
            m_dirty = true;
            return;
        }
    }
    const bool percent = v.endsWith(u'%');
    const std::optional<Decimal> d = parseDecimal(percent ? v.chopped(1) : v);
    if (!d || (d->hasSign && !percent))
        return;
    const double factor = percent ? (d->hasSign ? 1 + d->value / 100 : d->value / 100) : d->value;
    if (factor <= 0)
        return;
    m_cur.rate = clampRound(m_cur.rate + units(factor), -10, 10);
    m_dirty = true;
}

// Pitches: one octave is 10 units. Keywords x-low..x-high are -6, -3, 0, 3, 6 from the voice's
// pitch; "+n%"/"-n%" change the current pitch by that factor and "+nst"/"-nst" by semitones.
// Hertz values need the voice's base frequency, which is unknown here, so they are ignored.
void Reader::ssmlPitch(QStringView v)
{
    v = v.trimmed();
    static constexpr struct {
        std::string_view word;
        int units;
    } words[] = { { "x-low", -6 }, { "low", -3 }, { "medium", 0 }, { "high", 3 }, { "x-high", 6 }, { "default", 0 } };
    for (const auto& w : words) {
        if (equalsLower(v, w.word)) {
            m_cur.pitch = w.units;
            m_cur.pitchAbsolute = false;
            m_dirty = true;
            return;
        }
    }
    double change = 0;
    if (v.endsWith(u'%')) {
        const std::optional<Decimal> d = parseDecimal(v.chopped(1));
        const double factor = !d ? 0 : d->hasSign ? 1 + d->value / 100 : d->value / 100;
        if (factor <= 0)
            return;
        change = 10 * std::log2(factor);
    } else if (endsWithLower(v, "st")) {
        const std::optional<Decimal> d = parseDecimal(v.chopped(2));
        if (!d || !d->hasSign)
            return;
        change = d->value * 10 / 12;
    } else {
        return;
    }
    m_cur.pitch = clampRound(m_cur.pitch + change, -10, 10);
    m_dirty = true;
}

// Volumes in percent: silent 0, x-soft 20, soft 40, medium 60, loud 80, x-loud and default 100;
// "n" sets n, "+n"/"-n" add n, "n%" scales the current volume, "+n%"/"-n%" change it by n
// percent, "+ndB"/"-ndB" scale it by that gain.
void Reader::ssmlVolume(QStringView v)
{
    v = v.trimmed();
    static constexpr struct {
        std::string_view word;
        int volume;
    } words[] = { { "silent", 0 }, { "x-soft", 20 }, { "soft", 40 }, { "medium", 60 }, { "loud", 80 },
        { "x-loud", 100 }, { "default", 100 } };
    for (const auto& w : words) {
        if (equalsLower(v, w.word)) {
            m_cur.volume = w.volume;
            m_dirty = true;
            return;
        }
    }
    double volume = m_cur.volume;
    if (endsWithLower(v, "db")) {
        const std::optional<Decimal> d = parseDecimal(v.chopped(2));
        if (!d || !d->hasSign)
            return;
        volume *= std::pow(10.0, std::clamp(d->value, -100.0, 100.0) / 20);
    } else if (v.endsWith(u'%')) {
        const std::optional<Decimal> d = parseDecimal(v.chopped(1));
        if (!d)
            return;
        volume *= d->hasSign ? 1 + d->value / 100 : d->value / 100;
    } else {
        const std::optional<Decimal> d = parseDecimal(v);
        if (!d)
            return;
        volume = d->hasSign ? volume + d->value : d->value;
    }
    m_cur.volume = clampRound(volume, 0, 100);
    m_dirty = true;
}

// A valid time wins over strength; a bare break is a medium one.
int Reader::ssmlBreak() const
{
    if (const Attribute* a = attribute("time")) {
        const QString time = value(*a).trimmed();
        const bool ms = endsWithLower(time, "ms");
        if (ms || endsWithLower(time, "s")) {
            const std::optional<Decimal> d = parseDecimal(QStringView(time).chopped(ms ? 2 : 1));
            if (d && !d->hasSign)
                return clampRound(d->value * (ms ? 1 : 1000), 0, INT_MAX);
        }
    }
    if (const Attribute* a = attribute("strength")) {
        static constexpr struct {
            std::string_view word;
            int ms;
        } words[] = { { "none", 0 }, { "x-weak", 100 }, { "weak", 200 }, { "medium", mediumBreakMs }, { "strong", 700 },
            { "x-strong", 1000 } };
        const QString strength = value(*a).trimmed();
        for (const auto& w : words) {
            if (equalsLower(strength, w.word))
                return w.ms;
        }
    }
    return mediumBreakMs;
}

} // namespace

namespace {

MarkupDocument plainDocument(const QString& text, const MarkupState& initial)
{
    MarkupDocument doc;
    if (!text.isEmpty()) {
        doc.states.push_back(initial);
        MarkupItem item;
        item.end = text.size();
        doc.items.push_back(std::move(item));
    }
    doc.finalState = initial;
    return doc;
}

} // namespace

MarkupDocument MarkupReader::read(const QString& text, bool xml, const MarkupState& initial)
{
    if (!xml)
        return plainDocument(text, initial);
    return Reader(text, initial).run();
}

MarkupReading MarkupReader::readForgiving(const QString& text, bool xml, const MarkupState& initial)
{
    if (!xml)
        return { plainDocument(text, initial), QString() };
    Reader reader(text, initial, true);
    try {
        MarkupDocument doc = reader.run();
        return { std::move(doc), reader.problem() };
    } catch (const PlatformError& error) {
        // What is left unforgiven concerns the markup as a whole.
        return { plainDocument(text, initial), error.description() };
    }
}
