#pragma once

#include "LocaleTextCodec.h"
#include "TextEncoding.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

// Buttons.ini, the phrases of the Programmed Buttons page: one line per phrase, each the phrase
// between double quotes followed by CR LF, in the encoding the file was read in (LocaleTextCodec).
// A double quote inside a phrase is written twice, so that every phrase reads back as it was
// written.
class ButtonSettingsFile {
public:
    static constexpr int phraseCount = 9;

    struct Contents {
        QStringList values;
        TextEncoding encoding = TextEncoding::Utf8;
    };

    explicit ButtonSettingsFile(QString path);

    const QString& path() const { return m_path; }

    // The file's values in order, at most phraseCount + 1 of them (enough to tell a file that
    // holds too many), and the encoding they were read in. Throws PlatformError when the file
    // cannot be opened or read.
    Contents read() const;
    // Replaces the file with one line per phrase and returns the encoding written (UTF-8 when
    // the code page cannot hold the phrases); an existing file stays as it was when the write
    // fails. Throws PlatformError with the path and the reason.
    TextEncoding write(const QStringList& phrases, TextEncoding encoding) const;

    // Values follow one another up to the end of the text, separated by commas or line ends
    // (CR LF, CR or LF). A value that starts with a double quote, after any blanks, runs to the
    // closing quote, line ends included, with "" inside it standing for one quote; whatever follows
    // it up to the next separator is skipped. A "" right before a line end whose reading as one
    // quote would run the value into the next line without a proper end (a closing quote followed
    // by a separator) is the value's last quote and its closing quote: the line """ of a writer
    // that does not double quotes is the phrase ". Any other value runs to the next separator,
    // with the blanks around it removed. Reading stops after maxValues values.
    static QStringList values(QStringView text, qsizetype maxValues);
    // The decoded bytes' values; a byte order mark at the start is skipped.
    static QStringList parse(QByteArrayView bytes, qsizetype maxValues);
    static LocaleTextCodec::EncodedText format(const QStringList& phrases, TextEncoding encoding);

private:
    QString m_path;
};
