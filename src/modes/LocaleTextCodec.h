#pragma once

#include "EightBitCodePage.h"
#include "TextEncoding.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// The system's text encodings for files, after the locale (LC_CTYPE) at the time of the call.
// Bytes that are valid UTF-8 are read as UTF-8; any other bytes are read in the locale's 8-bit
// code page, or in Windows-1252 where the locale names none (C, POSIX, UTF-8 and multi-byte
// sets). Either way every byte comes back when the text is written in the encoding it was read in.
namespace LocaleTextCodec {

struct DecodedText {
    QString text; // without the byte order mark
    TextEncoding encoding = TextEncoding::Utf8;
};

struct EncodedText {
    QByteArray bytes;
    TextEncoding encoding = TextEncoding::Utf8; // the one used, which may differ from the one asked for
};

// The 8-bit code page of the locale, or Windows-1252.
const EightBitCodePage& codePage();
// What a file that was never read is written in: UTF-8 in a UTF-8 locale, else the code page.
TextEncoding newFileEncoding();

DecodedText decode(QByteArrayView bytes);
// In the encoding asked for. A text that the code page cannot hold, or whose code page bytes
// would read back as UTF-8 and so as another text, is written as UTF-8 instead: no character is
// lost, and what is written reads back as the text.
EncodedText encode(QStringView text, TextEncoding encoding);

} // namespace LocaleTextCodec
