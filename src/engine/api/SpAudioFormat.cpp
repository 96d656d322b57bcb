#include "engine/api/SpAudioFormat.h"

#include "platform/PlatformError.h"

#include <array>

namespace {
constexpr int firstType = SAFT8kHz8BitMono;
constexpr int lastType = SAFT48kHz16BitStereo;
constexpr std::array rates { 8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000 };
constexpr std::array rateNames { "8", "11", "12", "16", "22", "24", "32", "44", "48" };
} // namespace

std::optional<PcmFormat> SpAudioFormat::describe(int type)
{
    if (type < firstType || type > lastType)
        return std::nullopt;
    const int index = type - firstType;
    // Four formats per rate: 8-bit mono, 8-bit stereo, 16-bit mono, 16-bit stereo.
    return PcmFormat { rates[index / 4], index % 4 < 2 ? 8 : 16, index % 2 == 0 ? 1 : 2 };
}

QString SpAudioFormat::name(int type)
{
    const auto format = describe(type);
    if (!format)
        return {};
    const int index = type - firstType;
    return QStringLiteral("SAFT%1kHz%2Bit%3")
        .arg(QLatin1String(rateNames[index / 4]))
        .arg(format->bitsPerSample)
        .arg(format->channels == 1 ? QLatin1String("Mono") : QLatin1String("Stereo"));
}

PcmFormat SpAudioFormat::pcm() const
{
    if (const auto format = describe(m_type))
        return *format;
    throw PlatformError(
        QStringLiteral("The audio format type %1 is not supported; use a format from 4 to 39.").arg(m_type));
}
