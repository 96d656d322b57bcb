// Feeds arbitrary bytes, as the synthesiser's helper might send them, to the message readers:
// each either reads the message or throws PlatformError, and a block read back and written
// again reads the same. Any other outcome aborts.
#include "engine/synth/SynthProtocol.h"
#include "platform/PlatformError.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

void readAs(const QByteArray& message)
{
    using namespace SynthProtocol;
    switch (kind(message)) {
    case Kind::Ready:
        readReady(message);
        break;
    case Kind::Failed:
        readFailed(message);
        break;
    case Kind::Block: {
        const Block block = readBlock(message);
        const Block again = readBlock(SynthProtocol::block(block.samples, block.events));
        require(again.samples == block.samples, "block samples survive a round trip");
        require(again.events == block.events, "block events survive a round trip");
        break;
    }
    case Kind::Done:
        readDone(message);
        break;
    case Kind::Speak:
        readSpeak(message);
        break;
    case Kind::Stop:
    case Kind::Invalid:
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray message(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    try {
        readAs(message);
    } catch (const PlatformError&) {
        // A message that cannot be read is refused; that is the expected outcome.
    }
    return 0;
}
