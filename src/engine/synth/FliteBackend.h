#pragma once

#include "engine/synth/SynthesizerBackend.h"

#include <QByteArray>

// Flite's English voices. Flite speaks at its voices' own rates (16 kHz, 8 kHz for kal), so the
// audio is converted to the rate given, the one the engine's pipeline is built for; event
// samples are converted with it. Flite keeps its voices process-wide, so synthesis is serialised.
class FliteBackend final : public SynthesizerBackend {
public:
    explicit FliteBackend(int sampleRate);

    int sampleRate() const override { return m_sampleRate; }
    std::vector<SynthVoice> voices() const override;
    bool synthesize(const QByteArray& ssml, const Settings& settings, const Sink& sink) override;

private:
    int m_sampleRate;
};
