#pragma once

#include "DocumentText.h"

#include <QString>
#include <QStringView>
#include <functional>
#include <optional>

// Turns the elements of an HTML or XHTML page, given in document order (every start with its
// end, empty elements too), into read text:
// headings, paragraphs and other blocks apart, list items and table rows on lines of their own,
// cells separated, preformatted text as it stands, images by their alternative text. Scripts,
// styles, the head, templates, forms' hidden parts and hidden elements (the hidden attribute,
// aria-hidden="true", display:none or visibility:hidden in a style attribute) are left out.
class HtmlTextBuilder {
public:
    // The value of an attribute of the element being started; nothing when it has none.
    using Attribute = std::function<std::optional<QString>(const char* name)>;

    explicit HtmlTextBuilder(DocumentText& out);

    void start(QStringView name, const Attribute& attribute);
    void end(QStringView name);
    void text(QStringView text);

private:
    DocumentText& m_out;
    int m_hiddenDepth = 0; // elements open inside the outermost hidden one, that one included
    int m_preformatted = 0;
};
