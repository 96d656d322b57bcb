#pragma once

#include <atomic>

// Shared between a document's reader, which works on a thread of its own, and the window that
// waits for it: how many parts (pages, chapters) of how many are read, and whether the person
// asked to stop. A reader calls step() between parts, which ends the reading (throws
// ExtractionCancelled) once cancel() was called.
class ExtractionProgress {
public:
    void step(int done, int total);
    void cancel() { m_cancelled = true; }
    bool cancelled() const { return m_cancelled; }
    int done() const { return m_done; }
    int total() const { return m_total; }

private:
    std::atomic<int> m_done { 0 };
    std::atomic<int> m_total { 0 };
    std::atomic<bool> m_cancelled { false };
};

// Thrown by ExtractionProgress::step when the reading was cancelled; not a failure.
struct ExtractionCancelled { };
