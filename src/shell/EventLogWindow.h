#pragma once

#include <QStringList>
#include <QWidget>

class QPlainTextEdit;

// The speech console's whole event log in a window of its own, beside the main window. It shows
// the log as it stood when opened and follows each new line, staying at the end unless the user
// has scrolled back to read.
class EventLogWindow : public QWidget {
    Q_OBJECT
public:
    // The lines the window keeps; older ones are let go.
    static constexpr int keptLines = 5000;

    explicit EventLogWindow(QWidget* owner);

    // The log as the console keeps it, lines ended by CR LF.
    void setLog(const QString& log);
    // Shown at the end of the log at the next turn of the event loop, with any others that came.
    void appendLine(const QString& line);

private:
    void showPending();
    bool atEnd() const;
    void scrollToEnd();

    QPlainTextEdit* LogText;
    QStringList m_pending;
};
