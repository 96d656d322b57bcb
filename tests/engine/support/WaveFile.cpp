#include "WaveFile.h"

#include <sndfile.h>

#include <algorithm>
#include <cstdlib>

WaveFile WaveFile::read(const QString& path)
{
    WaveFile wave;
    SF_INFO info {};
    SNDFILE* file = sf_open(path.toLocal8Bit().constData(), SFM_READ, &info);
    if (!file)
        return wave;
    wave.ok = true;
    wave.sampleRate = info.samplerate;
    wave.channels = info.channels;
    wave.subtype = info.format & SF_FORMAT_SUBMASK;
    wave.container = info.format & SF_FORMAT_TYPEMASK;
    wave.frames = info.frames;
    wave.title = QString::fromUtf8(sf_get_string(file, SF_STR_TITLE));
    wave.samples.resize(static_cast<size_t>(info.frames * info.channels));
    sf_readf_short(file, wave.samples.data(), info.frames);
    sf_close(file);
    return wave;
}

int WaveFile::peak() const
{
    int p = 0;
    for (const short s : samples)
        p = std::max(p, std::abs(int(s)));
    return p;
}

QString WaveFile::mismatch(const PcmFormat& format) const
{
    if (!ok)
        return QStringLiteral("unreadable");
    const int wantedSubtype = format.bitsPerSample == 8 ? SF_FORMAT_PCM_U8 : SF_FORMAT_PCM_16;
    if (container != SF_FORMAT_WAV || subtype != wantedSubtype)
        return QStringLiteral("format %1/%2, not %3/%4")
            .arg(container)
            .arg(subtype)
            .arg(SF_FORMAT_WAV)
            .arg(wantedSubtype);
    if (sampleRate != format.sampleRate || channels != format.channels)
        return QStringLiteral("%1 Hz, %2 channels").arg(sampleRate).arg(channels);
    return {};
}
