#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

class SpObjectToken;

// The item list of one voice event as the event log shows it: the event's name first, then one
// "Key=value" item per argument. Numbers are plain decimal; variant values take their default text.
class EventItems {
public:
    explicit EventItems(const QString& name);

    // The items of each of the voice's ten events, keyed by the names of the event's arguments.
    static EventItems startStream(int StreamNum, const QVariant& StreamPos);
    static EventItems endStream(int StreamNum, const QVariant& StreamPos);
    static EventItems voiceChange(int StreamNum, const QVariant& StreamPos, const SpObjectToken& Token);
    static EventItems bookmark(
        int StreamNumber, const QVariant& StreamPosition, const QString& Bookmark, int BookmarkId);
    static EventItems word(int StreamNum, const QVariant& StreamPos, int Pos, int Length);
    static EventItems sentence(int StreamNum, const QVariant& StreamPos, int Pos, int Length);
    // The phoneme's duration is not logged.
    static EventItems phoneme(
        int StreamNumber, const QVariant& StreamPosition, short NextPhoneId, int Feature, short CurrentPhoneId);
    static EventItems viseme(
        int StreamNum, const QVariant& StreamPos, int Duration, int VisemeType, int Feature, int VisemeId);
    static EventItems audioLevel(int StreamNumber, const QVariant& StreamPosition, int AudioLevel);
    static EventItems enginePrivate(int StreamNumber, int StreamPosition, const QVariant& lParam);

    EventItems& add(QLatin1StringView key, qint64 value);
    EventItems& add(QLatin1StringView key, const QVariant& value);
    EventItems& add(QLatin1StringView key, const QString& value);

    const QStringList& items() const { return m_items; }
    const QString& name() const { return m_items.front(); }

    // A variant as text: empty when it holds nothing, its type's name in angle brackets when it
    // has no text form.
    static QString text(const QVariant& value);

private:
    QStringList m_items;
};
