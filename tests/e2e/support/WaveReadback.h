#pragma once

#include <QString>

// A wave file as libsndfile reads it back.
struct WaveReadback {
    bool ok = false;
    bool isWave = false; // a RIFF/WAVE container
    int sampleRate = 0;
    int channels = 0;
    int bits = 0; // 8 or 16 for the PCM formats the program writes, else 0
    qint64 frames = 0;
    int peak = 0; // largest sample magnitude, on the 16-bit scale
    QString error;

    static WaveReadback read(const QString& path);
    double seconds() const { return sampleRate > 0 ? double(frames) / sampleRate : 0.0; }
};
