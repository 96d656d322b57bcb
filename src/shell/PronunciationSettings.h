#pragma once

#include "engine/pronunciation/PronunciationRule.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <vector>

class QWidget;
class frmConsole;
class frmPronunciation;

// The user's pronunciation rules between their file (PronunciationFile), the console's voice and
// the dialog that edits them. A damaged file is reported once, at load; a save that fails is
// reported and the rules still apply until the program ends.
class PronunciationSettings : public QObject {
    Q_OBJECT
public:
    PronunciationSettings(QWidget& window, frmConsole& console, QString path);
    ~PronunciationSettings() override;

    // Reads the file and gives its rules to the voice.
    void load();
    // Shows the dialog over the window; OK keeps and applies what it holds.
    void edit();
    // The dialog once it was shown; null before.
    frmPronunciation* dialog() const;

private:
    void keep(const std::vector<PronunciationRule>& rules);
    void trySample(const QString& sample, const std::vector<PronunciationRule>& rules);

    QWidget& m_window;
    frmConsole& m_console;
    QString m_path;
    QPointer<frmPronunciation> m_dialog;
};
