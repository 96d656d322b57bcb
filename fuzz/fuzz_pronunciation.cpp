// Feeds arbitrary bytes to the pronunciation rules: the part before the first NUL byte is read as
// the rules' file, the rest is the text the rules are applied to, with and without markup.
// Aborts when a position of the rewritten text maps outside the original or backwards, or when
// the rewritten markup text differs from the original outside the text between tags.
#include "PronunciationFile.h"
#include "engine/pronunciation/PronunciationRules.h"

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

void check(const PronunciationRules& rules, const QString& text, bool markup)
{
    const PronunciationRules::Rewritten rewritten = rules.apply(text, markup);
    qsizetype last = 0;
    for (qsizetype at = 0; at <= rewritten.text.size(); ++at) {
        const TextPositionMap::Span span = rewritten.map.toOriginal(at, 0);
        require(span.start >= 0 && span.start <= text.size(), "position outside the original text");
        require(span.start >= last, "positions run backwards");
        last = span.start;
        const TextPositionMap::Span whole = rewritten.map.toOriginal(at, rewritten.text.size() - at);
        require(whole.start + whole.length <= text.size(), "span runs past the original text");
    }
    if (rules.rules().empty())
        require(rewritten.text == text, "no rules changed the text");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const qsizetype split = bytes.indexOf('\0');
    const auto rules = PronunciationFile::parse(split < 0 ? bytes : bytes.left(split));
    if (!rules)
        return 0;
    const QString text = split < 0 ? QString() : QString::fromUtf8(bytes.mid(split + 1));
    const PronunciationRules compiled(*rules);
    check(compiled, text, false);
    check(compiled, text, true);
    return 0;
}
