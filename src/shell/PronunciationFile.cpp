#include "PronunciationFile.h"

#include "PlatformError.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace {

const QString rulesKey = QStringLiteral("rules");
const QString textKey = QStringLiteral("text");
const QString spokenAsKey = QStringLiteral("spokenAs");
const QString wholeWordKey = QStringLiteral("wholeWord");
const QString matchCaseKey = QStringLiteral("matchCase");
const QString regularExpressionKey = QStringLiteral("regularExpression");

// A flag that is absent takes its default; one of another type makes the file unreadable.
std::optional<bool> flag(const QJsonObject& object, const QString& key, bool fallback)
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined())
        return fallback;
    if (!value.isBool())
        return std::nullopt;
    return value.toBool();
}

std::optional<PronunciationRule> ruleOf(const QJsonValue& value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    if (!object.value(textKey).isString() || !object.value(spokenAsKey).isString())
        return std::nullopt;
    PronunciationRule rule;
    rule.text = object.value(textKey).toString();
    rule.spokenAs = object.value(spokenAsKey).toString();
    const auto wholeWord = flag(object, wholeWordKey, rule.wholeWord);
    const auto matchCase = flag(object, matchCaseKey, rule.matchCase);
    const auto expression = flag(object, regularExpressionKey, rule.regularExpression);
    if (!wholeWord || !matchCase || !expression)
        return std::nullopt;
    rule.wholeWord = *wholeWord;
    rule.matchCase = *matchCase;
    rule.regularExpression = *expression;
    return rule;
}

} // namespace

PronunciationFile::PronunciationFile(QString path)
    : m_path(std::move(path))
{
}

std::optional<std::vector<PronunciationRule>> PronunciationFile::parse(const QByteArray& bytes)
{
    QJsonParseError error {};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonValue list = document.object().value(rulesKey);
    if (!list.isArray())
        return std::nullopt;
    std::vector<PronunciationRule> rules;
    for (const QJsonValue value : list.toArray()) {
        const auto rule = ruleOf(value);
        if (!rule)
            return std::nullopt;
        rules.push_back(*rule);
    }
    return rules;
}

QByteArray PronunciationFile::serialize(const std::vector<PronunciationRule>& rules)
{
    QJsonArray list;
    for (const PronunciationRule& rule : rules)
        list.append(
            QJsonObject { { textKey, rule.text }, { spokenAsKey, rule.spokenAs }, { wholeWordKey, rule.wholeWord },
                { matchCaseKey, rule.matchCase }, { regularExpressionKey, rule.regularExpression } });
    return QJsonDocument(QJsonObject { { rulesKey, list } }).toJson(QJsonDocument::Indented);
}

PronunciationFile::Loaded PronunciationFile::load() const
{
    QFile file(m_path);
    if (!file.exists())
        return {};
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = file.readAll();
        file.close();
        if (auto rules = parse(bytes))
            return { std::move(*rules), QString() };
    }
    return { {}, moveAside() };
}

QString PronunciationFile::moveAside() const
{
    QString aside = m_path + QStringLiteral(".damaged");
    for (int n = 2; QFile::exists(aside); ++n)
        aside = m_path + QStringLiteral(".damaged-%1").arg(n);
    return QFile::rename(m_path, aside) ? aside : m_path;
}

void PronunciationFile::save(const std::vector<PronunciationRule>& rules) const
{
    const QByteArray bytes = serialize(rules);
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw PlatformError(file.errorString());
}
