#pragma once

#include "PhraseLabel.h"
#include "TextEncoding.h"

#include <QMdiSubWindow>
#include <array>
#include <optional>

class QGroupBox;
class QPushButton;

// The Programmed Buttons mode page: a borderless child window of the main window with nine
// stored phrases, each shown by its label, typed in through its record button and spoken by its
// play button. The labels are the only copy of the phrases; Buttons.ini in the application folder
// keeps them between runs. A phrase to be spoken goes out as a request, which the main window
// carries out. The page hides itself when it loads; the mode switch shows it.
class frmButtons : public QMdiSubWindow {
    Q_OBJECT
public:
    static constexpr int rowCount = 9;

    frmButtons();

    void Form_Load();
    void cmdPlayButton_Click(int i);
    void cmdRecord_Click(int i);

    // Reads Buttons.ini into the labels. A file that is missing, unreadable or holds more than
    // nine phrases is rewritten from the labels as they stand after reading what could be read.
    void LoadButtonSettings();
    // Writes the nine labels to Buttons.ini; throws PlatformError when the file cannot be written.
    void SaveButtonSettings();
    // Buttons.ini in the application folder.
    static QString buttonsPath();
    // The row whose buttons hold the focus; -1 when neither does.
    int currentRow() const;
    QString phrase(int i) const;

signals:
    void speakRequested(const QString& text);

private:
    void buildRow(int i);
    void repairButtonSettings();
    QStringList phrases() const;

    QGroupBox* fraButtons;
    std::array<QPushButton*, rowCount> cmdrecord {};
    std::array<QPushButton*, rowCount> cmdPlayButton {};
    std::array<PhraseLabel*, rowCount> lblButton {};

    // The encoding Buttons.ini was read in or last written in; nothing before either.
    std::optional<TextEncoding> m_encoding;
};
