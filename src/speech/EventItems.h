#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

// The item list of one voice event as the event log shows it: the event's name first, then one
// "Key=value" item per argument. Numbers are plain decimal; variant values take their default text.
class EventItems {
public:
    explicit EventItems(const QString& name);

    EventItems& add(QLatin1StringView key, qint64 value);
    EventItems& add(QLatin1StringView key, const QVariant& value);
    EventItems& add(QLatin1StringView key, const QString& value);

    const QStringList& items() const { return m_items; }

    // A variant as text: empty when it holds nothing, its type's name in angle brackets when it
    // has no text form.
    static QString text(const QVariant& value);

private:
    QStringList m_items;
};
