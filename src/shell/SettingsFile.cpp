#include "SettingsFile.h"

#include "PlatformError.h"

#include <QFile>
#include <QStringList>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>

namespace {

// A settings line is a few dozen bytes; a huge file is not read whole into memory.
constexpr qint64 readLimit = qint64 { 64 } * 1024;

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

bool isLineEnd(QChar c)
{
    return c == u'\r' || c == u'\n';
}

qsizetype skipLineEnd(const QString& text, qsizetype pos)
{
    if (text[pos] == u'\r' && pos + 1 < text.size() && text[pos + 1] == u'\n')
        return pos + 2;
    return pos + 1;
}

[[noreturn]] void typeMismatch(const QString& field)
{
    throw PlatformError(QStringLiteral("Type mismatch: \"%1\" is not a number.").arg(field));
}

[[noreturn]] void overflow(const QString& field)
{
    throw PlatformError(QStringLiteral("Overflow: %1 is out of range.").arg(field));
}

// The field as ASCII, or nothing when it holds any other character.
std::string asciiOf(const QString& field)
{
    std::string ascii;
    ascii.reserve(static_cast<std::size_t>(field.size()));
    for (QChar c : field) {
        if (c.unicode() > 0x7F)
            typeMismatch(field);
        ascii.push_back(static_cast<char>(c.unicode()));
    }
    return ascii;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::size_t skipDigits(std::string_view text, std::size_t pos)
{
    while (pos < text.size() && isDigit(text[pos]))
        ++pos;
    return pos;
}

// Unsigned decimal: digits with an optional fraction (at least one digit in all), then an
// optional exponent. Words such as "inf" or "nan" are no numbers here.
bool isUnsignedDecimal(std::string_view text)
{
    std::size_t pos = skipDigits(text, 0);
    std::size_t digits = pos;
    if (pos < text.size() && text[pos] == '.') {
        const std::size_t fraction = pos + 1;
        pos = skipDigits(text, fraction);
        digits += pos - fraction;
    }
    if (digits == 0)
        return false;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        ++pos;
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
            ++pos;
        const std::size_t exponent = pos;
        pos = skipDigits(text, exponent);
        if (pos == exponent)
            return false;
    }
    return pos == text.size();
}

struct SignedText {
    bool negative = false;
    std::string_view body;
};

SignedText splitSign(std::string_view text)
{
    if (!text.empty() && (text.front() == '+' || text.front() == '-'))
        return { text.front() == '-', text.substr(1) };
    return { false, text };
}

template <typename Real> Real toReal(const QString& field)
{
    const std::string ascii = asciiOf(field);
    const SignedText number = splitSign(ascii);
    if (!isUnsignedDecimal(number.body))
        typeMismatch(field);
    Real value {};
    const char* end = number.body.data() + number.body.size();
    const auto [stop, error] = std::from_chars(number.body.data(), end, value, std::chars_format::general);
    if (error == std::errc::result_out_of_range)
        overflow(field);
    if (error != std::errc() || stop != end)
        typeMismatch(field);
    return number.negative ? -value : value;
}

} // namespace

SettingsFile::SettingsFile(QString path)
    : m_path(std::move(path))
{
}

SettingsFields SettingsFile::read() const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        throw PlatformError(QStringLiteral("%1: %2").arg(m_path, file.errorString()));
    const QByteArray bytes = file.read(readLimit);
    if (file.error() != QFileDevice::NoError)
        throw PlatformError(QStringLiteral("%1: %2").arg(m_path, file.errorString()));
    return parse(bytes);
}

