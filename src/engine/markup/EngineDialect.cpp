#include "engine/markup/EngineDialect.h"

#include "engine/markup/LanguageTable.h"
#include "engine/markup/MarkupDocumentBuilder.h"
#include "engine/markup/MarkupFault.h"
#include "engine/markup/MarkupTag.h"

#include <algorithm>

EngineDialect::EngineDialect(const MarkupTag& tag, MarkupDocumentBuilder& document)
    : m_tag(tag)
    , m_document(document)
{
}

void EngineDialect::apply(MarkupElement element)
{
    switch (element) {
    case MarkupElement::Bookmark:
        return bookmark();
    case MarkupElement::Silence:
        return silence();
    case MarkupElement::Rate:
        return rate();
    case MarkupElement::Pitch:
        return pitch();
    case MarkupElement::Volume:
        return volume();
    case MarkupElement::Emph:
        return emphasis();
    case MarkupElement::Spell:
        return spell();
    case MarkupElement::EngineVoice:
        return voice();
    case MarkupElement::Lang:
        return language();
    default:
        return;
    }
}

void EngineDialect::bookmark()
{
    const QString name = m_tag.value(m_tag.required("mark"));
    m_document.addBookmark(m_tag.begin(), m_tag.end(), name);
}

void EngineDialect::silence()
{
    const MarkupAttribute& a = m_tag.required("msec");
    const int ms = m_tag.integer(a);
    if (ms < 0)
        MarkupFault::raise(a.nameBegin, QStringLiteral("msec in <%1> is negative").arg(m_tag.shownName()));
    m_document.addSilence(m_tag.begin(), m_tag.end(), ms);
}

void EngineDialect::rate()
{
    const MarkupAttribute* absolute = m_tag.attribute("absspeed");
    const MarkupAttribute* relative = m_tag.attribute("speed");
    if (!absolute && !relative)
        missing(QStringLiteral("speed or absspeed"));
    MarkupState state = m_document.state();
    const Setting rate = adjusted({ state.rate, state.rateAbsolute }, absolute, relative);
    state.rate = rate.value;
    state.rateAbsolute = rate.absolute;
    m_document.setState(std::move(state));
}

void EngineDialect::pitch()
{
    const MarkupAttribute* absolute = m_tag.attribute("absmiddle");
    const MarkupAttribute* relative = m_tag.attribute("middle");
    // A pitch with only a range is valid markup, even though the range itself is ignored.
    if (!absolute && !relative && !m_tag.attribute("range") && !m_tag.attribute("absrange"))
        missing(QStringLiteral("middle or absmiddle"));
    MarkupState state = m_document.state();
    const Setting pitch = adjusted({ state.pitch, state.pitchAbsolute }, absolute, relative);
    state.pitch = pitch.value;
    state.pitchAbsolute = pitch.absolute;
    m_document.setState(std::move(state));
}

// An absolute value is applied first so that a relative one given with it adds to it.
EngineDialect::Setting EngineDialect::adjusted(
    Setting setting, const MarkupAttribute* absolute, const MarkupAttribute* relative) const
{
    if (absolute)
        setting = { std::clamp(m_tag.integer(*absolute), -10, 10), true };
    if (relative)
        setting.value = int(std::clamp<qint64>(qint64(setting.value) + m_tag.integer(*relative), -10, 10));
    return setting;
}

void EngineDialect::missing(const QString& attributes) const
{
    MarkupFault::raise(m_tag.begin(), QStringLiteral("<%1> needs a %2 attribute").arg(m_tag.shownName(), attributes));
}

void EngineDialect::volume()
{
    MarkupState state = m_document.state();
    state.volume = std::clamp(m_tag.integer(m_tag.required("level")), 0, 100);
    m_document.setState(std::move(state));
}

void EngineDialect::emphasis()
{
    MarkupState state = m_document.state();
    state.emphasis = true;
    m_document.setState(std::move(state));
}

void EngineDialect::spell()
{
    MarkupState state = m_document.state();
    state.spell = true;
    m_document.setState(std::move(state));
}

// A missing list keeps the enclosing one, so nested voices refine the choice.
void EngineDialect::voice()
{
    MarkupState state = m_document.state();
    if (const std::optional<QString> required = m_tag.valueOf("required"))
        state.voiceRequired = *required;
    if (const std::optional<QString> optional = m_tag.valueOf("optional"))
        state.voiceOptional = *optional;
    m_document.setState(std::move(state));
}

// The first id of the list chooses the language; an id the table lacks keeps the current one.
void EngineDialect::language()
{
    const MarkupAttribute& a = m_tag.required("langid");
    const std::optional<unsigned> id = LanguageTable::firstId(m_tag.value(a));
    if (!id)
        MarkupFault::raise(a.nameBegin,
            QStringLiteral("langid=\"%1\" in <%2> is not a hexadecimal language id")
                .arg(m_tag.shown(a.valueBegin, a.valueEnd), m_tag.shownName()));
    if (const std::optional<QString> tag = LanguageTable::tag(*id)) {
        MarkupState state = m_document.state();
        state.language = *tag;
        m_document.setState(std::move(state));
    }
}
