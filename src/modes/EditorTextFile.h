#pragma once

#include "LocaleTextCodec.h"
#include "TextEncoding.h"

#include <QByteArray>
#include <QString>

// The editor's text files: the whole text in the encoding it was read in (LocaleTextCodec), line
// breaks as carriage return and line feed. Each call opens its file, does its work and closes it.
namespace EditorTextFile {

// Every byte of the file, decoded, with the encoding it was read in; throws PlatformError with
// the reason when it cannot be read.
LocaleTextCodec::DecodedText read(const QString& path);
// Replaces the file's content with bytesOf(text, encoding) and returns the encoding written; a
// failed write leaves an existing file as it was. Throws PlatformError with the reason on failure.
TextEncoding write(const QString& path, const QString& text, TextEncoding encoding);
// The text with each '\n' as CR LF, and one line end added unless it ends with one already, so
// that reading a written file and writing it again gives the same bytes. A text that the code
// page cannot hold comes out as UTF-8.
LocaleTextCodec::EncodedText bytesOf(const QString& text, TextEncoding encoding);

} // namespace EditorTextFile
