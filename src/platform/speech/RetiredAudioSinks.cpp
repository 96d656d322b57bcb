#include "RetiredAudioSinks.h"

#include <QAudioSink>
#include <thread>

RetiredAudioSinks::RetiredAudioSinks(std::chrono::milliseconds grace)
    : m_grace(grace)
{
}

RetiredAudioSinks::~RetiredAudioSinks()
{
    if (!m_sinks.empty())
        std::this_thread::sleep_until(m_sinks.back().since + m_grace);
    while (!m_sinks.empty())
        deleteOldest();
}

void RetiredAudioSinks::retire(std::unique_ptr<QAudioSink> stopped)
{
    if (stopped)
        m_sinks.push_back({ std::move(stopped), Clock::now() });
}

void RetiredAudioSinks::collect()
{
    const auto now = Clock::now();
    while (!m_sinks.empty() && now - m_sinks.front().since >= m_grace)
        deleteOldest();
}

void RetiredAudioSinks::deleteOldest()
{
    // Out of the list first: the sink's destructor runs the event loop, which may retire another.
    std::unique_ptr<QAudioSink> done = std::move(m_sinks.front().sink);
    m_sinks.pop_front();
    done.reset();
}
