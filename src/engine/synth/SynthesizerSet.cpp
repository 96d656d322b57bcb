#include "engine/synth/SynthesizerSet.h"

#include <algorithm>

SynthesizerSet::SynthesizerSet(std::vector<SynthesizerBackend*> backends)
    : m_backends(std::move(backends))
{
    if (m_backends.empty())
        throw PlatformError(QStringLiteral("The speech synthesiser has no voices installed."));
    for (size_t i = 0; i < m_backends.size(); ++i) {
        if (m_backends[i]->sampleRate() != sampleRate())
            throw PlatformError(QStringLiteral("The speech synthesisers do not speak at one sample rate."));
        for (SynthVoice& voice : m_backends[i]->voices()) {
            m_voices.push_back(std::move(voice));
            m_owners.push_back(i);
        }
    }
}

bool SynthesizerSet::synthesize(const QByteArray& ssml, const Settings& settings, const Sink& sink)
{
    const auto it = std::find_if(
        m_voices.begin(), m_voices.end(), [&](const SynthVoice& voice) { return voice.id == settings.voiceId; });
    const size_t owner = it == m_voices.end() ? 0 : m_owners[static_cast<size_t>(it - m_voices.begin())];
    return m_backends[owner]->synthesize(ssml, settings, sink);
}
