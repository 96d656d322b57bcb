#include "engine/api/SpokenText.h"

#include "engine/api/SpeechVoiceSpeakFlags.h"
#include "engine/markup/MarkupReader.h"
#include "platform/PlatformError.h"

#include <QFile>
#include <QStringDecoder>

SpokenText::SpokenText(const QString& text, int flags)
    : m_text((flags & SVSFIsFilename) ? readFile(text) : text)
{
    const bool xml = (flags & SVSFIsXML) || (!(flags & SVSFIsNotXML) && m_text.startsWith(QLatin1Char('<')));
    m_document = MarkupReader::readForgiving(m_text, xml).document;
}

QString SpokenText::span(qsizetype position, qsizetype length) const
{
    const qsizetype end = position + length;
    QString result;
    for (const MarkupItem& item : m_document.items) {
        if (item.kind != MarkupItem::Kind::Text || item.end <= position || item.begin >= end)
            continue;
        if (item.contentBegin >= 0) // an alias shows what it stands for
            result += m_text.mid(item.contentBegin, item.contentEnd - item.contentBegin);
        else if (!item.replacement.isNull()) // an entity: whole or not at all
            result += item.begin >= position && item.end <= end ? item.replacement : QString();
        else
            result
                += m_text.mid(std::max(position, item.begin), std::min(end, item.end) - std::max(position, item.begin));
    }
    return result;
}

QString SpokenText::readFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw PlatformError(QStringLiteral("Cannot open \"%1\": %2").arg(fileName, file.errorString()));
    const QByteArray bytes = file.readAll();
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}
