#pragma once

#include "DocumentKind.h"

#include <QString>
#include <memory>
#include <optional>
#include <thread>

class QEventLoop;
class QWidget;

// Reads a document (DocumentReader) on a thread of its own while the window waits without
// freezing. A reading not done within half a second shows a modal progress dialog with the
// pages or chapters read and a Cancel button; the windows behind it repaint but take no input.
class DocumentOpening {
public:
    static constexpr int quietMilliseconds = 500;

    // quietMs: how long the reading may take before the dialog shows.
    DocumentOpening(QString path, QWidget* parent, int quietMs = quietMilliseconds);

    // What the file is; a text file is left to the caller.
    DocumentKind kind() const { return m_kind; }
    // The document's text; nothing when the person cancelled. Throws PlatformError when the
    // document cannot be read.
    std::optional<QString> read();

private:
    struct Reading;

    // Runs the event loop until the reading is done or, with the dialog, cancelled; false when
    // the quiet time ran out first.
    bool wait(QEventLoop& loop, bool withDialog);
    void waitInDialog(QEventLoop& loop);
    // After a cancel: the thread's end, waited for a moment only.
    void letGo(std::thread& worker) const;

    QString m_path;
    QWidget* m_parent;
    DocumentKind m_kind;
    int m_quietMs;
    std::shared_ptr<Reading> m_reading;
};
