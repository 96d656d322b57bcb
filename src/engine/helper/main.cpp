// parlora-synth: the speech synthesiser, run by the engine in a process of its own.
#include "engine/synth/ESpeakBackend.h"
#include "engine/synth/HelperProcess.h"
#include "engine/synth/SynthProtocol.h"
#include "engine/synth/SynthService.h"
#include "platform/PlatformError.h"

#include <csignal>

int main(int argc, char** argv)
{
    std::signal(SIGPIPE, SIG_IGN);
    MessageChannel channel(HelperProcess::channelDescriptor);
    const QString dataPath = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    try {
        ESpeakBackend backend(dataPath);
        SynthService(backend, channel).run();
    } catch (const PlatformError& error) {
        channel.send(SynthProtocol::failed(error.description()));
        return 1;
    }
    return 0;
}
