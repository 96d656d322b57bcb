// Feeds arbitrary bytes to the Settings.ini reader and checks what it returns: seven clean
// fields, conversions that either fail with a description or give values that the writer puts
// back into a line reading as the same values, in the encoding it was read in. Any other failure, an escaping fault
// included, aborts.
#include "PlatformError.h"
#include "SettingsFile.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace {

void require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

template <typename Convert>
auto attempt(Convert convert, const QString& field) -> std::optional<decltype(convert(field))>
{
    try {
        return convert(field);
    } catch (const PlatformError& failure) {
        require(!failure.description().isEmpty(), "conversion fault without a description");
        return std::nullopt;
    }
}

void checkNumber(float value)
{
    const QString written = SettingsFile::formatNumber(value);
    require(!written.contains(u'e') && !written.contains(u'E'), "number written with an exponent");
    require(!written.startsWith(u' ') && !written.contains(u','), "number written with blank or separator");
    require(!written.endsWith(u'.') && !(written.contains(u'.') && written.endsWith(u'0')), "number not shortest");
    require(SettingsFile::toSingle(written) == value, "number does not read back");
}

void checkFields(const SettingsFields& read)
{
    for (const QString& field : read.fields) {
        require(!field.contains(u',') && !field.contains(u'\r') && !field.contains(u'\n'), "separator in a field");
        require(field.isEmpty() || (field.front() != u' ' && field.back() != u' '), "blank around a field");
        if (const auto single = attempt(&SettingsFile::toSingle, field)) {
            require(std::isfinite(*single), "number not finite");
            checkNumber(*single);
        }
        if (const auto number = attempt(&SettingsFile::toLong, field))
            require(SettingsFile::toLong(QString::number(*number)) == *number, "colour does not read back");
        attempt(&SettingsFile::toTruth, field);
    }
}

// When every field converts, writing the values and reading the line gives the same values.
void checkRoundTrip(const SettingsFields& read)
{
    const auto width = attempt(&SettingsFile::toSingle, read.fields[0]);
    const auto height = attempt(&SettingsFile::toSingle, read.fields[1]);
    const auto left = attempt(&SettingsFile::toSingle, read.fields[2]);
    const auto top = attempt(&SettingsFile::toSingle, read.fields[3]);
    const auto text = attempt(&SettingsFile::toLong, read.fields[4]);
    const auto back = attempt(&SettingsFile::toLong, read.fields[5]);
    const auto mark = attempt(&SettingsFile::toTruth, read.fields[6]);
    if (!width || !height || !left || !top || !text || !back || !mark)
        return;
    const SettingsValues values { *width, *height, *left, *top, *text, *back, *mark };
    const QByteArray line = SettingsFile::format(values, read.encoding);
    require(line.endsWith("\r\n") && line.count(',') == 6 && line.count('\n') == 1, "line not in its format");
    const SettingsFields again = SettingsFile::parse(line);
    // The line is ASCII, the same in UTF-8 and in the code page; only the byte order mark tells.
    require((again.encoding == TextEncoding::Utf8WithBom) == (read.encoding == TextEncoding::Utf8WithBom),
        "byte order mark not kept");
    require(SettingsFile::toSingle(again.fields[0]) == values.width, "width changed");
    require(SettingsFile::toSingle(again.fields[1]) == values.height, "height changed");
    require(SettingsFile::toSingle(again.fields[2]) == values.left, "left changed");
    require(SettingsFile::toSingle(again.fields[3]) == values.top, "top changed");
    require(SettingsFile::toLong(again.fields[4]) == values.textColor, "text colour changed");
    require(SettingsFile::toLong(again.fields[5]) == values.backColor, "background colour changed");
    require(SettingsFile::toTruth(again.fields[6]) == values.autoSpeech, "mark changed");
    require(SettingsFile::format(values, again.encoding) == line, "writing is not repeatable");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    std::optional<SettingsFields> read;
    try {
        read = SettingsFile::parse(bytes);
    } catch (const PlatformError& failure) {
        require(!failure.description().isEmpty(), "fault without a description");
    }
    // Past the parse, a fault that escapes is a finding: only attempt() expects faults.
    if (read) {
        checkFields(*read);
        checkRoundTrip(*read);
    }
    // The first bytes as a float reach numbers no decimal text would name, subnormals included.
    if (size >= sizeof(float)) {
        float value;
        std::memcpy(&value, data, sizeof value);
        if (std::isfinite(value))
            checkNumber(value);
    }
    return 0;
}
