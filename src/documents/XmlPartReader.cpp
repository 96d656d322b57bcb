#include "XmlPartReader.h"

#include "ExtractionProgress.h"
#include "PlatformError.h"

namespace {
constexpr int tokensPerCheck = 4096;
} // namespace

XmlPartReader::XmlPartReader(const QByteArray& part, ExtractionProgress& progress)
    : m_xml(part)
    , m_progress(progress)
{
}

bool XmlPartReader::next()
{
    if (++m_count % tokensPerCheck == 0)
        m_progress.step(m_progress.done(), m_progress.total());
    const QXmlStreamReader::TokenType token = m_xml.readNext();
    if (token == QXmlStreamReader::DTD && !m_xml.entityDeclarations().isEmpty())
        throw PlatformError(QStringLiteral("The document declares entities, which are not read."));
    if (token == QXmlStreamReader::Invalid)
        throw PlatformError(QStringLiteral("The document is damaged: %1").arg(m_xml.errorString()));
    return token != QXmlStreamReader::EndDocument;
}

QString XmlPartReader::attribute(QStringView space, QStringView name) const
{
    return m_xml.attributes().value(space.toString(), name.toString()).toString();
}

bool XmlPartReader::isStart(QStringView space, QStringView name) const
{
    return m_xml.isStartElement() && m_xml.namespaceUri() == space && m_xml.name() == name;
}

bool XmlPartReader::isEnd(QStringView space, QStringView name) const
{
    return m_xml.isEndElement() && m_xml.namespaceUri() == space && m_xml.name() == name;
}
