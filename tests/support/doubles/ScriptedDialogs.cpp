#include "ScriptedDialogs.h"

#include "WindowRegistry.h"

#include <QDebug>

ScriptedDialogs& ScriptedDialogs::install()
{
    auto dialogs = std::make_unique<ScriptedDialogs>();
    ScriptedDialogs& installed = *dialogs;
    WindowRegistry::services().dialogs = std::move(dialogs);
    return installed;
}

std::optional<ChosenFile> ScriptedDialogs::chooseFile(QWidget*, const FileDialogRequest& request)
{
    m_fileRequests.push_back(request);
    if (m_fileAnswers.empty()) {
        const QString kind
            = request.kind == FileDialogRequest::Kind::Save ? QStringLiteral("save") : QStringLiteral("open");
        m_unexpected << QStringLiteral("%1 dialog \"%2\"").arg(kind, request.title);
        qWarning() << "ScriptedDialogs: unexpected" << m_unexpected.constLast();
        return std::nullopt;
    }
    // Taken apart by hand: copying the optional trips a false uninitialised warning in GCC 12.
    const bool chosen = m_fileAnswers.front().has_value();
    const ChosenFile value = chosen ? *m_fileAnswers.front() : ChosenFile(QString());
    m_fileAnswers.pop_front();
    if (!chosen)
        return std::nullopt;
    return value;
}

std::optional<QColor> ScriptedDialogs::chooseColor(QWidget*, const QColor& initial, int flags)
{
    m_colorRequests.push_back({ initial, flags });
    if (m_colorAnswers.empty()) {
        m_unexpected << QStringLiteral("colour dialog");
        qWarning() << "ScriptedDialogs: unexpected colour dialog";
        return std::nullopt;
    }
    std::optional<QColor> answer = m_colorAnswers.front();
    m_colorAnswers.pop_front();
    return answer;
}
