#pragma once

#include <cstdint>
#include <span>
#include <vector>

struct SRC_STATE_tag;

// Converts a run of interleaved 16-bit frames to another rate with libsamplerate, keeping its
// state from one call to the next so that a long stream converts without seams.
class FrameResampler {
public:
    // Throws PlatformError when the converter cannot start.
    FrameResampler(int inputRate, int outputRate, int channels);
    ~FrameResampler();
    FrameResampler(const FrameResampler&) = delete;
    FrameResampler& operator=(const FrameResampler&) = delete;

    // Interleaved float frames (full scale 1.0) at the output rate; finish() gives the rest.
    std::vector<float> process(std::span<const int16_t> frames);
    std::vector<float> finish();

private:
    std::vector<float> convert(bool endOfInput);

    SRC_STATE_tag* m_state = nullptr;
    double m_ratio;
    int m_channels;
    std::vector<float> m_in;
};
