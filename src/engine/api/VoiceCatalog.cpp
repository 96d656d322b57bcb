#include "engine/api/VoiceCatalog.h"

#include <algorithm>
#include <set>

namespace {
QString normalisedLanguage(QString tag)
{
    return tag.replace(QLatin1Char('_'), QLatin1Char('-')).toLower();
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

// Windows language numbers that markup may give as Language=409.
QString languageFromNumber(const QString& value)
{
    bool ok = false;
    const int id = value.toInt(&ok, 16);
    if (!ok)
        return {};
    static const std::pair<int, const char*> table[] = { { 0x409, "en-us" }, { 0x809, "en-gb" }, { 0x407, "de" },
        { 0x40c, "fr" }, { 0x410, "it" }, { 0x40a, "es" }, { 0xc0a, "es" }, { 0x416, "pt-br" }, { 0x816, "pt" },
        { 0x413, "nl" }, { 0x419, "ru" }, { 0x415, "pl" }, { 0x411, "ja" }, { 0x804, "cmn" }, { 0x412, "ko" } };
    for (const auto& [number, tag] : table)
        if (number == id)
            return QString::fromLatin1(tag);
    return {};
}

int languageScore(const QString& voiceLanguage, const QString& wanted)
{
    const QString voice = normalisedLanguage(voiceLanguage);
    const QString want = normalisedLanguage(wanted);
    if (want.isEmpty())
        return 0;
    if (voice == want)
        return 3;
    const QString wantPrimary = want.section(QLatin1Char('-'), 0, 0);
    if (voice.startsWith(want + QLatin1Char('-')))
        return 2;
    if (voice.section(QLatin1Char('-'), 0, 0) == wantPrimary)
        return 1;
    return 0;
}
} // namespace

VoiceCatalog::VoiceCatalog(const std::vector<SynthVoice>& voices, const QLocale& locale)
{
    QString wanted = locale.name(); // "en_US"; the C locale reads as American English
    if (locale.language() == QLocale::C)
        wanted = QStringLiteral("en_US");
    std::vector<const SynthVoice*> order;
    order.reserve(voices.size());
    for (const SynthVoice& v : voices)
        order.push_back(&v);
    std::stable_sort(order.begin(), order.end(),
        [](const SynthVoice* a, const SynthVoice* b) { return a->name.localeAwareCompare(b->name) < 0; });
    const auto best = std::max_element(order.begin(), order.end(), [&](const SynthVoice* a, const SynthVoice* b) {
        return languageScore(a->language, wanted) < languageScore(b->language, wanted);
    });
    if (best != order.end() && languageScore((*best)->language, wanted) > 0)
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
                { QStringLiteral("Language"), v->language }, { QStringLiteral("Vendor"), QStringLiteral("eSpeak NG") },
                { QStringLiteral("SynthId"), v->id } });
    }
}

bool VoiceCatalog::matches(const SpObjectToken& token, const QString& key, const QString& value)
{
    const QString lowerKey = key.toLower();
    if (lowerKey == QLatin1String("language")) {
        for (const QString& one : value.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            const QString tag = languageFromNumber(one).isEmpty() ? one : languageFromNumber(one);
            if (languageScore(token.attribute(key), tag) > 0)
                return true;
        }
        return false;
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
        const auto score
            = std::count_if(like.begin(), like.end(), [&](const auto& p) { return matches(token, p.first, p.second); });
        found.emplace_back(static_cast<int>(score), token);
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
