#include "engine/audio/BackgroundEncoder.h"

#include "engine/audio/AudioFileWriter.h"

BackgroundEncoder::BackgroundEncoder(std::unique_ptr<AudioFileWriter> writer)
    : m_writer(std::move(writer))
    , m_thread(&BackgroundEncoder::run, this)
{
}

BackgroundEncoder::~BackgroundEncoder()
{
    stop(true);
}

QString BackgroundEncoder::write(std::span<const int16_t> frames)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_queuedSamples < maxQueuedSamples || !m_failure.isEmpty(); });
    if (m_failure.isEmpty()) {
        m_blocks.emplace_back(frames.begin(), frames.end());
        m_queuedSamples += frames.size();
        m_changed.notify_all();
    }
    return m_failure;
}

QString BackgroundEncoder::close()
{
    stop(false);
    const QString closing = m_writer->close();
    std::lock_guard lock(m_mutex);
    return m_failure.isEmpty() ? closing : m_failure;
}

void BackgroundEncoder::stop(bool discard)
{
    {
        std::lock_guard lock(m_mutex);
        if (discard) {
            m_blocks.clear();
            m_queuedSamples = 0;
        }
        m_closing = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void BackgroundEncoder::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return !m_blocks.empty() || m_closing; });
        if (m_blocks.empty())
            return;
        std::vector<int16_t> block = std::move(m_blocks.front());
        m_blocks.pop_front();
        const bool failed = !m_failure.isEmpty();
        lock.unlock();
        // After a failure the rest is dropped: the file is lost anyway.
        QString failure = failed ? QString() : m_writer->write(block);
        lock.lock();
        if (!failure.isEmpty() && m_failure.isEmpty())
            m_failure = std::move(failure);
        m_queuedSamples -= block.size();
        m_changed.notify_all();
    }
}
