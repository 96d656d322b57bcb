#include "engine/pipeline/AudioLevelMeter.h"

#include <algorithm>
#include <cstdlib>

AudioLevelMeter::AudioLevelMeter(qint64 window)
    : m_window(window)
{
}

std::vector<AudioLevelMeter::Level> AudioLevelMeter::add(std::span<const int16_t> samples, int volume)
{
    std::vector<Level> levels;
    for (const int16_t sample : samples) {
        if (m_samples % m_window == 0 && m_samples > 0) {
            levels.push_back({ m_samples, level(m_peak, volume) });
            m_peak = 0;
        }
        m_peak = std::max(m_peak, std::abs(static_cast<int>(sample)));
        ++m_samples;
    }
    return levels;
}

std::optional<AudioLevelMeter::Level> AudioLevelMeter::finish(int volume) const
{
    if (m_samples % m_window == 0)
        return std::nullopt;
    return Level { m_samples, level(m_peak, volume) };
}

int AudioLevelMeter::level(int peak, int volume)
{
    return std::min(100, peak * volume / 32768);
}
