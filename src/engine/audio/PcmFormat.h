#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

// A float sample, full scale ±1, as a 16-bit one: rounded, and clipped where the float goes past full scale.
inline int16_t pcm16(float value)
{
    return static_cast<int16_t>(std::lrint(std::clamp(value * 32768.0f, -32768.0f, 32767.0f)));
}

// Linear PCM layout of a stream: 8-bit samples are unsigned, 16-bit signed little-endian.
struct PcmFormat {
    int sampleRate = 22050;
    int bitsPerSample = 16;
    int channels = 1;

    int bytesPerFrame() const { return bitsPerSample / 8 * channels; }
    bool operator==(const PcmFormat&) const = default;
};
