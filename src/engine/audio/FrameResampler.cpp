#include "engine/audio/FrameResampler.h"

#include "platform/PlatformError.h"

#include <samplerate.h>

#include <cmath>

FrameResampler::FrameResampler(int inputRate, int outputRate, int channels)
    : m_ratio(static_cast<double>(outputRate) / inputRate)
    , m_channels(channels)
{
    int error = 0;
    // Speech is band-limited well below either rate: the fastest sinc converter loses nothing heard.
    m_state = src_new(SRC_SINC_FASTEST, channels, &error);
    if (!m_state)
        throw PlatformError(QStringLiteral("The sample-rate converter could not start: %1").arg(src_strerror(error)));
}

FrameResampler::~FrameResampler()
{
    src_delete(m_state);
}

std::vector<float> FrameResampler::process(std::span<const int16_t> frames)
{
    const size_t start = m_in.size();
    m_in.resize(start + frames.size());
    src_short_to_float_array(frames.data(), m_in.data() + start, static_cast<int>(frames.size()));
    return convert(false);
}

std::vector<float> FrameResampler::finish()
{
    return convert(true);
}

std::vector<float> FrameResampler::convert(bool endOfInput)
{
    const auto inputFrames = static_cast<long>(m_in.size() / static_cast<size_t>(m_channels));
    const auto room = static_cast<long>(std::ceil(static_cast<double>(inputFrames) * m_ratio)) + 64;
    std::vector<float> out(static_cast<size_t>(room) * static_cast<size_t>(m_channels));
    SRC_DATA data {};
    data.data_in = m_in.data();
    data.input_frames = inputFrames;
    data.data_out = out.data();
    data.output_frames = room;
    data.end_of_input = endOfInput ? 1 : 0;
    data.src_ratio = m_ratio;
    std::vector<float> result;
    // At the end the converter may hold more than one call gives back.
    for (;;) {
        if (const int error = src_process(m_state, &data); error != 0)
            throw PlatformError(QStringLiteral("The sample-rate conversion failed: %1").arg(src_strerror(error)));
        result.insert(result.end(), out.begin(), out.begin() + data.output_frames_gen * m_channels);
        data.data_in += data.input_frames_used * m_channels;
        data.input_frames -= data.input_frames_used;
        if (data.output_frames_gen == 0 && data.input_frames_used == 0)
            break;
    }
    // Frames the converter did not take yet wait for the next call.
    m_in.erase(m_in.begin(), m_in.end() - data.input_frames * m_channels);
    return result;
}
