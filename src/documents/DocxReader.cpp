#include "DocxReader.h"

#include "DocumentText.h"
#include "ExtractionProgress.h"
#include "PlatformError.h"
#include "XmlPartReader.h"
#include "ZippedXmlPart.h"

namespace {

using Break = DocumentText::Break;

const QString wordSpace = QStringLiteral("http://schemas.openxmlformats.org/wordprocessingml/2006/main");
const QString drawingSpace = QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing");

bool switchedOn(const QString& value)
{
    return value.isEmpty() || (value != QLatin1String("0") && value != QLatin1String("false"));
}

// Reads the body into the text. Only w:t is text: w:delText (deleted) and w:instrText (field
// codes) never are.
class DocxBody {
public:
    DocxBody(XmlPartReader& xml, DocumentText& out)
        : m_xml(xml)
        , m_out(out)
    {
    }

    void read()
    {
        while (m_xml.next()) {
            if (m_xml.xml().isStartElement())
                started();
            else if (m_xml.xml().isEndElement())
                ended();
            else if (m_xml.xml().isCharacters() && m_inText && !m_runHidden)
                addText(m_xml.xml().text());
        }
    }

private:
    bool isWord(QStringView name) const
    {
        return m_xml.xml().namespaceUri() == wordSpace && m_xml.xml().name() == name;
    }

    void addText(QStringView text)
    {
        // A paragraph that is no list item stands apart from a list before it.
        if (!m_paragraphBegun && !m_listItem && m_cellDepth == 0)
            m_out.separate(Break::Paragraph);
        m_paragraphBegun = true;
        // w:t keeps its spaces as written; runs of them are still one pause when read.
        m_out.add(text);
    }

    void started()
    {
        if (isWord(u"p")) {
            m_listItem = false;
            m_paragraphBegun = false;
            m_out.separate(m_cellDepth > 0 ? Break::Space : Break::None);
        } else if (isWord(u"numPr")) {
            m_listItem = true;
        } else if (isWord(u"r")) {
            m_runHidden = false;
        } else if (isWord(u"vanish")) {
            m_runHidden = m_runHidden || switchedOn(m_xml.attribute(wordSpace, u"val"));
        } else if (isWord(u"t")) {
            m_inText = true;
        } else if (isWord(u"tab")) {
            m_out.separate(Break::Space);
        } else if (isWord(u"br") || isWord(u"cr")) {
            m_out.separate(
                m_xml.attribute(wordSpace, u"type") == QLatin1String("page") ? Break::Paragraph : Break::Line);
        } else if (isWord(u"tbl")) {
            m_out.separate(Break::Paragraph);
        } else if (isWord(u"tr")) {
            m_out.separate(Break::Line);
        } else if (isWord(u"tc")) {
            ++m_cellDepth;
            m_out.separate(Break::Cell);
        } else if (m_xml.isStart(drawingSpace, u"docPr")) {
            addText(m_xml.attribute({}, u"descr"));
        }
    }

    void ended()
    {
        if (isWord(u"t")) {
            m_inText = false;
        } else if (isWord(u"p")) {
            if (m_cellDepth == 0)
                m_out.separate(m_listItem ? Break::Line : Break::Paragraph);
        } else if (isWord(u"tc")) {
            m_cellDepth = qMax(0, m_cellDepth - 1);
        } else if (isWord(u"tr")) {
            m_out.separate(Break::Line);
        } else if (isWord(u"tbl")) {
            m_out.separate(Break::Paragraph);
        } else if (isWord(u"r")) {
            m_runHidden = false;
        }
    }

    XmlPartReader& m_xml;
    DocumentText& m_out;
    bool m_inText = false;
    bool m_runHidden = false;
    bool m_listItem = false;
    bool m_paragraphBegun = false; // text of the current paragraph was added
    int m_cellDepth = 0;
};

} // namespace

namespace DocxReader {

QString read(const QString& path, ExtractionProgress& progress)
{
    return readZippedXmlPart<DocxBody>(path, QStringLiteral("word/document.xml"), progress);
}

} // namespace DocxReader
