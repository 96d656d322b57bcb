#include "engine/pronunciation/PronunciationRules.h"

#include "engine/markup/MarkupScanner.h"
#include "platform/PlatformError.h"

#include <algorithm>

namespace {

const QString notWordBefore = QStringLiteral(R"((?<![\p{L}\p{N}_]))");
const QString notWordAfter = QStringLiteral(R"((?![\p{L}\p{N}_]))");

QRegularExpression compile(const PronunciationRule& rule)
{
    QString pattern
        = rule.regularExpression ? QStringLiteral("(?:%1)").arg(rule.text) : QRegularExpression::escape(rule.text);
    if (rule.wholeWord)
        pattern = notWordBefore + pattern + notWordAfter;
    QRegularExpression::PatternOptions options = QRegularExpression::UseUnicodePropertiesOption;
    if (!rule.matchCase)
        options |= QRegularExpression::CaseInsensitiveOption;
    return QRegularExpression(pattern, options);
}

// spokenAs with \0 to \9 replaced by what the match's groups caught and \\ by one backslash.
QString expandGroups(const QString& spokenAs, const QRegularExpressionMatch& match)
{
    QString result;
    for (qsizetype i = 0; i < spokenAs.size(); ++i) {
        const QChar c = spokenAs.at(i);
        if (c == u'\\' && i + 1 < spokenAs.size()) {
            const QChar next = spokenAs.at(i + 1);
            if (next.isDigit() && next.digitValue() <= match.lastCapturedIndex()) {
                result += match.captured(next.digitValue());
                ++i;
                continue;
            }
            if (next == u'\\') {
                result += next;
                ++i;
                continue;
            }
        }
        result += c;
    }
    return result;
}

QString escapedForMarkup(QString text)
{
    text.replace(u'&', QLatin1String("&amp;"));
    text.replace(u'<', QLatin1String("&lt;"));
    text.replace(u'>', QLatin1String("&gt;"));
    return text;
}

// An entity or character reference, which a rule must not cut into.
const QRegularExpression& entityReference()
{
    static const QRegularExpression reference(QStringLiteral("&(#[0-9]+|#[xX][0-9a-fA-F]+|[A-Za-z][A-Za-z0-9]*);"));
    return reference;
}

} // namespace

PronunciationRules::PronunciationRules(std::vector<PronunciationRule> rules)
    : m_rules(std::move(rules))
{
    for (const PronunciationRule& rule : m_rules) {
        if (!problemOf(rule).isEmpty())
            continue;
        m_compiled.push_back({ compile(rule), rule.spokenAs, rule.regularExpression });
        m_compiled.back().pattern.optimize();
    }
}

QString PronunciationRules::problemOf(const PronunciationRule& rule)
{
    if (rule.text.isEmpty())
        return QStringLiteral("The rule has no text to find.");
    const QRegularExpression pattern = compile(rule);
    if (!pattern.isValid())
        return QStringLiteral("The regular expression is not valid: %1").arg(pattern.errorString());
    return {};
}

// The parts of the text that rules may rewrite: all of it, or with markup the text between
// tags less its entity references.
std::vector<PronunciationRules::Segment> PronunciationRules::openSegments(const QString& text, bool markup)
{
    if (!markup)
        return { { 0, text.size() } };
    std::vector<Segment> between;
    const MarkupScanner scanner(text);
    qsizetype from = 0;
    try {
        for (qsizetype lt = text.indexOf(u'<'); lt >= 0; lt = text.indexOf(u'<', lt + 1)) {
            const MarkupConstruct construct = scanner.at(lt);
            if (construct.kind == MarkupConstruct::Kind::Text)
                continue;
            between.push_back({ from, lt });
            from = construct.end;
            lt = construct.end - 1;
        }
        between.push_back({ from, text.size() });
    } catch (const PlatformError&) {
        // Markup that never ends leaves the rest as it is.
        between.push_back({ from, from });
    }
    std::vector<Segment> open;
    for (const Segment& part : between) {
        qsizetype at = part.start;
        // A reference holds no '<', so one that begins in this part ends in it.
        auto references = entityReference().globalMatch(text, part.start);
        while (references.hasNext()) {
            const QRegularExpressionMatch reference = references.next();
            if (reference.capturedStart() >= part.end)
                break;
            open.push_back({ at, reference.capturedStart() });
            at = reference.capturedEnd();
        }
        open.push_back({ at, part.end });
    }
    return open;
}

std::vector<PronunciationRules::Match> PronunciationRules::matchesIn(
    const QString& text, Segment segment, bool markup) const
{
    std::vector<Match> found;
    const QString part = text.mid(segment.start, segment.end - segment.start);
    for (size_t i = 0; i < m_compiled.size(); ++i) {
        const Compiled& rule = m_compiled[i];
        auto matches = rule.pattern.globalMatch(part);
        while (matches.hasNext()) {
            const QRegularExpressionMatch match = matches.next();
            if (match.capturedLength() == 0)
                continue;
            QString replacement = rule.expandGroups ? expandGroups(rule.spokenAs, match) : rule.spokenAs;
            found.push_back({ segment.start + match.capturedStart(), match.capturedLength(), i,
                markup ? escapedForMarkup(std::move(replacement)) : std::move(replacement) });
        }
    }
    std::sort(found.begin(), found.end(), [](const Match& a, const Match& b) {
        if (a.start != b.start)
            return a.start < b.start;
        if (a.length != b.length)
            return a.length > b.length;
        return a.rule < b.rule;
    });
    return found;
}

PronunciationRules::Rewritten PronunciationRules::apply(const QString& text, bool markup) const
{
    Rewritten result;
    if (m_compiled.empty() || text.isEmpty()) {
        result.text = text;
        return result;
    }
    qsizetype copied = 0;
    for (const Segment& segment : openSegments(text, markup)) {
        if (segment.end <= segment.start)
            continue;
        for (const Match& match : matchesIn(text, segment, markup)) {
            if (match.start < copied)
                continue; // overlaps a match taken before
            result.text += QStringView(text).sliced(copied, match.start - copied);
            result.map.addReplacement(result.text.size(), match.replacement.size(), match.start, match.length);
            result.text += match.replacement;
            copied = match.start + match.length;
        }
    }
    result.text += QStringView(text).sliced(copied);
    return result;
}
