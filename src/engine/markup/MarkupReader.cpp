#include "engine/markup/MarkupReader.h"

#include "engine/markup/MarkupParser.h"
#include "platform/PlatformError.h"

namespace {

MarkupDocument plainDocument(const QString& text, const MarkupState& initial)
{
    MarkupDocument doc;
    if (!text.isEmpty()) {
        doc.states.push_back(initial);
        MarkupItem item;
        item.end = text.size();
        doc.items.push_back(std::move(item));
    }
    doc.finalState = initial;
    return doc;
}

} // namespace

MarkupDocument MarkupReader::read(const QString& text, bool xml, const MarkupState& initial)
{
    if (!xml)
        return plainDocument(text, initial);
    return MarkupParser(text, initial, false).run();
}

MarkupReading MarkupReader::readForgiving(const QString& text, bool xml, const MarkupState& initial)
{
    if (!xml)
        return { plainDocument(text, initial), QString() };
    MarkupParser parser(text, initial, true);
    try {
        MarkupDocument doc = parser.run();
        return { std::move(doc), parser.problem() };
    } catch (const PlatformError& error) {
        // What is left unforgiven concerns the markup as a whole.
        return { plainDocument(text, initial), error.description() };
    }
}
