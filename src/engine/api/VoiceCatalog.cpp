#include "engine/api/VoiceCatalog.h"

#include "engine/markup/LanguageTable.h"

#include <algorithm>
#include <set>

namespace {
// Lower case with hyphens; Chinese by its spoken language, as the synthesiser names its voices.
QString normalisedLanguage(QString tag)
{
    tag = tag.replace(QLatin1Char('_'), QLatin1Char('-')).toLower();
    if (tag == QLatin1String("zh-hk") || tag == QLatin1String("zh-mo"))
        return QStringLiteral("yue");
    if (tag == QLatin1String("zh") || tag.startsWith(QLatin1String("zh-")))
        return QStringLiteral("cmn");
    return tag;
}

std::vector<std::pair<QString, QString>> pairs(const QString& attributes)
{
    std::vector<std::pair<QString, QString>> result;
    for (const QString& part : attributes.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const qsizetype eq = part.indexOf(QLatin1Char('='));
        if (eq > 0)
            result.emplace_back(part.left(eq).trimmed(), part.mid(eq + 1).trimmed());
    }
    return result;
}

// A language as markup gives it: a tag, or a language number such as 409 (the same numbers as
// <lang langid>).
QString languageTag(const QString& value)
{
    const std::optional<unsigned> id = LanguageTable::firstId(value);
    const std::optional<QString> tag = id ? LanguageTable::tag(*id) : std::nullopt;
    return tag ? *tag : value.trimmed();
}

// How well a voice speaks a language: 4 the same tag, 3 the language's main country ("fr-fr"
// for "fr"), 2 another country's variant, 1 the same language otherwise, 0 not at all.
int languageScore(const QString& voiceLanguage, const QString& wanted)
{
    const QString voice = normalisedLanguage(voiceLanguage);
    const QString want = normalisedLanguage(wanted);
    if (want.isEmpty())
        return 0;
    if (voice == want)
        return 4;
    const QString wantPrimary = want.section(QLatin1Char('-'), 0, 0);
    const QString voicePrimary = voice.section(QLatin1Char('-'), 0, 0);
    if (voicePrimary != wantPrimary)
        return 0;
    if (voice == wantPrimary || voice == wantPrimary + QLatin1Char('-') + wantPrimary)
        return 3;
    return voice.startsWith(want + QLatin1Char('-')) ? 2 : 1;
}
} // namespace

VoiceCatalog::VoiceCatalog(const std::vector<SynthVoice>& voices, const QLocale& locale)
{
    QString wanted = locale.name(); // "en_US"; the C locale reads as American English
    if (locale.language() == QLocale::C)
        wanted = QStringLiteral("en_US");
    // Each synthesiser's voices together, in the order the synthesisers come, by name within.
    std::vector<QString> vendors;
    std::vector<const SynthVoice*> order;
    order.reserve(voices.size());
    for (const SynthVoice& v : voices) {
        order.push_back(&v);
        if (std::find(vendors.begin(), vendors.end(), v.vendor) == vendors.end())
            vendors.push_back(v.vendor);
    }
    const auto rank = [&](const SynthVoice* v) { return std::find(vendors.begin(), vendors.end(), v->vendor); };
    std::stable_sort(order.begin(), order.end(), [&](const SynthVoice* a, const SynthVoice* b) {
        return rank(a) != rank(b) ? rank(a) < rank(b) : a->name.localeAwareCompare(b->name) < 0;
    });
    // The locale's voice comes first, from the first synthesiser: the others' voices stay after its own.
    const auto firstGroupEnd = order.empty()
        ? order.end()
        : std::find_if(order.begin(), order.end(), [&](const SynthVoice* v) { return rank(v) != rank(order.front()); });
    const auto best = std::max_element(order.begin(), firstGroupEnd, [&](const SynthVoice* a, const SynthVoice* b) {
        return languageScore(a->language, wanted) < languageScore(b->language, wanted);
    });
    if (best != firstGroupEnd && languageScore((*best)->language, wanted) > 0)
        std::rotate(order.begin(), best, best + 1);

    std::set<QString> used;
    for (const SynthVoice* v : order) {
        QString description = v->name.isEmpty() ? v->id : v->name;
        if (used.count(description))
            description += QStringLiteral(" (%1)").arg(v->id);
        used.insert(description);
        m_tokens.emplace_back(QStringLiteral("Parlora/Voices/") + v->id, description,
            QMap<QString, QString> { { QStringLiteral("Name"), description }, { QStringLiteral("Gender"), v->gender },
                { QStringLiteral("Age"), v->age ? QString::number(v->age) : QString() },
                { QStringLiteral("Language"), v->language }, { QStringLiteral("Vendor"), v->vendor },
                { QStringLiteral("SynthId"), v->id } });
    }
}

