#pragma once

#include "engine/audio/PcmFormat.h"

#include <QString>
#include <optional>

// The PCM formats a stream can carry, 8 to 48 kHz, 8 or 16 bits, mono or stereo.
enum SpeechAudioFormatType {
    SAFT8kHz8BitMono = 4,
    SAFT8kHz8BitStereo,
    SAFT8kHz16BitMono,
    SAFT8kHz16BitStereo,
    SAFT11kHz8BitMono,
    SAFT11kHz8BitStereo,
    SAFT11kHz16BitMono,
    SAFT11kHz16BitStereo,
    SAFT12kHz8BitMono,
    SAFT12kHz8BitStereo,
    SAFT12kHz16BitMono,
    SAFT12kHz16BitStereo,
    SAFT16kHz8BitMono,
    SAFT16kHz8BitStereo,
    SAFT16kHz16BitMono,
    SAFT16kHz16BitStereo,
    SAFT22kHz8BitMono,
    SAFT22kHz8BitStereo,
    SAFT22kHz16BitMono,
    SAFT22kHz16BitStereo,
    SAFT24kHz8BitMono,
    SAFT24kHz8BitStereo,
    SAFT24kHz16BitMono,
    SAFT24kHz16BitStereo,
    SAFT32kHz8BitMono,
    SAFT32kHz8BitStereo,
    SAFT32kHz16BitMono,
    SAFT32kHz16BitStereo,
    SAFT44kHz8BitMono,
    SAFT44kHz8BitStereo,
    SAFT44kHz16BitMono,
    SAFT44kHz16BitStereo,
    SAFT48kHz8BitMono,
    SAFT48kHz8BitStereo,
    SAFT48kHz16BitMono,
    SAFT48kHz16BitStereo,
};

// A stream's format, held as its type number. Any number may be stored; one outside 4..39 fails
// when the stream that carries it is applied (pcm() throws).
class SpAudioFormat {
public:
    explicit SpAudioFormat(int type = SAFT22kHz16BitMono)
        : m_type(type)
    {
    }

    int Type() const { return m_type; }
    void setType(int type) { m_type = type; }

    PcmFormat pcm() const; // throws PlatformError for a type outside 4..39

    static std::optional<PcmFormat> describe(int type);
    static QString name(int type); // "SAFT22kHz16BitMono"; empty for an unknown type

private:
    int m_type;
};
