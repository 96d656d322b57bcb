#pragma once

#include "MessageChannel.h"
#include "SynthesizerBackend.h"

// The helper process's side: serves one synthesiser over a channel until the channel closes.
class SynthService {
public:
    SynthService(SynthesizerBackend& backend, MessageChannel& channel);

    // Returns when the engine has gone.
    void run();

private:
    bool serve(const QByteArray& request);

    SynthesizerBackend& m_backend;
    MessageChannel& m_channel;
};
