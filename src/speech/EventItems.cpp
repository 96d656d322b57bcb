#include "EventItems.h"

#include "engine/api/SpObjectToken.h"

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

EventItems EventItems::startStream(int StreamNum, const QVariant& StreamPos)
{
    EventItems line(QStringLiteral("StartStream"));
    line.add(QLatin1StringView("StreamNum="), StreamNum).add(QLatin1StringView("StreamPos="), StreamPos);
    return line;
}

EventItems EventItems::endStream(int StreamNum, const QVariant& StreamPos)
{
    EventItems line(QStringLiteral("EndStream"));
    line.add(QLatin1StringView("StreamNum="), StreamNum).add(QLatin1StringView("StreamPos="), StreamPos);
    return line;
}

EventItems EventItems::voiceChange(int StreamNum, const QVariant& StreamPos, const SpObjectToken& Token)
{
    EventItems line(QStringLiteral("VoiceChange"));
    line.add(QLatin1StringView("StreamNum="), StreamNum)
        .add(QLatin1StringView("StreamPos="), StreamPos)
        .add(QLatin1StringView("Token="), Token.GetDescription(0));
    return line;
}

EventItems EventItems::bookmark(
    int StreamNumber, const QVariant& StreamPosition, const QString& Bookmark, int BookmarkId)
{
    EventItems line(QStringLiteral("BookMark"));
    line.add(QLatin1StringView("StreamNumber="), StreamNumber)
        .add(QLatin1StringView("StreamPosition="), StreamPosition)
        .add(QLatin1StringView("Bookmark="), Bookmark)
        .add(QLatin1StringView("BookmarkId="), BookmarkId);
    return line;
}

EventItems EventItems::word(int StreamNum, const QVariant& StreamPos, int Pos, int Length)
{
    EventItems line(QStringLiteral("Word"));
    line.add(QLatin1StringView("StreamNum="), StreamNum)
        .add(QLatin1StringView("StreamPos="), StreamPos)
        .add(QLatin1StringView("Pos="), Pos)
        .add(QLatin1StringView("Length="), Length);
    return line;
}

EventItems EventItems::sentence(int StreamNum, const QVariant& StreamPos, int Pos, int Length)
{
    EventItems line(QStringLiteral("Sentence"));
    line.add(QLatin1StringView("StreamNum="), StreamNum)
        .add(QLatin1StringView("StreamPos="), StreamPos)
        .add(QLatin1StringView("Pos="), Pos)
        .add(QLatin1StringView("Length="), Length);
    return line;
}

EventItems EventItems::phoneme(
    int StreamNumber, const QVariant& StreamPosition, short NextPhoneId, int Feature, short CurrentPhoneId)
{
    EventItems line(QStringLiteral("Phoneme"));
    line.add(QLatin1StringView("StreamNumber="), StreamNumber)
        .add(QLatin1StringView("StreamPosition="), StreamPosition)
        .add(QLatin1StringView("NextPhoneId="), NextPhoneId)
        .add(QLatin1StringView("Feature="), Feature)
        .add(QLatin1StringView("CurrentPhoneId="), CurrentPhoneId);
    return line;
}

EventItems EventItems::viseme(
    int StreamNum, const QVariant& StreamPos, int Duration, int VisemeType, int Feature, int VisemeId)
{
    EventItems line(QStringLiteral("Viseme"));
    line.add(QLatin1StringView("StreamNum="), StreamNum)
        .add(QLatin1StringView("StreamPos="), StreamPos)
        .add(QLatin1StringView("Duration="), Duration)
        .add(QLatin1StringView("VisemeType="), VisemeType)
        .add(QLatin1StringView("Feature="), Feature)
        .add(QLatin1StringView("VisemeId="), VisemeId);
    return line;
}

EventItems EventItems::audioLevel(int StreamNumber, const QVariant& StreamPosition, int AudioLevel)
{
    EventItems line(QStringLiteral("AudioLevel"));
    line.add(QLatin1StringView("StreamNumber="), StreamNumber)
        .add(QLatin1StringView("StreamPosition="), StreamPosition)
        .add(QLatin1StringView("AudioLevel="), AudioLevel);
    return line;
}

EventItems EventItems::enginePrivate(int StreamNumber, int StreamPosition, const QVariant& lParam)
{
    EventItems line(QStringLiteral("EnginePrivate"));
    line.add(QLatin1StringView("StreamNumber="), StreamNumber)
        .add(QLatin1StringView("StreamPosition="), StreamPosition)
        .add(QLatin1StringView("lParam="), lParam);
    return line;
}
