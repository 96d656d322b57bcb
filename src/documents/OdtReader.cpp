#include "OdtReader.h"

#include "DocumentText.h"
#include "ExtractionProgress.h"
#include "PlatformError.h"
#include "XmlPartReader.h"
#include "ZippedXmlPart.h"

namespace {

using Break = DocumentText::Break;

const QString textSpace = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
const QString tableSpace = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
const QString officeSpace = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0");

// Reads content.xml's body into the text.
class OdtContent {
public:
    OdtContent(XmlPartReader& xml, DocumentText& out)
        : m_xml(xml)
        , m_out(out)
    {
    }

    void read()
    {
        while (m_xml.next()) {
            if (m_skipDepth > 0)
                skipping();
            else if (m_xml.xml().isStartElement())
                started();
            else if (m_xml.xml().isEndElement())
                ended();
            else if (m_xml.xml().isCharacters() && m_inBody)
                m_out.add(m_xml.xml().text());
        }
    }

private:
    void skipping()
    {
        if (m_xml.xml().isStartElement())
            ++m_skipDepth;
        else if (m_xml.xml().isEndElement())
            --m_skipDepth;
    }

    bool isText(QAnyStringView name) const
    {
        return m_xml.xml().namespaceUri() == textSpace && m_xml.xml().name() == name;
    }
    bool isTable(QStringView name) const
    {
        return m_xml.xml().namespaceUri() == tableSpace && m_xml.xml().name() == name;
    }

    bool leftOut() const
    {
        if (m_xml.isStart(officeSpace, u"annotation"))
            return true;
        if (isText(u"hidden-paragraph"))
            return m_xml.attribute(textSpace, u"is-hidden") != QLatin1String("false");
        for (const char* name : { "note", "tracked-changes", "hidden-text", "sequence-decls", "variable-decls",
                 "user-field-decls", "bookmark-ref" }) {
            if (isText(QLatin1String(name)))
                return true;
        }
        return false;
    }

    Break paragraphBreak() const
    {
        if (m_cellDepth > 0)
            return Break::Space;
        return m_listDepth > 0 ? Break::Line : Break::Paragraph;
    }

    void started()
    {
        if (m_xml.isStart(officeSpace, u"text")) {
            m_inBody = true;
            return;
        }
        if (!m_inBody)
            return;
        if (leftOut()) {
            m_skipDepth = 1;
            return;
        }
        if (isText(u"h") || isText(u"p"))
            m_out.separate(paragraphBreak());
        else if (isText(u"list"))
            m_out.separate(m_listDepth++ > 0 ? Break::Line : Break::Paragraph);
        else if (isText(u"list-item") || isText(u"line-break") || isTable(u"table-row"))
            m_out.separate(Break::Line);
        else if (isTable(u"table"))
            m_out.separate(Break::Paragraph);
        else if (isTable(u"table-cell") || isTable(u"covered-table-cell"))
            startCell();
        else if (isText(u"s") || isText(u"tab"))
            m_out.separate(Break::Space);
    }

    void startCell()
    {
        ++m_cellDepth;
        m_out.separate(Break::Cell);
    }

    void ended()
    {
        if (m_xml.isEnd(officeSpace, u"text"))
            m_inBody = false;
        if (!m_inBody)
            return;
        if (isText(u"h") || isText(u"p"))
            m_out.separate(paragraphBreak());
        else if (isText(u"list"))
            m_out.separate(--m_listDepth > 0 ? Break::Line : Break::Paragraph);
        else if (isTable(u"table"))
            m_out.separate(Break::Paragraph);
        else if (isTable(u"table-row"))
            m_out.separate(Break::Line);
        else if (isTable(u"table-cell") || isTable(u"covered-table-cell"))
            m_cellDepth = qMax(0, m_cellDepth - 1);
    }

    XmlPartReader& m_xml;
    DocumentText& m_out;
    bool m_inBody = false;
    int m_skipDepth = 0;
    int m_listDepth = 0;
    int m_cellDepth = 0;
};

} // namespace

namespace OdtReader {

QString read(const QString& path, ExtractionProgress& progress)
{
    return readZippedXmlPart<OdtContent>(path, QStringLiteral("content.xml"), progress);
}

} // namespace OdtReader
