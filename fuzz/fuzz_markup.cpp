// Feeds arbitrary bytes to MarkupReader and checks the document's invariants. A PlatformError is
// an expected outcome for malformed markup in the strict reading, never in the forgiving one; any
// other failure aborts.
#include "engine/markup/MarkupReader.h"
#include "platform/PlatformError.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void require(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

bool splitsPair(const QString& text, qsizetype at)
{
    return at > 0 && at < text.size() && text[at - 1].isHighSurrogate() && text[at].isLowSurrogate();
}

void checkItems(const QString& text, const MarkupDocument& doc);

// The forgiving reading never throws, keeps the document's invariants, and reports a problem
// exactly when the strict reading faults.
void checkForgiving(const QString& text, bool strictFaulted)
{
    const MarkupReading reading = MarkupReader::readForgiving(text, true);
    require(reading.problem.isEmpty() != strictFaulted, "forgiven problem disagrees with the strict fault");
    checkItems(text, reading.document);
}

void check(const QString& text)
{
    MarkupDocument doc;
    try {
        doc = MarkupReader::read(text, true);
    } catch (const PlatformError& e) {
        require(!e.description().isEmpty(), "fault without a description");
        checkForgiving(text, true);
        return;
    }
    checkForgiving(text, false);
    checkItems(text, doc);
    // Reading again from the final state must behave the same way for the spans.
    const MarkupDocument again = MarkupReader::read(text, true, doc.finalState);
    require(again.items.size() == doc.items.size(), "result depends on the initial state's shape");

    const MarkupDocument plain = MarkupReader::read(text, false);
    require(plain.items.size() == (text.isEmpty() ? 0u : 1u), "plain text is not one item");
}

void checkItems(const QString& text, const MarkupDocument& doc)
{
    qsizetype previousBegin = 0;
    qsizetype textEnd = 0; // end of the last text item spoken as it stands
    for (const MarkupItem& item : doc.items) {
        require(item.begin >= 0 && item.begin <= item.end && item.end <= text.size(), "span outside the text");
        require(item.begin >= previousBegin, "items out of order");
        require(item.state >= 0 && size_t(item.state) < doc.states.size(), "state index out of range");
        require(!splitsPair(text, item.begin) && !splitsPair(text, item.end), "span splits a surrogate pair");
        if (item.kind == MarkupItem::Kind::Text) {
            require(item.begin < item.end, "empty text item");
            require(item.begin >= textEnd, "text items overlap");
            textEnd = item.end;
        }
        previousBegin = item.begin;
    }
    for (size_t i = 1; i < doc.states.size(); ++i)
        require(!(doc.states[i] == doc.states[i - 1]), "identical consecutive states");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    check(QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size)));
    // The same bytes as UTF-16 reach unpaired surrogates, which UTF-8 decoding never yields.
    if (size >= 3 && data[0] == 0xFF) {
        QString utf16(qsizetype((size - 1) / 2), Qt::Uninitialized);
        std::memcpy(utf16.data(), data + 1, size_t(utf16.size()) * sizeof(QChar));
        check(utf16);
    }
    return 0;
}
