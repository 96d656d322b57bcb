#include "AudioPipeline.h"

#include "PlatformError.h"

#include <samplerate.h>

#include <algorithm>
#include <cmath>

AudioPipeline::AudioPipeline(int inputRate, PcmFormat output)
    : m_inputRate(inputRate)
    , m_output(output)
    , m_ratio(static_cast<double>(output.sampleRate) / inputRate)
{
    if (output.sampleRate != inputRate) {
        int error = 0;
        m_resampler = src_new(SRC_SINC_FASTEST, 1, &error);
        if (!m_resampler)
            throw PlatformError(QStringLiteral("The sample-rate converter could not start: %1").arg(src_strerror(error)));
    }
}

AudioPipeline::~AudioPipeline()
{
    if (m_resampler)
        src_delete(m_resampler);
}

qint64 AudioPipeline::outputFrame(qint64 inputSample) const { return std::llround(inputSample * m_ratio); }

std::vector<int16_t> AudioPipeline::process(std::span<const int16_t> samples, double gain)
{
    const auto scale = static_cast<float>(gain / 32768.0);
    m_in.resize(samples.size());
    std::transform(samples.begin(), samples.end(), m_in.begin(), [scale](int16_t s) { return s * scale; });
    if (!m_resampler)
        return convert(m_in);
    return resample(m_in, false);
}

std::vector<int16_t> AudioPipeline::flush()
{
    if (!m_resampler)
        return {};
    std::vector<int16_t> tail = resample({}, true);
    src_reset(m_resampler);
    return tail;
}

std::vector<int16_t> AudioPipeline::resample(std::span<const float> mono, bool endOfInput)
{
    m_out.resize(static_cast<size_t>(std::ceil(mono.size() * m_ratio)) + 256);
    std::vector<int16_t> frames;
    SRC_DATA data {};
    data.data_in = mono.data();
    data.input_frames = static_cast<long>(mono.size());
    data.src_ratio = m_ratio;
    data.end_of_input = endOfInput ? 1 : 0;
    for (;;) {
        data.data_out = m_out.data();
        data.output_frames = static_cast<long>(m_out.size());
        if (const int error = src_process(m_resampler, &data))
            throw PlatformError(QStringLiteral("Sample-rate conversion failed: %1").arg(src_strerror(error)));
        const auto converted = convert(std::span<const float>(m_out.data(), static_cast<size_t>(data.output_frames_gen)));
        frames.insert(frames.end(), converted.begin(), converted.end());
        data.data_in += data.input_frames_used;
        data.input_frames -= data.input_frames_used;
        if (data.output_frames_gen == 0 && data.input_frames == 0)
            break;
    }
    return frames;
}

std::vector<int16_t> AudioPipeline::convert(std::span<const float> mono) const
{
    const auto channels = static_cast<size_t>(m_output.channels);
    std::vector<int16_t> frames(mono.size() * channels);
    for (size_t i = 0; i < mono.size(); ++i) {
        const auto value = static_cast<int16_t>(std::lrint(std::clamp(mono[i] * 32768.0f, -32768.0f, 32767.0f)));
        for (size_t c = 0; c < channels; ++c)
            frames[i * channels + c] = value;
    }
    return frames;
}
