#pragma once

#include <QObject>
#include <QString>

class QPlainTextEdit;

// The console's event log in its text box: each line ended by CR LF, the oldest part cut away
// once the text outgrows its limit. The text and the caret change at once; the box lays itself
// out and scrolls to the newest line once per turn of the event loop, since a stream of voice
// events appends far more lines than can be shown, and laying out each one would cost more than
// all the rest of an event.
class EventLogBox : public QObject {
    Q_OBJECT
public:
    explicit EventLogBox(QPlainTextEdit& box);

    void append(const QString& line);
    // The log as far back as it is kept, each line ended by CR LF.
    QString text() const;

private:
    void follow();

    QPlainTextEdit& m_box;
    bool m_followPending = false;
};
