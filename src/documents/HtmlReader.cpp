#include "HtmlReader.h"

#include "DocumentText.h"
#include "ExtractionProgress.h"
#include "HtmlTextBuilder.h"
#include "PlatformError.h"

#include <QStringDecoder>
#include <libxml/HTMLparser.h>
#include <libxml/tree.h>
#include <limits>
#include <memory>

namespace {

struct DocumentFree {
    void operator()(xmlDoc* document) const { xmlFreeDoc(document); }
};
struct TextFree {
    void operator()(xmlChar* text) const { xmlFree(text); }
};

QString fromXml(const xmlChar* text)
{
    return QString::fromUtf8(reinterpret_cast<const char*>(text));
}

bool validUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    (void)decoder.decode(bytes);
    return !decoder.hasError();
}

// Checked every so many nodes, so that cancelling a huge page acts at once.
constexpr int nodesPerCheck = 4096;

void startElement(xmlNode* node, HtmlTextBuilder& builder)
{
    builder.start(fromXml(node->name), [node](const char* key) -> std::optional<QString> {
        xmlAttr* attribute = xmlHasProp(node, reinterpret_cast<const xmlChar*>(key));
        if (!attribute)
            return std::nullopt;
        const std::unique_ptr<xmlChar, TextFree> value(xmlNodeGetContent(reinterpret_cast<xmlNode*>(attribute)));
        return value ? fromXml(value.get()) : QString();
    });
}

// The node after this one in document order once its children are done, ending every element
// left on the way up; null at the end of the page.
xmlNode* nextAfter(xmlNode* node, HtmlTextBuilder& builder)
{
    while (!node->next) {
        node = node->parent;
        if (!node || node->type == XML_DOCUMENT_NODE || node->type == XML_HTML_DOCUMENT_NODE)
            return nullptr;
        builder.end(fromXml(node->name));
    }
    return node->next;
}

// Depth first without recursion: a page nested thousands deep must not exhaust the stack.
void walk(xmlNode* root, HtmlTextBuilder& builder, ExtractionProgress& progress)
{
    int count = 0;
    for (xmlNode* node = root; node;) {
        if (++count % nodesPerCheck == 0)
            progress.step(0, 1);
        if (node->type == XML_ELEMENT_NODE) {
            startElement(node, builder);
            if (node->children) {
                node = node->children;
                continue;
            }
            builder.end(fromXml(node->name));
        } else if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
            builder.text(fromXml(node->content));
        }
        node = nextAfter(node, builder);
    }
}

} // namespace

namespace HtmlReader {

void read(const QByteArray& page, DocumentText& out, ExtractionProgress& progress)
{
    if (page.size() > std::numeric_limits<int>::max())
        throw PlatformError(QStringLiteral("The page is too large."));
    const char* encoding = validUtf8(page) ? "UTF-8" : nullptr;
    const int options = HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET;
    std::unique_ptr<xmlDoc, DocumentFree> document(
        htmlReadMemory(page.constData(), static_cast<int>(page.size()), nullptr, encoding, options));
    if (!document)
        throw PlatformError(QStringLiteral("The page could not be read as HTML."));
    xmlNode* root = xmlDocGetRootElement(document.get());
    if (!root)
        return;
    HtmlTextBuilder builder(out);
    walk(root, builder, progress);
    out.separate(DocumentText::Break::Paragraph);
}

QString read(const QByteArray& page, ExtractionProgress& progress)
{
    DocumentText out;
    read(page, out, progress);
    return out.take();
}

} // namespace HtmlReader
