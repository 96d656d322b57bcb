#pragma once

#include <QtGlobal>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// The loudness of the synthesiser's audio, 0..100, over windows of a fixed number of samples:
// the peak sample of each window scaled by the voice's volume.
class AudioLevelMeter {
public:
    struct Level {
        qint64 sample = 0; // where the window ends, counted from the first sample measured
        int level = 0;
    };

    explicit AudioLevelMeter(qint64 window);

    // The levels of the windows that samples complete, each with the volume in force now.
    std::vector<Level> add(std::span<const int16_t> samples, int volume);
    // The level of the last window when samples stopped inside it.
    std::optional<Level> finish(int volume) const;
    qint64 samples() const { return m_samples; }

    static int level(int peak, int volume);

private:
    qint64 m_window;
    qint64 m_samples = 0;
    int m_peak = 0;
};
