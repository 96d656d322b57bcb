#include "ScriptedMessages.h"

#include "MessageBoxes.h"
#include "QtMessageService.h"
#include "WindowRegistry.h"

#include <QDebug>

namespace {

// The answers a box of this style can give, from its buttons.
bool offers(int style, int answer)
{
    const QMessageBox::StandardButtons buttons = QtMessageService::buttons(style);
    switch (answer) {
    case vbOK:
        return buttons.testFlag(QMessageBox::Ok);
    case vbCancel:
        return buttons.testFlag(QMessageBox::Cancel);
    case vbYes:
        return buttons.testFlag(QMessageBox::Yes);
    case vbNo:
        return buttons.testFlag(QMessageBox::No);
    default:
        return false;
    }
}

} // namespace

ScriptedMessages& ScriptedMessages::install()
{
    auto messages = std::make_unique<ScriptedMessages>();
    ScriptedMessages& installed = *messages;
    WindowRegistry::services().messages = std::move(messages);
    return installed;
}

void ScriptedMessages::reportUnexpected(const QString& what)
{
    m_unexpected << what;
    qWarning() << "ScriptedMessages: unexpected" << what;
}

int ScriptedMessages::messageBox(QWidget*, const QString& text, int style, const QString& title)
{
    m_messages.push_back({ text, style, title });
    if (QtMessageService::buttons(style) == QMessageBox::Ok)
        return vbOK;
    const int fallback = offers(style, vbCancel) ? vbCancel : vbNo;
    if (m_answers.empty()) {
        reportUnexpected(QStringLiteral("message box \"%1\": %2").arg(title, text));
        return fallback;
    }
    const int answer = m_answers.front();
    m_answers.pop_front();
    if (!offers(style, answer)) {
        reportUnexpected(QStringLiteral("answer %1 to message box \"%2\": %3").arg(answer).arg(title, text));
        return fallback;
    }
    return answer;
}

std::optional<QString> ScriptedMessages::inputBox(
    QWidget*, const QString& prompt, const QString& title, const QString& initial)
{
    m_inputs.push_back({ prompt, title, initial });
    if (m_inputAnswers.empty()) {
        reportUnexpected(QStringLiteral("input box \"%1\": %2").arg(title, prompt));
        return std::nullopt;
    }
    // Taken apart by hand: copying the optional trips a false uninitialised warning in GCC 12.
    const bool chosen = m_inputAnswers.front().has_value();
    const QString value = chosen ? *m_inputAnswers.front() : QString();
    m_inputAnswers.pop_front();
    if (!chosen)
        return std::nullopt;
    return value;
}
