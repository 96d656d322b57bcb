#pragma once

#include "engine/api/SpAudioFormat.h"

// A stream the voice can speak into: the audio device or a file. Its Format is set before it is
// given to the voice; the voice applies it then.
class SpStream {
public:
    virtual ~SpStream() = default;
    SpAudioFormat& Format() { return m_format; }
    const SpAudioFormat& Format() const { return m_format; }
    virtual bool isFile() const { return false; }

private:
    SpAudioFormat m_format;
};
