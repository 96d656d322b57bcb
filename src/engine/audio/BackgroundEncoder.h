#pragma once

#include <QString>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

class AudioFileWriter;

// Feeds a compressed file's writer from a thread of its own, so that a slow codec works beside
// the synthesiser instead of after it. A bounded queue keeps memory in check: a writer that falls
// behind holds the caller back, as writing in place would.
class BackgroundEncoder {
public:
    explicit BackgroundEncoder(std::unique_ptr<AudioFileWriter> writer);
    // Drops what is still queued; the writer's file is left unfinished.
    ~BackgroundEncoder();
    BackgroundEncoder(const BackgroundEncoder&) = delete;
    BackgroundEncoder& operator=(const BackgroundEncoder&) = delete;

    // Queues the frames. Returns the first failure of the writer so far, empty when there was none.
    QString write(std::span<const int16_t> frames);
    // Writes what is queued and finishes the file; the first failure, empty when all went well.
    QString close();

    static constexpr size_t maxQueuedSamples = size_t(1) << 20; // 10 s of 48 kHz stereo

private:
    void run();
    void stop(bool discard);

    std::unique_ptr<AudioFileWriter> m_writer;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::vector<int16_t>> m_blocks;
    size_t m_queuedSamples = 0;
    bool m_closing = false;
    QString m_failure;
    std::thread m_thread;
};
