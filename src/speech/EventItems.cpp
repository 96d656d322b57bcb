#include "EventItems.h"

EventItems::EventItems(const QString& name)
{
    m_items.reserve(7);
    m_items << name;
}

EventItems& EventItems::add(QLatin1StringView key, qint64 value)
{
    m_items << key + QString::number(value);
    return *this;
}

EventItems& EventItems::add(QLatin1StringView key, const QVariant& value)
{
    m_items << key + text(value);
    return *this;
}

EventItems& EventItems::add(QLatin1StringView key, const QString& value)
{
    m_items << key + value;
    return *this;
}

QString EventItems::text(const QVariant& value)
{
    if (!value.isValid())
        return {};
    if (value.canConvert<QString>())
        return value.toString();
    return QStringLiteral("<%1>").arg(QLatin1String(value.typeName()));
}
