#pragma once

#include "SpokenTextHighlighter.h"

#include <QMdiSubWindow>
#include <array>

class QGroupBox;
class QPlainTextEdit;
class QPushButton;

// The Quick Text mode page: a borderless child window of the main window with four text boxes,
// each with a button that speaks its text and one that records it to a wave file, and a button
// that empties all four. The texts go out unchanged as requests, which the main window carries
// out; the page keeps nothing else. The main window gives it the editor page's size and the boxes
// the editor's colours.
class frmRandomText : public QMdiSubWindow {
    Q_OBJECT
public:
    static constexpr int rowCount = 4;

    frmRandomText();

    void Form_Load();
    void cmdPlay_Click(int i);
    void cmdRecord_Click(int i);
    void cmdClear_Click();
    // The row the user is at: the one whose box or buttons hold the focus, else the first box
    // that holds text, else the first.
    int currentRow() const;
    // The four boxes' colours as colour values (TextBoxColors).
    void setForeColor(int colorValue);
    void setBackColor(int colorValue);

signals:
    // A box's text to be spoken, with the marker of its words in the box; or to be spoken into a
    // wave file the user chooses.
    void speakRequested(const QString& text, SpokenTextHighlighter* source);
    void recordRequested(const QString& text);

private:
    void buildRow(int i);
    QString textOf(int i) const;

    QGroupBox* fraManual;
    std::array<QPlainTextEdit*, rowCount> Text1 {};
    std::array<SpokenTextHighlighter*, rowCount> m_spokenText {}; // each belongs to its box
    std::array<QPushButton*, rowCount> cmdPlay {};
    std::array<QPushButton*, rowCount> cmdRecord {};
    QPushButton* cmdClear;
};
