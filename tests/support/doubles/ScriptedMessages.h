#pragma once

#include "PlatformServices.h"

#include <QStringList>
#include <deque>
#include <vector>

// Test double for message and input boxes: records every box and answers from queues the test
// fills. A box with only an OK button is answered OK without using the queue. A question asked
// with its queue empty, or answered with a button it does not have, is recorded in unexpected()
// and answered Cancel (else No); an unexpected input box is cancelled.
class ScriptedMessages : public MessageService {
public:
    struct Message {
        QString text;
        int style = 0;
        QString title;
    };
    struct Input {
        QString prompt;
        QString title;
        QString initial;
    };

    // Puts a new double into the registry's services and returns it (the registry owns it).
    static ScriptedMessages& install();

    void answer(int result) { m_answers.push_back(result); } // vbYes, vbNo, vbCancel, vbOK
    void answerInput(const QString& text) { m_inputAnswers.emplace_back(text); }
    void cancelInput() { m_inputAnswers.emplace_back(std::nullopt); }

    int messageBox(QWidget* parent, const QString& text, int style, const QString& title) override;
    std::optional<QString> inputBox(
        QWidget* parent, const QString& prompt, const QString& title, const QString& initial) override;

    const std::vector<Message>& messages() const { return m_messages; }
    const std::vector<Input>& inputs() const { return m_inputs; }
    const QStringList& unexpected() const { return m_unexpected; }
    int pending() const { return static_cast<int>(m_answers.size() + m_inputAnswers.size()); }

private:
    void reportUnexpected(const QString& what);

    std::deque<int> m_answers;
    std::deque<std::optional<QString>> m_inputAnswers;
    std::vector<Message> m_messages;
    std::vector<Input> m_inputs;
    QStringList m_unexpected;
};
