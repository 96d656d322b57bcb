#include "EightBitCodePage.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <utility>

namespace {

constexpr int byteCount = 256;
constexpr int unitCount = 0x10000;
constexpr char16_t privateUseBase = 0xF700;

// Windows-1252 from 0x80 to 0x9F; the rest of the set is Latin-1.
constexpr std::array<char16_t, 32> windows1252High { 0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178 };

// The one character that the converter makes of the byte alone and turns back into it.
std::optional<char16_t> convertedByte(const QByteArray& name, char byte)
{
    QStringDecoder decoder(name.constData(), QStringConverter::Flag::Stateless);
    const QString text = decoder.decode(QByteArrayView(&byte, 1));
    if (decoder.hasError() || text.size() != 1 || text[0] == QChar::ReplacementCharacter)
        return std::nullopt;
    QStringEncoder encoder(name.constData(), QStringConverter::Flag::Stateless);
    if (QByteArray(encoder.encode(text)) != QByteArray(1, byte))
        return std::nullopt;
    return text[0].unicode();
}

// A character for an unassigned byte that no other byte has taken.
char16_t freeCharacter(const std::array<bool, unitCount>& taken, int byte)
{
    const auto latin1 = static_cast<char16_t>(byte);
    return taken[latin1] ? static_cast<char16_t>(privateUseBase + byte) : latin1;
}

} // namespace

EightBitCodePage EightBitCodePage::windows1252()
{
    Table characters {};
    for (int byte = 0; byte < byteCount; ++byte)
        characters[byte] = static_cast<char16_t>(byte);
    for (std::size_t i = 0; i < windows1252High.size(); ++i)
        characters[0x80 + i] = windows1252High[i];
    return EightBitCodePage(QByteArrayLiteral("windows-1252"), characters);
}

std::optional<EightBitCodePage> EightBitCodePage::fromConverter(const QByteArray& name)
{
    if (!QStringDecoder(name.constData()).isValid())
        return std::nullopt;
    std::array<std::optional<char16_t>, byteCount> assigned;
    std::array<bool, unitCount> taken {};
    for (int byte = 0; byte < byteCount; ++byte) {
        const std::optional<char16_t> character = convertedByte(name, static_cast<char>(byte));
        // A set that changes ASCII (UTF-16, EBCDIC) is no code page for these files.
        if (byte < 0x80 && character != char16_t(byte))
            return std::nullopt;
        // A character that two bytes share stays with the first, so the way back is unique.
        if (character && !taken[*character]) {
            assigned[byte] = character;
            taken[*character] = true;
        }
    }
    Table characters {};
    for (int byte = 0; byte < byteCount; ++byte) {
        characters[byte] = assigned[byte] ? *assigned[byte] : freeCharacter(taken, byte);
        taken[characters[byte]] = true;
    }
    return EightBitCodePage(name, characters);
}

EightBitCodePage::EightBitCodePage(QByteArray name, const Table& characters)
    : m_name(std::move(name))
    , m_characters(characters)
    , m_bytes(unitCount, -1)
{
    for (int byte = 0; byte < byteCount; ++byte)
        m_bytes[m_characters[byte]] = static_cast<qint16>(byte);
}

QString EightBitCodePage::decode(QByteArrayView bytes) const
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : bytes)
        *out++ = QChar(m_characters[static_cast<unsigned char>(byte)]);
    return text;
}

std::optional<QByteArray> EightBitCodePage::encode(QStringView text) const
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char* out = bytes.data();
    for (const QChar character : text) {
        const qint16 byte = m_bytes[character.unicode()];
        if (byte < 0)
            return std::nullopt;
        *out++ = static_cast<char>(byte);
    }
    return bytes;
}
