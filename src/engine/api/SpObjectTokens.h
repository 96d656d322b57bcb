#pragma once

#include "engine/api/SpObjectToken.h"

#include <vector>

// An ordered token collection; Item(i) counts from 0.
class SpObjectTokens {
public:
    SpObjectTokens() = default;
    explicit SpObjectTokens(std::vector<SpObjectToken> tokens)
        : m_tokens(std::move(tokens))
    {
    }

    int Count() const { return static_cast<int>(m_tokens.size()); }
    SpObjectToken Item(int index) const; // throws PlatformError outside 0..Count()-1

    auto begin() const { return m_tokens.begin(); }
    auto end() const { return m_tokens.end(); }

private:
    std::vector<SpObjectToken> m_tokens;
};
