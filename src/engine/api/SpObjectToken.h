#pragma once

#include <QMap>
#include <QString>

// A voice or audio output as the engine lists it: a stable Id, a readable description and the
// attributes that markup and attribute queries match against (Name, Gender, Age, Language).
class SpObjectToken {
public:
    SpObjectToken() = default;
    SpObjectToken(QString id, QString description, const QMap<QString, QString>& attributes = {});

    QString Id() const { return m_id; }
    QString GetDescription(int locale = 0) const;
    QString attribute(const QString& name) const { return m_attributes.value(name.toLower()); }
    bool isNull() const { return m_id.isEmpty(); }

    bool operator==(const SpObjectToken& other) const { return m_id == other.m_id; }

private:
    QString m_id;
    QString m_description;
    QMap<QString, QString> m_attributes; // keys in lower case
};