void SettingsFile::write(const SettingsValues& values, TextEncoding encoding) const
{
    const QByteArray line = format(values, encoding);
    QFile file(m_path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw PlatformError(QStringLiteral("%1: %2").arg(m_path, file.errorString()));
    const bool written = file.write(line) == line.size() && file.flush();
    file.close();
    if (!written || file.error() != QFileDevice::NoError)
        throw PlatformError(QStringLiteral("%1: %2").arg(m_path, file.errorString()));
}

SettingsFields SettingsFile::parse(QByteArrayView bytes)
{
    const LocaleTextCodec::DecodedText decoded = LocaleTextCodec::decode(bytes);
    const QString& text = decoded.text;
    const qsizetype end = text.size();
    SettingsFields result;
    result.encoding = decoded.encoding;
    qsizetype pos = 0;
    bool atLineStart = true;
    for (QString& field : result.fields) {
        while (pos < end && (isBlank(text[pos]) || (atLineStart && isLineEnd(text[pos]))))
            pos = isBlank(text[pos]) ? pos + 1 : skipLineEnd(text, pos);
        if (pos >= end)
            throw PlatformError(QStringLiteral("Input past end of file: Settings.ini holds fewer than seven fields."));
        const qsizetype start = pos;
        while (pos < end && text[pos] != u',' && !isLineEnd(text[pos]))
            ++pos;
        qsizetype stop = pos;
        while (stop > start && isBlank(text[stop - 1]))
            --stop;
        field = text.mid(start, stop - start);
        atLineStart = pos >= end || isLineEnd(text[pos]);
        if (pos < end)
            pos = atLineStart ? skipLineEnd(text, pos) : pos + 1;
    }
    return result;
}

QByteArray SettingsFile::format(const SettingsValues& values, TextEncoding encoding)
{
    const QStringList fields { formatNumber(values.width), formatNumber(values.height), formatNumber(values.left),
        formatNumber(values.top), QString::number(values.textColor), QString::number(values.backColor),
        values.autoSpeech ? QStringLiteral("#TRUE#") : QStringLiteral("#FALSE#") };
    return LocaleTextCodec::encode(fields.join(u',') + QStringLiteral("\r\n"), encoding).bytes;
}

QString SettingsFile::formatNumber(float value)
{
    if (!std::isfinite(value))
        throw PlatformError(QStringLiteral("Overflow: %1 cannot be written as a number.").arg(value));
    // Zero carries no sign, whichever zero it is.
    if (value == 0)
        return QStringLiteral("0");
    // The shortest digits that read back as the value, then written out without an exponent.
    char text[64];
    const auto [stop, error] = std::to_chars(std::begin(text), std::end(text), value, std::chars_format::scientific);
    if (error != std::errc())
        throw PlatformError(QStringLiteral("Overflow: %1 cannot be written as a number.").arg(value));
    const std::string_view scientific(text, static_cast<std::size_t>(stop - text));
    const std::size_t e = scientific.find('e');
    const bool negative = scientific.front() == '-';
    std::string digits;
    for (char c : scientific.substr(negative ? 1 : 0, e - (negative ? 1 : 0))) {
        if (c != '.')
            digits.push_back(c);
    }
    const int exponent = std::stoi(std::string(scientific.substr(e + 1)));
    const int whole = exponent + 1; // digits before the decimal point
    const int count = static_cast<int>(digits.size());
    std::string fixed;
    if (whole <= 0)
        fixed = "0." + std::string(static_cast<std::size_t>(-whole), '0') + digits;
    else if (whole >= count)
        fixed = digits + std::string(static_cast<std::size_t>(whole - count), '0');
    else
        fixed
            = digits.substr(0, static_cast<std::size_t>(whole)) + '.' + digits.substr(static_cast<std::size_t>(whole));
    return QString::fromLatin1((negative ? "-" : "") + fixed);
}

float SettingsFile::toSingle(const QString& field)
{
    return toReal<float>(field);
}

qint32 SettingsFile::toLong(const QString& field)
{
    const std::string ascii = asciiOf(field);
    const SignedText number = splitSign(ascii);
    if (number.body.empty() || skipDigits(number.body, 0) != number.body.size())
        typeMismatch(field);
    // Leading zeros are harmless; a magnitude beyond 32 bits is not.
    const std::size_t first = std::min(number.body.find_first_not_of('0'), number.body.size());
    const std::string_view digits = number.body.substr(first);
    if (digits.size() > 10)
        overflow(field);
    qint64 magnitude = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), magnitude);
    const qint64 value = number.negative ? -magnitude : magnitude;
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
        overflow(field);
    return static_cast<qint32>(value);
}

bool SettingsFile::toTruth(const QString& field)
{
    if (field.compare(QLatin1String("#TRUE#"), Qt::CaseInsensitive) == 0)
        return true;
    if (field.compare(QLatin1String("#FALSE#"), Qt::CaseInsensitive) == 0)
        return false;
    return toReal<double>(field) != 0;
}
