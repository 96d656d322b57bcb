#pragma once

#include "engine/synth/SynthesizerBackend.h"

#include <mutex>

// eSpeak NG in synchronous mode. The library is process-wide and not re-entrant, so every
// instance shares one initialisation and synthesis is serialised.
class ESpeakBackend final : public SynthesizerBackend {
public:
    // Throws PlatformError when the library cannot start (speech data missing). dataPath empty
    // means the library's own data folder.
    explicit ESpeakBackend(const QString& dataPath = {});
    ~ESpeakBackend() override;

    int sampleRate() const override { return m_sampleRate; }
    std::vector<SynthVoice> voices() const override;
    bool synthesize(const QByteArray& ssml, const Settings& settings, const Sink& sink) override;

private:
    static void apply(const Settings& settings);

    int m_sampleRate = 0;
};
