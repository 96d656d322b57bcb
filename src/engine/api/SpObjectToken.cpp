#include "engine/api/SpObjectToken.h"

SpObjectToken::SpObjectToken(QString id, QString description, const QMap<QString, QString>& attributes)
    : m_id(std::move(id))
    , m_description(std::move(description))
{
    for (auto it = attributes.cbegin(); it != attributes.cend(); ++it)
        m_attributes.insert(it.key().toLower(), it.value());
}

// Descriptions are held in one language; every locale gets the same display name.
QString SpObjectToken::GetDescription(int /*locale*/) const
{
    return m_description;
}
