#pragma once

#include "MemoryUse.h"

#include <QObject>
#include <QTimer>

// Samples the resident memory every few milliseconds while the event loop runs (also inside the
// loops of modal operations), keeping the largest value seen.
class MemorySampler : public QObject {
public:
    explicit MemorySampler(int intervalMs = 20)
    {
        m_timer.setInterval(intervalMs);
        connect(&m_timer, &QTimer::timeout, this, &MemorySampler::sample);
        m_timer.start();
        sample();
    }

    void sample() { m_largest = qMax(m_largest, MemoryUse::resident()); }
    qint64 largest() const { return m_largest; }

private:
    QTimer m_timer;
    qint64 m_largest = 0;
};