int VoiceCatalog::languageRank(const SpObjectToken& token, const QString& value)
{
    int best = 0;
    for (const QString& one : value.split(QLatin1Char(','), Qt::SkipEmptyParts))
        best = std::max(best, languageScore(token.attribute(QStringLiteral("Language")), languageTag(one)));
    return best;
}

bool VoiceCatalog::matches(const SpObjectToken& token, const QString& key, const QString& value)
{
    const QString lowerKey = key.toLower();
    if (lowerKey == QLatin1String("language")) {
        return languageRank(token, value) > 0;
    }
    return token.attribute(key).compare(value, Qt::CaseInsensitive) == 0;
}

SpObjectTokens VoiceCatalog::select(const QString& required, const QString& optional) const
{
    const auto need = pairs(required);
    const auto like = pairs(optional);
    std::vector<std::pair<int, SpObjectToken>> found;
    for (const SpObjectToken& token : m_tokens) {
        if (!std::all_of(need.begin(), need.end(), [&](const auto& p) { return matches(token, p.first, p.second); }))
            continue;
        // More optional attributes first; among equals, the voice closest to a required language.
        const auto score
            = std::count_if(like.begin(), like.end(), [&](const auto& p) { return matches(token, p.first, p.second); });
        int rank = 0;
        for (const auto& [key, value] : need)
            if (key.compare(QLatin1String("language"), Qt::CaseInsensitive) == 0)
                rank = std::max(rank, languageRank(token, value));
        found.emplace_back(static_cast<int>(score) * 8 + rank, token);
    }
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<SpObjectToken> result;
    result.reserve(found.size());
    for (auto& f : found)
        result.push_back(std::move(f.second));
    return SpObjectTokens(std::move(result));
}

const SpObjectToken* VoiceCatalog::find(const QString& tokenId) const
{
    const auto it
        = std::find_if(m_tokens.begin(), m_tokens.end(), [&](const SpObjectToken& t) { return t.Id() == tokenId; });
    return it == m_tokens.end() ? nullptr : &*it;
}

QString VoiceCatalog::resolve(
    const QString& required, const QString& optional, const QString& language, const QString& fallbackTokenId) const
{
    const SpObjectToken* fallback = find(fallbackTokenId);
    if (!required.isEmpty() || !optional.isEmpty()) {
        const SpObjectTokens chosen = select(required, optional);
        if (chosen.Count() > 0)
            return chosen.Item(0).Id();
    }
    if (!language.isEmpty()) {
        if (fallback && languageScore(fallback->attribute(QStringLiteral("Language")), language) > 0)
            return fallback->Id();
        const SpObjectToken* best = nullptr;
        int bestScore = 0;
        for (const SpObjectToken& token : m_tokens) {
            const int score = languageScore(token.attribute(QStringLiteral("Language")), language);
            if (score > bestScore) {
                best = &token;
                bestScore = score;
            }
        }
        if (best)
            return best->Id();
    }
    return fallbackTokenId;
}
