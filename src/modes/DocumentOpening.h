#pragma once

#include "DocumentKind.h"

#include <QString>
#include <optional>

class QWidget;

// Reads a document (DocumentReader) on a thread of its own while the window waits without
// freezing. A reading not done within half a second shows a modal progress dialog with the
// pages or chapters read and a Cancel button; the windows behind it repaint but take no input.
class DocumentOpening {
public:
    DocumentOpening(QString path, QWidget* parent);

    // What the file is; a text file is left to the caller.
    DocumentKind kind() const { return m_kind; }
    // The document's text; nothing when the person cancelled. Throws PlatformError when the
    // document cannot be read.
    std::optional<QString> read();

    static constexpr int quietMilliseconds = 500;

private:
    QString m_path;
    QWidget* m_parent;
    DocumentKind m_kind;
};
