#pragma once

#include <QByteArray>
#include <QString>

// The editor's text files: the whole text in the system's encoding (LocaleTextCodec), line breaks
// as carriage return and line feed. Each call opens its file, does its work and closes it.
namespace EditorTextFile {

// Every byte of the file, decoded; throws PlatformError with the reason when it cannot be read.
QString read(const QString& path);
// Replaces the file's content with bytesOf(text); a failed write leaves an existing file as it
// was. Throws PlatformError with the reason on failure.
void write(const QString& path, const QString& text);
// The text with each '\n' as CR LF, and one line end added unless it ends with one already, so
// that reading a written file and writing it again gives the same bytes.
QByteArray bytesOf(const QString& text);

} // namespace EditorTextFile
