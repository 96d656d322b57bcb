#pragma once

#include "engine/synth/SynthesizerBackend.h"

#include <vector>

// Several synthesisers behind the engine's one seam: their voices in the order the synthesisers
// are given, each text spoken by the synthesiser that lists its voice. All of them speak at the
// first one's rate, so the others must be made to convert to it.
class SynthesizerSet final : public SynthesizerBackend {
public:
    // The back ends are not owned and must outlive the set; the first one is the default.
    explicit SynthesizerSet(std::vector<SynthesizerBackend*> backends);

    int sampleRate() const override { return m_backends.front()->sampleRate(); }
    std::vector<SynthVoice> voices() const override { return m_voices; }
    // A voice that no synthesiser lists goes to the first, which refuses it in its own words.
    bool synthesize(const QByteArray& ssml, const Settings& settings, const Sink& sink) override;

private:
    std::vector<SynthesizerBackend*> m_backends;
    std::vector<SynthVoice> m_voices;
    std::vector<size_t> m_owners; // per voice, the index of its back end
};
