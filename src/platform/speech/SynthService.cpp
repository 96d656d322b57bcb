#include "SynthService.h"

#include "PlatformError.h"
#include "SynthProtocol.h"

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
        if (request.status != MessageChannel::Status::Message || !serve(request.message))
            return;
    }
}

bool SynthService::serve(const QByteArray& request)
{
    bool connected = true;
    try {
        const SynthProtocol::Speak speak = SynthProtocol::readSpeak(request);
        // Each block waits for the engine's answer, which is how the engine stops speech.
        const auto sink = [&](std::span<const int16_t> samples, std::span<const SynthEvent> events) {
            if (!m_channel.send(SynthProtocol::block(samples, events)))
                return connected = false;
            const MessageChannel::Received answer = m_channel.receive();
            if (answer.status != MessageChannel::Status::Message)
                return connected = false;
            return SynthProtocol::readProceed(answer.message);
        };
        const bool completed = m_backend.synthesize(speak.ssml, speak.settings, sink);
        return connected && m_channel.send(SynthProtocol::done(completed));
    } catch (const PlatformError& error) {
        return connected && m_channel.send(SynthProtocol::failed(error.description()));
    }
}
