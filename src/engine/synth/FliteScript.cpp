#include "engine/synth/FliteScript.h"

#include <QRegularExpression>
#include <QString>
#include <algorithm>

namespace {

QString attribute(const QString& tag, const QString& name)
{
    static const QRegularExpression pattern(QStringLiteral(R"re(([\w:-]+)\s*=\s*(?:"([^"]*)"|'([^']*)'))re"));
    for (auto it = pattern.globalMatch(tag); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        if (match.captured(1) == name)
            return match.captured(2).isNull() ? match.captured(3) : match.captured(2);
    }
    return {};
}

// "150%" is half again as much; "+20%" and "-20%" change by a fifth; a bare number is a percent
// of normal for a volume. Anything else changes nothing.
double relativeFactor(const QString& value, bool signedChange)
{
    QString number = value.trimmed();
    const bool percent = number.endsWith(QLatin1Char('%'));
    if (percent)
        number.chop(1);
    bool ok = false;
    const double amount = number.toDouble(&ok);
    if (!ok)
        return 1.0;
    const bool change = signedChange || number.startsWith(QLatin1Char('+')) || number.startsWith(QLatin1Char('-'));
    return std::clamp(change ? 1.0 + amount / 100.0 : amount / 100.0, 0.0, 4.0);
}

int breakMilliseconds(const QString& tag)
{
    const QString time = attribute(tag, QStringLiteral("time")).trimmed();
    if (time.endsWith(QLatin1String("ms")))
        return std::max(0, time.chopped(2).toInt());
    if (time.endsWith(QLatin1Char('s')))
        return std::max(0, static_cast<int>(time.chopped(1).toDouble() * 1000));
    const QString strength = attribute(tag, QStringLiteral("strength"));
    static const std::pair<const char*, int> strengths[] { { "none", 0 }, { "x-weak", 100 }, { "weak", 200 },
        { "strong", 700 }, { "x-strong", 1000 } };
    for (const auto& [name, ms] : strengths)
        if (strength == QLatin1String(name))
            return ms;
    return 400;
}

// The plain ASCII Flite's English front end reads for a character; a blank for what it cannot.
QByteArray asciiFor(char32_t c)
{
    if (c < 0x80)
        return c < 0x20 || c == 0x7f ? QByteArray(" ") : QByteArray(1, static_cast<char>(c));
    switch (c) {
    case U'‘':
    case U'’':
    case U'‚':
    case U'‛':
    case U'′':
        return "'";
    case U'“':
    case U'”':
    case U'„':
    case U'‟':
    case U'″':
    case U'«':
    case U'»':
        return "\"";
    case U'‐':
    case U'‑':
    case U'‒':
    case U'–':
    case U'—':
    case U'―':
    case U'−':
        return "-";
    case U'…':
        return "...";
    case U'ß':
        return "ss";
    case U'æ':
        return "ae";
    case U'Æ':
        return "AE";
    case U'œ':
        return "oe";
    case U'Œ':
        return "OE";
    case U'ø':
        return "o";
    case U'Ø':
        return "O";
    case U'đ':
    case U'ð':
        return "d";
    case U'ł':
        return "l";
    case U'Ł':
        return "L";
    case U'þ':
        return "th";
    default:
        break;
    }
    // A letter with accents reads as its bare letter.
    const QString decomposed = QString::fromUcs4(&c, 1).normalized(QString::NormalizationForm_KD);
    if (!decomposed.isEmpty() && decomposed[0].unicode() > 0x20 && decomposed[0].unicode() < 0x7f)
        return QByteArray(1, static_cast<char>(decomposed[0].unicode()));
    return " ";
}

// Punctuation read out by name; Flite itself reads symbols such as % and $.
const char* punctuationName(char32_t c)
{
    static const std::pair<char32_t, const char*> names[] { { '.', "dot" }, { ',', "comma" },
        { '!', "exclamation mark" }, { '?', "question mark" }, { ';', "semicolon" }, { ':', "colon" },
        { '\'', "apostrophe" }, { '"', "quote" }, { '(', "left bracket" }, { ')', "right bracket" },
        { '[', "left square bracket" }, { ']', "right square bracket" }, { '{', "left brace" }, { '}', "right brace" },
        { '-', "dash" }, { '/', "slash" }, { '\\', "backslash" }, { '*', "star" }, { '_', "underscore" },
        { '<', "less than" }, { '>', "greater than" }, { '=', "equals" }, { '|', "bar" }, { '~', "tilde" },
        { '^', "caret" }, { '`', "back quote" } };
    for (const auto& [mark, name] : names)
        if (mark == c)
            return name;
    return nullptr;
}

char32_t entity(const QString& name)
{
    if (name == QLatin1String("amp"))
        return '&';
    if (name == QLatin1String("lt"))
        return '<';
    if (name == QLatin1String("gt"))
        return '>';
    if (name == QLatin1String("quot"))
        return '"';
    if (name == QLatin1String("apos"))
        return '\'';
    bool ok = false;
    const uint value = name.startsWith(QLatin1String("#x")) ? name.mid(2).toUInt(&ok, 16)
        : name.startsWith(QLatin1Char('#'))                 ? name.mid(1).toUInt(&ok)
                                                            : 0;
    return ok ? value : U' ';
}

} // namespace

FliteScript::FliteScript(const QByteArray& ssml, bool speakPunctuation)
    : m_speakPunctuation(speakPunctuation)
{
    const QString text = QString::fromUtf8(ssml);
    int position = 0; // in code points, as the positions Flite's words map back to
    for (qsizetype i = 0; i < text.size(); ++position) {
        const QChar ch = text[i];
        if (ch == QLatin1Char('<')) {
            const qsizetype end = text.indexOf(QLatin1Char('>'), i);
            const qsizetype last = end < 0 ? text.size() - 1 : end;
            tag(text.mid(i + 1, last - i - 1));
            position += static_cast<int>(text.mid(i, last - i + 1).toUcs4().size()) - 1;
            i = last + 1;
            continue;
        }
        if (ch == QLatin1Char('&')) {
            const qsizetype end = text.indexOf(QLatin1Char(';'), i);
            if (end > i && end - i <= 10) {
                character(entity(text.mid(i + 1, end - i - 1)), position);
                position += static_cast<int>(end - i);
                i = end + 1;
                continue;
            }
        }
        char32_t c = ch.unicode();
        if (ch.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(ch, text[i + 1]);
            ++i;
        }
        character(c, position);
        ++i;
    }
    std::erase_if(m_pieces, [](const Piece& p) { return !p.pause && p.marks.empty() && !p.spoken(); });
    // Flite's tokenizer notes where a token ended by the blank after it.
    for (Piece& piece : m_pieces)
        if (!piece.pause && !piece.text.endsWith(' ')) {
            piece.origins.push_back(piece.origins.empty() ? position : piece.origins.back());
            piece.text.append(' ');
        }
}

void FliteScript::tag(const QString& tag)
{
    if (tag.startsWith(QLatin1Char('!')) || tag.startsWith(QLatin1Char('?')))
        return; // comments, declarations
    if (tag.startsWith(QLatin1Char('/'))) {
        const QString name = tag.mid(1).trimmed();
        const auto open = std::find(m_open.rbegin(), m_open.rend(), name);
        if (open == m_open.rend())
            return;
        const auto keep = static_cast<size_t>(m_open.rend() - open - 1);
        m_open.resize(keep);
        m_stack.resize(keep + 1);
        return;
    }
    const QString name = tag.section(QRegularExpression(QStringLiteral(R"([\s/])")), 0, 0);
    if (name == QLatin1String("mark")) {
        Piece& piece = speech();
        piece.marks.push_back({ attribute(tag, QStringLiteral("name")).toUtf8(), static_cast<int>(piece.text.size()) });
    } else if (name == QLatin1String("break")) {
        Piece pause;
        pause.pause = true;
        pause.milliseconds = breakMilliseconds(tag);
        m_pieces.push_back(pause);
    } else if (!tag.endsWith(QLatin1Char('/'))) {
        openTag(name, tag);
    }
}

void FliteScript::openTag(const QString& name, const QString& tag)
{
    Prosody next = m_stack.back();
    if (name == QLatin1String("prosody")) {
        const QString rate = attribute(tag, QStringLiteral("rate"));
        if (!rate.isEmpty())
            next.rate *= std::max(0.1, relativeFactor(rate, false));
        const QString pitch = attribute(tag, QStringLiteral("pitch"));
        if (!pitch.isEmpty())
            next.pitch *= relativeFactor(pitch, true);
        const QString volume = attribute(tag, QStringLiteral("volume"));
        if (!volume.isEmpty())
            next.volume = relativeFactor(volume, false);
    } else if (name == QLatin1String("emphasis")) {
        // Flite has no emphasis of its own: a little slower and higher.
        next.rate *= 0.87;
        next.pitch *= 1.1;
    } else if (name == QLatin1String("say-as")) {
        const QString how = attribute(tag, QStringLiteral("interpret-as"));
        next.spell = how == QLatin1String("characters") || how == QLatin1String("spell-out");
    }
    m_stack.push_back(next);
    m_open.push_back(name);
}

FliteScript::Piece& FliteScript::speech()
{
    const Prosody& p = m_stack.back();
    const auto same = [&p](const Piece& piece) {
        return !piece.pause && piece.rate == p.rate && piece.pitch == p.pitch && piece.volume == p.volume;
    };
    if (m_pieces.empty() || !same(m_pieces.back())) {
        Piece piece;
        piece.rate = p.rate;
        piece.pitch = p.pitch;
        piece.volume = p.volume;
        m_pieces.push_back(piece);
    }
    return m_pieces.back();
}

void FliteScript::append(const QByteArray& bytes, int position)
{
    Piece& piece = speech();
    piece.text.append(bytes);
    piece.origins.insert(piece.origins.end(), static_cast<size_t>(bytes.size()), position);
}

void FliteScript::character(char32_t c, int position)
{
    const bool blank = QChar::isSpace(c);
    // A blank belongs to no prosody: it joins whatever text went before it.
    if (blank && !m_pieces.empty() && !m_pieces.back().pause) {
        m_pieces.back().text.append(' ');
        m_pieces.back().origins.push_back(position);
        return;
    }
    if (blank)
        return append(" ", position);
    if (m_stack.back().spell && QChar::isLetterOrNumber(c)) {
        // Capitals are read as letter names ("a" alone would be the article).
        return append(asciiFor(QChar::toUpper(c)) + ' ', position);
    }
    if (const char* name = m_speakPunctuation ? punctuationName(c) : nullptr)
        return append(QByteArray(" ") + name + ' ', position);
    append(asciiFor(c), position);
}
