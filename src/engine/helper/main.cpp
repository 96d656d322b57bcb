// parlora-synth: the speech synthesisers, run by the engine in a process of its own.
#include "engine/synth/ESpeakBackend.h"
#include "engine/synth/FliteBackend.h"
#include "engine/synth/HelperProcess.h"
#include "engine/synth/SynthProtocol.h"
#include "engine/synth/SynthService.h"
#include "engine/synth/SynthesizerSet.h"
#include "platform/PlatformError.h"

#include <csignal>

int main(int argc, char** argv)
{
    std::signal(SIGPIPE, SIG_IGN);
    MessageChannel channel(HelperProcess::channelDescriptor);
    const QString dataPath = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    try {
        ESpeakBackend espeak(dataPath);
        // Flite's voices follow eSpeak NG's and speak at its rate.
        FliteBackend flite(espeak.sampleRate());
        SynthesizerSet backends({ &espeak, &flite });
        SynthService(backends, channel).run();
    } catch (const PlatformError& error) {
        channel.send(SynthProtocol::failed(error.description()));
        return 1;
    }
    return 0;
}
