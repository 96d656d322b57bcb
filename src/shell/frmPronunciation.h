#pragma once

#include "engine/pronunciation/PronunciationRule.h"

#include <QDialog>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

// The pronunciation rules, edited in a table: one row a rule, its text, how it is spoken and
// its three options. "Try" asks for the sample to be spoken with the rules as they stand in the
// table; OK hands them back, Cancel drops the edits. Rules that can never match are named below
// the table.
class frmPronunciation : public QDialog {
    Q_OBJECT
public:
    explicit frmPronunciation(QWidget* parent = nullptr);

    void setRules(const std::vector<PronunciationRule>& rules);
    std::vector<PronunciationRule> rules() const;

signals:
    void trySample(const QString& sample, const std::vector<PronunciationRule>& rules);

private:
    void addRow(const PronunciationRule& rule);
    void cmdAdd_Click();
    void cmdRemove_Click();
    void cmdTry_Click();
    void showProblems();

    QTableWidget* RulesGrid;
    QPushButton* cmdAdd;
    QPushButton* cmdRemove;
    QLineEdit* txtSample;
    QPushButton* cmdTry;
    QLabel* lblProblems;
};
