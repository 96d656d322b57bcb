#pragma once

#include "engine/audio/PcmFormat.h"

#include <QString>
#include <vector>

// An audio file (wave, MP3, Ogg, FLAC) read back through libsndfile.
struct WaveFile {
    bool ok = false;
    int sampleRate = 0;
    int channels = 0;
    int subtype = 0; // SF_FORMAT_PCM_U8, SF_FORMAT_PCM_16, ...
    int container = 0; // SF_FORMAT_WAV
    qint64 frames = 0;
    QString title; // the title tag, UTF-8
    std::vector<short> samples; // interleaved

    static WaveFile read(const QString& path);
    double seconds() const { return sampleRate ? double(frames) / sampleRate : 0; }
    int peak() const;
    // How the file differs from a RIFF/WAVE PCM file of that format; empty when it does not.
    QString mismatch(const PcmFormat& format) const;
};
