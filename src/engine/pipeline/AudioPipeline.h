#pragma once

#include "engine/audio/PcmFormat.h"

#include <QtGlobal>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

class RateConverter;
struct sonicStreamStruct;

// Turns the synthesiser's 16-bit mono samples into frames of a stream's format: volume gain,
// time stretching below the synthesiser's slowest rate (libsonic), sample-rate conversion
// (libsoxr, skipped when the rates agree) and channel layout.
// Output frames are interleaved 16-bit; 8-bit streams narrow them when they store them.
class AudioPipeline {
public:
    // speed below 1 slows the speech down without changing its pitch.
    AudioPipeline(int inputRate, PcmFormat output, double speed = 1.0);
    ~AudioPipeline();
    AudioPipeline(const AudioPipeline&) = delete;
    AudioPipeline& operator=(const AudioPipeline&) = delete;

    std::vector<int16_t> process(std::span<const int16_t> samples, double gain);
    // Ends a run of input (a chunk): returns the converter's remaining frames and resets it.
    std::vector<int16_t> flush();
    // The output frame that corresponds to an input sample counted from the start of the run.
    qint64 outputFrame(qint64 inputSample) const;
    const PcmFormat& format() const { return m_output; }

private:
    std::vector<int16_t> convert(std::span<const float> mono) const;
    std::vector<int16_t> scaled(std::span<const int16_t> samples, double gain) const;
    std::vector<int16_t> output(std::span<const float> mono, bool endOfInput);
    std::span<const float> stretch(std::span<const float> mono, bool endOfInput);

    PcmFormat m_output;
    double m_ratio;
    double m_speed;
    std::unique_ptr<RateConverter> m_resampler;
    sonicStreamStruct* m_stretcher = nullptr;
    std::vector<float> m_stretched;
    std::vector<float> m_in;
};
