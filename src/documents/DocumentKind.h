#pragma once

#include <QString>

// What a file holds, as far as reading it aloud goes.
enum class DocumentKind { Text, Html, Epub, Odt, Docx, Pdf, Markdown };

// Recognises a file by its content first and its name second. A name ending in .txt, and
// anything that is not a regular file, is always text. A PDF, an EPUB book, an OpenDocument text and a Word document
// are known by their bytes whatever they are named, an HTML page by its opening tag; a file whose content tells nothing
// is known by its extension (.html, .htm, .xhtml, .epub, .odt, .docx, .pdf, .md, .markdown), so that a damaged document
// is read as the document it claims to be and refused. Anything else is text. Throws nothing: a file that cannot be
// read is text, whose reading fails.
namespace DocumentKinds {

DocumentKind recognise(const QString& path);

} // namespace DocumentKinds
