#include "engine/synth/SynthService.h"

#include "engine/synth/SynthProtocol.h"
#include "platform/PlatformError.h"

SynthService::SynthService(SynthesizerBackend& backend, MessageChannel& channel)
    : m_backend(backend)
    , m_channel(channel)
{
}

void SynthService::run()
{
    if (!m_channel.send(SynthProtocol::ready({ m_backend.sampleRate(), m_backend.voices() })))
        return;
    for (;;) {
        const MessageChannel::Received request = m_channel.receive();
        if (request.status != MessageChannel::Status::Message)
            return;
        // A stop that crossed the end of its text on the way is not a request.
        if (SynthProtocol::kind(request.message) != SynthProtocol::Kind::Stop && !serve(request.message))
            return;
    }
}

bool SynthService::serve(const QByteArray& request)
{
    m_samples.clear();
    m_events.clear();
    bool connected = true;
    try {
        const SynthProtocol::Speak speak = SynthProtocol::readSpeak(request);
        m_batchSamples = speak.settings.awaited ? firstBatchSamples : largestBatchSamples;
        // Batches go out without waiting for the engine; the socket's buffer is how far ahead
        // the synthesiser may run. The engine stops a text by sending Stop, looked for before
        // each batch.
        const auto sink = [&](std::span<const int16_t> samples, std::span<const SynthEvent> events) {
            m_samples.insert(m_samples.end(), samples.begin(), samples.end());
            m_events.insert(m_events.end(), events.begin(), events.end());
            if (m_samples.size() < m_batchSamples)
                return true;
            if (m_channel.pending()) {
                const MessageChannel::Received message = m_channel.receive();
                connected = message.status == MessageChannel::Status::Message;
                return false;
            }
            return connected = flush();
        };
        const bool completed = m_backend.synthesize(speak.ssml, speak.settings, sink);
        return connected && (!completed || flush()) && m_channel.send(SynthProtocol::done(completed));
    } catch (const PlatformError& error) {
        return connected && m_channel.send(SynthProtocol::failed(error.description()));
    }
}

bool SynthService::flush()
{
    const bool sent = m_channel.send(SynthProtocol::block(m_samples, m_events));
    m_batchSamples = std::min(m_batchSamples * 2, largestBatchSamples);
    m_samples.clear();
    m_events.clear();
    return sent;
}
