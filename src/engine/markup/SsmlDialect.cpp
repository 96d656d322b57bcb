#include "engine/markup/SsmlDialect.h"

#include "engine/markup/MarkupDocumentBuilder.h"
#include "engine/markup/MarkupTag.h"
#include "engine/markup/SsmlValues.h"

SsmlDialect::SsmlDialect(const MarkupTag& tag, MarkupDocumentBuilder& document)
    : m_tag(tag)
    , m_document(document)
{
}

SsmlDialect::Content SsmlDialect::apply(MarkupElement element)
{
    language();
    switch (element) {
    case MarkupElement::Mark:
        mark();
        break;
    case MarkupElement::Break:
        pause();
        break;
    case MarkupElement::Prosody:
        prosody();
        break;
    case MarkupElement::Emphasis:
        emphasis();
        break;
    case MarkupElement::SayAs:
        sayAs();
        break;
    case MarkupElement::SsmlVoice:
        voice();
        break;
    case MarkupElement::Sub:
        return sub();
    case MarkupElement::Hidden:
        return { true };
    default:
        break;
    }
    return {};
}

void SsmlDialect::language()
{
    const std::optional<QString> value = m_tag.valueOf("xml:lang");
    const std::optional<QString> tag = value ? SsmlValues::languageTag(*value) : std::nullopt;
    if (!tag)
        return;
    MarkupState state = m_document.state();
    state.language = *tag;
    m_document.setState(std::move(state));
}

void SsmlDialect::mark()
{
    if (const std::optional<QString> name = m_tag.valueOf("name"))
        m_document.addBookmark(m_tag.begin(), m_tag.end(), *name);
}

void SsmlDialect::pause()
{
    const int ms = SsmlValues::breakMilliseconds(m_tag.valueOf("time"), m_tag.valueOf("strength"));
    m_document.addSilence(m_tag.begin(), m_tag.end(), ms);
}

void SsmlDialect::prosody()
{
    MarkupState state = m_document.state();
    if (const std::optional<QString> rate = m_tag.valueOf("rate"))
        state = SsmlValues::rate(*rate, std::move(state));
    if (const std::optional<QString> pitch = m_tag.valueOf("pitch"))
        state = SsmlValues::pitch(*pitch, std::move(state));
    if (const std::optional<QString> volume = m_tag.valueOf("volume"))
        state = SsmlValues::volume(*volume, std::move(state));
    m_document.setState(std::move(state));
}

void SsmlDialect::emphasis()
{
    MarkupState state = m_document.state();
    state.emphasis = SsmlValues::emphasised(m_tag.valueOf("level"));
    m_document.setState(std::move(state));
}

void SsmlDialect::sayAs()
{
    const std::optional<QString> how = m_tag.valueOf("interpret-as");
    if (!how || !SsmlValues::spelled(*how))
        return;
    MarkupState state = m_document.state();
    state.spell = true;
    m_document.setState(std::move(state));
}

void SsmlDialect::voice()
{
    const QString required = SsmlValues::voiceRequirement(m_tag.valueOf("name"), m_tag.valueOf("gender"));
    if (required.isEmpty())
        return;
    MarkupState state = m_document.state();
    state.voiceRequired = required;
    m_document.setState(std::move(state));
}

// Without an alias the content is spoken; with one, the alias is, in place of the content.
SsmlDialect::Content SsmlDialect::sub()
{
    const std::optional<QString> alias = m_tag.valueOf("alias");
    if (!alias)
        return {};
    const QString replacement = alias->isNull() ? QStringLiteral("") : *alias;
    return { true, m_document.addReplacement(m_tag.begin(), m_tag.end(), replacement) };
}
