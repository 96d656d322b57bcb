#include "EventLogBox.h"

#include <QAbstractTextDocumentLayout>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTextCursor>
#include <QTextDocument>

namespace {

constexpr int logLimit = 64000;
constexpr int logCut = 10240;

} // namespace

EventLogBox::EventLogBox(QPlainTextEdit& box)
    : m_box(box)
{
}

void EventLogBox::append(const QString& line)
{
    QTextDocument* log = m_box.document();
    {
        const QSignalBlocker quiet(log->documentLayout());
        QTextCursor cursor(log);
        if (log->characterCount() - 1 > logLimit) {
            cursor.setPosition(0);
            cursor.setPosition(logCut, QTextCursor::KeepAnchor);
            cursor.insertText(QString());
        }
        cursor.setPosition(log->characterCount() - 1);
        cursor.insertText(line + QStringLiteral("\r\n"));
        // The box's own caret follows text inserted where it stands; it is set only when elsewhere.
        const QTextCursor caret = m_box.textCursor();
        if (caret.hasSelection() || caret.position() != cursor.position())
            m_box.setTextCursor(cursor);
    }
    if (!m_followPending) {
        m_followPending = true;
        QMetaObject::invokeMethod(this, &EventLogBox::follow, Qt::QueuedConnection);
    }
}

// The box holds each line as a paragraph, which its plain text ends with LF alone.
QString EventLogBox::text() const
{
    return m_box.toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

// Tells the box what its layout kept quiet about while lines were appended, then brings the
// caret, after the newest line, into view.
void EventLogBox::follow()
{
    m_followPending = false;
    QAbstractTextDocumentLayout* layout = m_box.document()->documentLayout();
    emit layout->documentSizeChanged(layout->documentSize());
    emit layout->update();
    m_box.ensureCursorVisible();
}
