#include "engine/markup/MarkupElement.h"

#include "engine/markup/MarkupCharacters.h"

#include <string_view>

namespace MarkupElements {

namespace {

struct ElementName {
    std::string_view name;
    MarkupElement element;
};

constexpr ElementName sentenceElements[] = {
    { "p", MarkupElement::SentenceBreak },
    { "s", MarkupElement::SentenceBreak },
    { "paragraph", MarkupElement::SentenceBreak },
    { "sentence", MarkupElement::SentenceBreak },
};

constexpr ElementName engineElements[] = {
    { "bookmark", MarkupElement::Bookmark },
    { "silence", MarkupElement::Silence },
    { "rate", MarkupElement::Rate },
    { "pitch", MarkupElement::Pitch },
    { "volume", MarkupElement::Volume },
    { "emph", MarkupElement::Emph },
    { "spell", MarkupElement::Spell },
    { "voice", MarkupElement::EngineVoice },
    { "lang", MarkupElement::Lang },
};

constexpr ElementName ssmlElements[] = {
    { "mark", MarkupElement::Mark },
    { "break", MarkupElement::Break },
    { "prosody", MarkupElement::Prosody },
    { "emphasis", MarkupElement::Emphasis },
    { "say-as", MarkupElement::SayAs },
    { "voice", MarkupElement::SsmlVoice },
    { "sub", MarkupElement::Sub },
    { "desc", MarkupElement::Hidden },
    { "metadata", MarkupElement::Hidden },
};

template <size_t N> MarkupElement lookup(const ElementName (&table)[N], QStringView name)
{
    for (const auto& e : table) {
        if (MarkupCharacters::equalsLower(name, e.name))
            return e.element;
    }
    return MarkupElement::Unknown;
}

} // namespace

MarkupDialect dialectOf(QStringView firstTagName)
{
    return MarkupCharacters::equalsLower(firstTagName, "speak") ? MarkupDialect::Ssml : MarkupDialect::Engine;
}

MarkupElement find(MarkupDialect dialect, QStringView name)
{
    const MarkupElement element = lookup(sentenceElements, name);
    if (element != MarkupElement::Unknown)
        return element;
    return dialect == MarkupDialect::Ssml ? lookup(ssmlElements, name) : lookup(engineElements, name);
}

} // namespace MarkupElements
