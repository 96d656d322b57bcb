#include "WaveReadback.h"

#include <sndfile.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

int bitsOf(int format)
{
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_U8:
    case SF_FORMAT_PCM_S8:
        return 8;
    case SF_FORMAT_PCM_16:
        return 16;
    default:
        return 0;
    }
}

int peakOf(SNDFILE* file, int channels)
{
    std::vector<short> block(static_cast<std::size_t>(4096 * channels));
    int peak = 0;
    for (;;) {
        const sf_count_t read = sf_readf_short(file, block.data(), 4096);
        if (read <= 0)
            return peak;
        for (sf_count_t i = 0; i < read * channels; ++i)
            peak = std::max(peak, std::abs(int(block[static_cast<std::size_t>(i)])));
    }
}

} // namespace

WaveReadback WaveReadback::read(const QString& path)
{
    WaveReadback wave;
    SF_INFO info {};
    SNDFILE* file = sf_open(path.toLocal8Bit().constData(), SFM_READ, &info);
    if (!file) {
        wave.error = QString::fromLocal8Bit(sf_strerror(nullptr));
        return wave;
    }
    wave.ok = true;
    wave.isWave = (info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_WAV;
    wave.sampleRate = info.samplerate;
    wave.channels = info.channels;
    wave.bits = bitsOf(info.format);
    wave.frames = info.frames;
    wave.peak = peakOf(file, info.channels);
    sf_close(file);
    return wave;
}
