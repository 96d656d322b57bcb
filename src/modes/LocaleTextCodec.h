#pragma once

#include <QByteArray>
#include <QString>

// The system's text encoding for files: the character set of the locale (LC_CTYPE) at the time
// of the call. A UTF-8 locale keeps UTF-8 and a locale with an 8-bit set keeps that set. The C and
// POSIX locales, whose set is plain ASCII, use Latin-1, which reads every byte as one character,
// so no file loses a byte on its way in and out.
namespace LocaleTextCodec {

// The encoding's name, as the text converters know it.
QByteArray encodingName();
// Bytes that are not valid in the encoding become U+FFFD; a leading byte order mark is kept.
QString decode(const QByteArray& bytes);
// Characters the encoding lacks become its replacement character ('?' in the 8-bit sets).
QByteArray encode(const QString& text);

} // namespace LocaleTextCodec
