#pragma once

#include "engine/api/SpObjectTokens.h"
#include "engine/synth/SynthesizerBackend.h"

#include <QLocale>

// The voices of the synthesisers as tokens: the first synthesiser's voice for the user's locale
// first, then its others by description, then each further synthesiser's voices by description. Immutable once built,
// so the worker may resolve markup voices with it.
class VoiceCatalog {
public:
    VoiceCatalog(const std::vector<SynthVoice>& voices, const QLocale& locale);

    SpObjectTokens tokens() const { return SpObjectTokens(m_tokens); }
    // Voices matching every "Name=value" pair of required, those matching more of optional first.
    SpObjectTokens select(const QString& required, const QString& optional) const;
    const SpObjectToken* find(const QString& tokenId) const;
    QString synthId(const SpObjectToken& token) const { return token.attribute(QStringLiteral("SynthId")); }
    // The voice to speak with when markup asks for one; fallback when nothing matches.
    QString resolve(const QString& required, const QString& optional, const QString& language,
        const QString& fallbackTokenId) const;

private:
    static bool matches(const SpObjectToken& token, const QString& key, const QString& value);
    static int languageRank(const SpObjectToken& token, const QString& value); // best of a ','-list

    std::vector<SpObjectToken> m_tokens;
};
