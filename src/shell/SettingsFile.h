#pragma once

#include "LocaleTextCodec.h"
#include "TextEncoding.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>
#include <array>

// The values stored in Settings.ini: the main window's outer size and position in twips, the
// text boxes' text and background colour values, and the automatic-speech mark.
struct SettingsValues {
    float width = 0;
    float height = 0;
    float left = 0;
    float top = 0;
    qint32 textColor = 0;
    qint32 backColor = 0;
    bool autoSpeech = false;
};

// The seven fields of Settings.ini as read, still text. They are converted one at a time, so
// that a caller can apply them in order and stop at the first that fails.
struct SettingsFields {
    static constexpr int count = 7;
    std::array<QString, count> fields;
    // What the file was read in, for writing it back the same way.
    TextEncoding encoding = TextEncoding::Utf8;
};

// Reads and writes Settings.ini: one line of seven comma-separated fields ended by CR LF, in the
// encoding the file was read in (LocaleTextCodec; the line itself is ASCII, so only a UTF-8 byte
// order mark tells one from another). Every failure throws PlatformError with a description.
class SettingsFile {
public:
    explicit SettingsFile(QString path);

    const QString& path() const { return m_path; }

    // The file's first seven fields; throws when it cannot be opened or has fewer.
    SettingsFields read() const;
    // Replaces the file's content with the one line of values in the encoding given.
    void write(const SettingsValues& values, TextEncoding encoding) const;

    // Fields end at a comma or a line end; blanks around a field and empty lines between fields
    // are ignored, and whatever follows the seventh field is not read. A byte order mark at the
    // start is no part of the first field.
    static SettingsFields parse(QByteArrayView bytes);
    static QByteArray format(const SettingsValues& values, TextEncoding encoding);

    // Shortest decimal form that reads back as the same number: no exponent, no thousands
    // separator, "." as decimal point, no decimal part for whole values.
    static QString formatNumber(float value);

    // Conversions of one field; each throws when the field does not convert or is out of range.
    static float toSingle(const QString& field);
    static qint32 toLong(const QString& field);
    // "#TRUE#" or "#FALSE#", or a number that is true when it is not zero.
    static bool toTruth(const QString& field);

private:
    QString m_path;
};
