#pragma once

#include "engine/api/SpVoice.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <vector>

// Records every event a voice raises, with the wall-clock time it arrived.
class VoiceEventLog {
public:
    struct Entry {
        QString kind;
        int stream = 0;
        qint64 position = 0;
        int a = 0, b = 0, c = 0, d = 0;
        QString text;
        qint64 elapsedMs = 0;
    };

    explicit VoiceEventLog(SpVoice& voice);

    std::vector<Entry> of(const QString& kind) const;
    QStringList words(const QString& spokenText) const; // the text each Word event selects
    const std::vector<Entry>& all() const { return m_entries; }
    void clear() { m_entries.clear(); }

private:
    void add(Entry entry);

    std::vector<Entry> m_entries;
    QElapsedTimer m_clock;
    QObject m_context; // the connections end with the log
};
