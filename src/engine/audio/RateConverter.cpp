#include "engine/audio/RateConverter.h"

#include "platform/PlatformError.h"

#include <soxr.h>

#include <cmath>

RateConverter::RateConverter(int inputRate, int outputRate)
    : m_ratio(static_cast<double>(outputRate) / inputRate)
{
    soxr_error_t error = nullptr;
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    m_state = soxr_create(inputRate, outputRate, 1, &error, nullptr, &quality, nullptr);
    if (!m_state)
        throw PlatformError(
            QStringLiteral("The sample-rate converter could not start: %1").arg(QString::fromUtf8(error)));
}

RateConverter::~RateConverter()
{
    soxr_delete(m_state);
}

std::vector<float> RateConverter::convert(std::span<const float> samples, bool end)
{
    std::vector<float> out;
    std::vector<float> block(static_cast<size_t>(std::ceil(static_cast<double>(samples.size()) * m_ratio)) + 256);
    for (;;) {
        // Once the input is used up, a null input drains what the filter still holds.
        const bool draining = samples.empty();
        if (draining && !end)
            break;
        size_t used = 0;
        size_t made = 0;
        if (const soxr_error_t error = soxr_process(
                m_state, draining ? nullptr : samples.data(), samples.size(), &used, block.data(), block.size(), &made))
            throw PlatformError(QStringLiteral("Sample-rate conversion failed: %1").arg(QString::fromUtf8(error)));
        out.insert(out.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(made));
        samples = samples.subspan(draining ? 0 : used);
        if (draining && made == 0)
            break;
    }
    if (end)
        soxr_clear(m_state);
    return out;
}
