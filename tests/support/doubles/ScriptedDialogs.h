#pragma once

#include "PlatformServices.h"

#include <QStringList>
#include <deque>
#include <vector>

// Test double for the file and colour dialogs: records every request and answers from queues the
// test fills. A dialog shown with its queue empty is recorded in unexpected() and cancelled.
class ScriptedDialogs : public DialogService {
public:
    struct ColorRequest {
        QColor initial;
        int flags = 0;
    };

    // Puts a new double into the registry's services and returns it (the registry owns it).
    static ScriptedDialogs& install();

    // The name, chosen with the filter entry asked for or with the 1-based entry given.
    void answerFile(const QString& fileName, int filterIndex = 0)
    {
        m_fileAnswers.emplace_back(ChosenFile(fileName, filterIndex));
    }
    void cancelFile() { m_fileAnswers.emplace_back(std::nullopt); }
    void answerColor(const QColor& color) { m_colorAnswers.emplace_back(color); }
    void cancelColor() { m_colorAnswers.emplace_back(std::nullopt); }

    std::optional<ChosenFile> chooseFile(QWidget* parent, const FileDialogRequest& request) override;
    std::optional<QColor> chooseColor(QWidget* parent, const QColor& initial, int flags) override;

    const std::vector<FileDialogRequest>& fileRequests() const { return m_fileRequests; }
    const std::vector<ColorRequest>& colorRequests() const { return m_colorRequests; }
    const QStringList& unexpected() const { return m_unexpected; }
    int pending() const { return static_cast<int>(m_fileAnswers.size() + m_colorAnswers.size()); }

private:
    std::deque<std::optional<ChosenFile>> m_fileAnswers;
    std::deque<std::optional<QColor>> m_colorAnswers;
    std::vector<FileDialogRequest> m_fileRequests;
    std::vector<ColorRequest> m_colorRequests;
    QStringList m_unexpected;
};
