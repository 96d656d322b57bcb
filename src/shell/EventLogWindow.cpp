#include "EventLogWindow.h"

#include "ApplicationIcon.h"
#include "ProductCaption.h"
#include "Twips.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QVBoxLayout>

EventLogWindow::EventLogWindow(QWidget* owner)
    : QWidget(owner, Qt::Window)
{
    setObjectName(QStringLiteral("EventLogWindow"));
    setWindowTitle(ProductCaption + QStringLiteral(" - Event Log"));
    ApplicationIcon::applyTo(*this);
    // Like the help viewer, it never keeps the program running on its own.
    setAttribute(Qt::WA_QuitOnClose, false);

    LogText = new QPlainTextEdit(this);
    LogText->setObjectName(QStringLiteral("LogText"));
    LogText->setAccessibleName(QStringLiteral("Event log"));
    LogText->setReadOnly(true);
    // Read-only, it still takes the focus so that the keyboard can scroll and select.
    LogText->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    // Long failure lines wrap, so each line is read from its start without scrolling sideways.
    LogText->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    LogText->setMaximumBlockCount(keptLines);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LogText);
    resize(Twips::toPixelsX(7200), Twips::toPixelsY(4800));
}

// The console ends each line with CR LF, which its box may hold as two line breaks: the window
// shows one entry a line.
void EventLogWindow::setLog(const QString& log)
{
    m_pending.clear();
    QString lines = log;
    lines.replace(u'\r', u'\n');
    LogText->setPlainText(lines.split(u'\n', Qt::SkipEmptyParts).join(u'\n'));
    scrollToEnd();
}

void EventLogWindow::appendLine(const QString& line)
{
    if (m_pending.isEmpty())
        QMetaObject::invokeMethod(this, &EventLogWindow::showPending, Qt::QueuedConnection);
    m_pending.append(line);
}

// A storm of voice events appends many lines a turn; they are laid out once.
void EventLogWindow::showPending()
{
    if (m_pending.isEmpty())
        return;
    const bool follow = atEnd();
    LogText->appendPlainText(m_pending.join(u'\n'));
    m_pending.clear();
    if (follow)
        scrollToEnd();
}

bool EventLogWindow::atEnd() const
{
    const QScrollBar* bar = LogText->verticalScrollBar();
    return bar->value() >= bar->maximum();
}

void EventLogWindow::scrollToEnd()
{
    LogText->moveCursor(QTextCursor::End);
    LogText->verticalScrollBar()->setValue(LogText->verticalScrollBar()->maximum());
}
