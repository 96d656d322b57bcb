#include "MarkdownReader.h"

#include "DocumentText.h"
#include "ExtractionProgress.h"
#include "HtmlReader.h"
#include "PlatformError.h"

#include <QRegularExpression>
#include <cmark.h>
#include <memory>

namespace {

using Break = DocumentText::Break;

struct NodeFree {
    void operator()(cmark_node* node) const { cmark_node_free(node); }
};
struct IterFree {
    void operator()(cmark_iter* iter) const { cmark_iter_free(iter); }
};

QString literalOf(cmark_node* node)
{
    const char* literal = cmark_node_get_literal(node);
    return literal ? QString::fromUtf8(literal) : QString();
}

// The inline text of a paragraph, its soft and hard breaks as line feeds.
QString flatText(cmark_node* paragraph)
{
    QString text;
    std::unique_ptr<cmark_iter, IterFree> iter(cmark_iter_new(paragraph));
    for (cmark_event_type event = cmark_iter_next(iter.get()); event != CMARK_EVENT_DONE;
         event = cmark_iter_next(iter.get())) {
        cmark_node* node = cmark_iter_get_node(iter.get());
        if (event != CMARK_EVENT_ENTER)
            continue;
        const cmark_node_type type = cmark_node_get_type(node);
        if (type == CMARK_NODE_TEXT || type == CMARK_NODE_CODE)
            text += literalOf(node);
        else if (type == CMARK_NODE_SOFTBREAK || type == CMARK_NODE_LINEBREAK)
            text += u'\n';
    }
    return text;
}

QStringList cellsOf(const QString& row)
{
    QString trimmed = row.trimmed();
    if (trimmed.startsWith(u'|'))
        trimmed.remove(0, 1);
    if (trimmed.endsWith(u'|'))
        trimmed.chop(1);
    QStringList cells = trimmed.split(u'|');
    for (QString& cell : cells)
        cell = cell.trimmed();
    return cells;
}

// Adds the paragraph as a table and returns true when it is laid out as one.
bool addTable(const QString& text, DocumentText& out)
{
    static const QRegularExpression rule(QStringLiteral(R"(^\s*\|?\s*:?-+:?\s*(\|\s*:?-+:?\s*)*\|?\s*$)"));
    const QStringList rows = text.split(u'\n');
    if (rows.size() < 2 || !rows.at(0).contains(u'|') || !rule.match(rows.at(1)).hasMatch())
        return false;
    out.separate(Break::Paragraph);
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (i == 1)
            continue;
        out.separate(Break::Line);
        for (const QString& cell : cellsOf(rows.at(i))) {
            out.separate(Break::Cell);
            out.add(cell);
        }
    }
    out.separate(Break::Paragraph);
    return true;
}

class MarkdownWalk {
public:
    MarkdownWalk(cmark_node* document, DocumentText& out, ExtractionProgress& progress)
        : m_iter(cmark_iter_new(document))
        , m_out(out)
        , m_progress(progress)
    {
    }

    void run()
    {
        int count = 0;
        for (cmark_event_type event = cmark_iter_next(m_iter.get()); event != CMARK_EVENT_DONE;
             event = cmark_iter_next(m_iter.get())) {
            if (++count % 4096 == 0)
                m_progress.step(0, 1);
            visit(cmark_iter_get_node(m_iter.get()), event == CMARK_EVENT_ENTER);
        }
    }

private:
    Break blockBreak(cmark_node* node) const
    {
        // The paragraphs of a tight list's items are the items' lines.
        cmark_node* parent = cmark_node_parent(node);
        if (parent && cmark_node_get_type(parent) == CMARK_NODE_ITEM) {
            cmark_node* list = cmark_node_parent(parent);
            if (list && cmark_node_get_list_tight(list))
                return Break::Line;
        }
        return Break::Paragraph;
    }

    void visit(cmark_node* node, bool enter)
    {
        switch (cmark_node_get_type(node)) {
        case CMARK_NODE_PARAGRAPH:
            m_out.separate(blockBreak(node));
            if (enter && addTable(flatText(node), m_out))
                cmark_iter_reset(m_iter.get(), node, CMARK_EVENT_EXIT);
            break;
        case CMARK_NODE_HEADING:
        case CMARK_NODE_BLOCK_QUOTE:
        case CMARK_NODE_LIST:
        case CMARK_NODE_THEMATIC_BREAK:
            m_out.separate(Break::Paragraph);
            break;
        case CMARK_NODE_ITEM:
            m_out.separate(Break::Line);
            break;
        case CMARK_NODE_CODE_BLOCK:
            m_out.separate(Break::Paragraph);
            m_out.addVerbatim(literalOf(node));
            m_out.separate(Break::Paragraph);
            break;
        case CMARK_NODE_HTML_BLOCK:
            m_out.separate(Break::Paragraph);
            HtmlReader::read(literalOf(node).toUtf8(), m_out, m_progress);
            break;
        case CMARK_NODE_TEXT:
        case CMARK_NODE_CODE:
            m_out.add(literalOf(node));
            break;
        case CMARK_NODE_SOFTBREAK:
            m_out.separate(Break::Space);
            break;
        case CMARK_NODE_LINEBREAK:
            m_out.separate(Break::Line);
            break;
        default:
            break; // emphasis, links, images and inline HTML: their words are their children
        }
    }

    std::unique_ptr<cmark_iter, IterFree> m_iter;
    DocumentText& m_out;
    ExtractionProgress& m_progress;
};

} // namespace

namespace MarkdownReader {

QString read(const QByteArray& source, ExtractionProgress& progress)
{
    std::unique_ptr<cmark_node, NodeFree> document(
        cmark_parse_document(source.constData(), static_cast<size_t>(source.size()), CMARK_OPT_DEFAULT));
    if (!document)
        throw PlatformError(QStringLiteral("The Markdown text could not be read."));
    DocumentText out;
    MarkdownWalk(document.get(), out, progress).run();
    return out.take();
}

} // namespace MarkdownReader
