#pragma once

// Linear PCM layout of a stream: 8-bit samples are unsigned, 16-bit signed little-endian.
struct PcmFormat {
    int sampleRate = 22050;
    int bitsPerSample = 16;
    int channels = 1;

    int bytesPerFrame() const { return bitsPerSample / 8 * channels; }
    bool operator==(const PcmFormat&) const = default;
};
