#include "engine/pipeline/AudioPipeline.h"

#include "engine/audio/RateConverter.h"
#include "platform/PlatformError.h"

#include <sonic.h>

#include <algorithm>
#include <cmath>

AudioPipeline::AudioPipeline(int inputRate, PcmFormat output, double speed)
    : m_output(output)
    , m_ratio(static_cast<double>(output.sampleRate) / inputRate)
    , m_speed(speed)
{
    if (speed != 1.0) {
        m_stretcher = sonicCreateStream(inputRate, 1);
        if (!m_stretcher)
            throw PlatformError(QStringLiteral("The time stretcher could not start."));
        sonicSetSpeed(m_stretcher, static_cast<float>(speed));
    }
    if (output.sampleRate != inputRate)
        m_resampler = std::make_unique<RateConverter>(inputRate, output.sampleRate);
}

AudioPipeline::~AudioPipeline()
{
    if (m_stretcher)
        sonicDestroyStream(m_stretcher);
}

qint64 AudioPipeline::outputFrame(qint64 inputSample) const
{
    return std::llround(static_cast<double>(inputSample) * m_ratio / m_speed);
}

std::vector<int16_t> AudioPipeline::process(std::span<const int16_t> samples, double gain)
{
    if (!m_resampler && !m_stretcher)
        return scaled(samples, gain);
    const auto scale = static_cast<float>(gain / 32768.0);
    m_in.resize(samples.size());
    std::transform(
        samples.begin(), samples.end(), m_in.begin(), [scale](int16_t s) { return static_cast<float>(s) * scale; });
    return output(stretch(m_in, false), false);
}

std::vector<int16_t> AudioPipeline::flush()
{
    return output(stretch({}, true), true);
}

std::vector<int16_t> AudioPipeline::output(std::span<const float> mono, bool endOfInput)
{
    if (!m_resampler)
        return convert(mono);
    return convert(m_resampler->convert(mono, endOfInput));
}

std::span<const float> AudioPipeline::stretch(std::span<const float> mono, bool endOfInput)
{
    if (!m_stretcher)
        return mono;
    if (!mono.empty())
        sonicWriteFloatToStream(m_stretcher, const_cast<float*>(mono.data()), static_cast<int>(mono.size()));
    if (endOfInput)
        sonicFlushStream(m_stretcher);
    m_stretched.resize(static_cast<size_t>(sonicSamplesAvailable(m_stretcher)));
    const int read = sonicReadFloatFromStream(m_stretcher, m_stretched.data(), static_cast<int>(m_stretched.size()));
    return std::span<const float>(m_stretched.data(), static_cast<size_t>(std::max(0, read)));
}

std::vector<int16_t> AudioPipeline::convert(std::span<const float> mono) const
{
    const auto channels = static_cast<size_t>(m_output.channels);
    std::vector<int16_t> frames(mono.size() * channels);
    for (size_t i = 0; i < mono.size(); ++i) {
        const int16_t value = pcm16(mono[i]);
        for (size_t c = 0; c < channels; ++c)
            frames[i * channels + c] = value;
    }
    return frames;
}

std::vector<int16_t> AudioPipeline::scaled(std::span<const int16_t> samples, double gain) const
{
    // The synthesiser's own rate: a fixed-point gain is exact at full volume and fast.
    const auto factor = static_cast<int32_t>(std::lround(std::clamp(gain, 0.0, 1.0) * 32768));
    const auto channels = static_cast<size_t>(m_output.channels);
    if (channels == 1 && factor == 32768)
        return { samples.begin(), samples.end() };
    std::vector<int16_t> frames(samples.size() * channels);
    for (size_t i = 0; i < samples.size(); ++i) {
        const auto value = static_cast<int16_t>((samples[i] * factor) >> 15);
        for (size_t c = 0; c < channels; ++c)
            frames[i * channels + c] = value;
    }
    return frames;
}
