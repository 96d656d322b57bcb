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
    // A window at a time, so that the peak is a plain loop over the samples.
    while (!samples.empty()) {
        if (m_samples % m_window == 0 && m_samples > 0) {
            levels.push_back({ m_samples, level(m_peak, volume) });
            m_peak = 0;
        }
        const auto room = static_cast<size_t>(m_window - m_samples % m_window);
        const std::span<const int16_t> run = samples.first(std::min(room, samples.size()));
        // The highest and lowest sample apart: a loop the compiler turns into vector code.
        int16_t high = 0;
        int16_t low = 0;
        for (const int16_t sample : run) {
            high = std::max(high, sample);
            low = std::min(low, sample);
        }
        m_peak = std::max({ m_peak, static_cast<int>(high), -static_cast<int>(low) });
        m_samples += static_cast<qint64>(run.size());
        samples = samples.subspan(run.size());
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
