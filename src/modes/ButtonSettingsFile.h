#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

// Buttons.ini, the phrases of the Programmed Buttons page: one line per phrase, each the phrase
// between double quotes followed by CR LF, in the system's encoding (LocaleTextCodec). A double
// quote inside a phrase is written twice, so that every phrase reads back as it was written.
class ButtonSettingsFile {
public:
    static constexpr int phraseCount = 9;

    explicit ButtonSettingsFile(QString path);

    const QString& path() const { return m_path; }

    // The file's values in order, at most phraseCount + 1 of them: enough to tell a file that
    // holds too many. Throws PlatformError when the file cannot be opened or read.
    QStringList read() const;
    // Replaces the file with one line per phrase; an existing file stays as it was when the write
    // fails. Throws PlatformError with the path and the reason.
    void write(const QStringList& phrases) const;

    // Values follow one another up to the end of the text, separated by commas or line ends
    // (CR LF, CR or LF). A value that starts with a double quote, after any blanks, runs to the
    // closing quote, line ends included, with "" inside it standing for one quote; whatever follows
    // it up to the next separator is skipped. Any other value runs to the next separator, with
    // the blanks around it removed. A byte order mark at the start is skipped. Reading stops
    // after maxValues values.
    static QStringList parse(QByteArrayView bytes, qsizetype maxValues);
    static QByteArray format(const QStringList& phrases);

private:
    QString m_path;
};
