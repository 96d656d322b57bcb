// Feeds arbitrary bytes, as SSML, to what turns a chunk into Flite's plain text: every piece it
// makes must be printable ASCII with one SSML position per byte, end in a blank, place its marks
// inside its text, and point only into the SSML it was given. Any other outcome aborts.
#include "engine/synth/FliteScript.h"

#include <QList>
#include <QString>
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
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray ssml(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const qsizetype codePoints = QString::fromUtf8(ssml).toUcs4().size();
    for (const bool punctuation : { false, true }) {
        for (const FliteScript::Piece& piece : FliteScript(ssml, punctuation).pieces()) {
            if (piece.pause) {
                require(piece.milliseconds >= 0, "a pause is not negative");
                continue;
            }
            require(piece.origins.size() == static_cast<size_t>(piece.text.size()), "one position per byte");
            require(piece.text.endsWith(' '), "the text ends in a blank");
            for (const char c : piece.text)
                require(c >= 0x20 && c < 0x7f, "printable ASCII only");
            for (const int origin : piece.origins)
                require(origin >= 0 && origin <= codePoints, "positions inside the SSML");
            for (const FliteScript::Mark& mark : piece.marks)
                require(mark.byte >= 0 && mark.byte <= piece.text.size(), "marks inside the text");
            require(piece.rate > 0 && piece.volume >= 0 && piece.pitch >= 0, "prosody in range");
        }
    }
    return 0;
}
