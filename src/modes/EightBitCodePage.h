#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <array>
#include <optional>
#include <vector>

// A single-byte character set as a table: one character for each of the 256 bytes, and the way
// back. Every byte has a character of its own, also where the set assigns none, so that a file
// read in the set is written back byte for byte.
class EightBitCodePage {
public:
    // Windows-1252: Latin-1 with printable characters in 0x80 to 0x9F. Its five unassigned bytes
    // (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the C1 control characters of the same number.
    static EightBitCodePage windows1252();
    // The set the text converters know by this name, or nothing when they do not know it or it
    // does not keep ASCII as it is. A byte the set leaves unassigned stands for the Latin-1
    // character of its number, or for U+F700 plus the byte when the set uses that one already.
    static std::optional<EightBitCodePage> fromConverter(const QByteArray& name);

    const QByteArray& name() const { return m_name; }
    QString decode(QByteArrayView bytes) const;
    // Nothing when the text holds a character that no byte of the set stands for.
    std::optional<QByteArray> encode(QStringView text) const;

private:
    using Table = std::array<char16_t, 256>;
    EightBitCodePage(QByteArray name, const Table& characters);

    QByteArray m_name;
    Table m_characters {};
    // The byte of each UTF-16 code unit, -1 where there is none.
    std::vector<qint16> m_bytes;
};
