#include "frmPronunciation.h"

#include "engine/pronunciation/PronunciationRules.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

namespace {

enum Column { TextColumn, SpokenAsColumn, WholeWordColumn, MatchCaseColumn, ExpressionColumn, ColumnCount };

QTableWidgetItem* checkItem(bool checked)
{
    auto* item = new QTableWidgetItem;
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    return item;
}

bool checked(const QTableWidget& grid, int row, int column)
{
    const QTableWidgetItem* item = grid.item(row, column);
    return item && item->checkState() == Qt::Checked;
}

QString textOf(const QTableWidget& grid, int row, int column)
{
    const QTableWidgetItem* item = grid.item(row, column);
    return item ? item->text() : QString();
}

} // namespace

frmPronunciation::frmPronunciation(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmPronunciation"));
    setWindowTitle(tr("Pronunciation"));
    RulesGrid = new QTableWidget(0, ColumnCount, this);
    RulesGrid->setObjectName(QStringLiteral("RulesGrid"));
    RulesGrid->setAccessibleName(tr("Pronunciation rules"));
    RulesGrid->setHorizontalHeaderLabels(
        { tr("Text"), tr("Spoken as"), tr("Whole word"), tr("Match case"), tr("Regular expression") });
    RulesGrid->horizontalHeader()->setSectionResizeMode(TextColumn, QHeaderView::Stretch);
    RulesGrid->horizontalHeader()->setSectionResizeMode(SpokenAsColumn, QHeaderView::Stretch);
    for (const int option : { WholeWordColumn, MatchCaseColumn, ExpressionColumn })
        RulesGrid->horizontalHeader()->setSectionResizeMode(option, QHeaderView::ResizeToContents);
    RulesGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    cmdAdd = new QPushButton(tr("&Add"), this);
    cmdAdd->setObjectName(QStringLiteral("cmdAdd"));
    cmdRemove = new QPushButton(tr("&Remove"), this);
    cmdRemove->setObjectName(QStringLiteral("cmdRemove"));
    txtSample = new QLineEdit(this);
    txtSample->setObjectName(QStringLiteral("txtSample"));
    txtSample->setAccessibleName(tr("Sample to try"));
    txtSample->setPlaceholderText(tr("A sample to try the rules on"));
    cmdTry = new QPushButton(tr("Try"), this);
    cmdTry->setObjectName(QStringLiteral("cmdTry"));
    lblProblems = new QLabel(this);
    lblProblems->setObjectName(QStringLiteral("lblProblems"));
    lblProblems->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttons"));

    auto* layout = new QGridLayout(this);
    layout->addWidget(RulesGrid, 0, 0, 1, 3);
    layout->addWidget(cmdAdd, 1, 0);
    layout->addWidget(cmdRemove, 1, 1);
    layout->addWidget(lblProblems, 2, 0, 1, 3);
    auto* sample = new QHBoxLayout;
    sample->addWidget(txtSample, 1);
    sample->addWidget(cmdTry);
    layout->addLayout(sample, 3, 0, 1, 3);
    layout->addWidget(buttons, 4, 0, 1, 3);
    layout->setColumnStretch(2, 1);
    resize(640, 400);

    connect(cmdAdd, &QPushButton::clicked, this, &frmPronunciation::cmdAdd_Click);
    connect(cmdRemove, &QPushButton::clicked, this, &frmPronunciation::cmdRemove_Click);
    connect(cmdTry, &QPushButton::clicked, this, &frmPronunciation::cmdTry_Click);
    connect(RulesGrid, &QTableWidget::itemChanged, this, &frmPronunciation::showProblems);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void frmPronunciation::setRules(const std::vector<PronunciationRule>& rules)
{
    RulesGrid->setRowCount(0);
    for (const PronunciationRule& rule : rules)
        addRow(rule);
    showProblems();
}

void frmPronunciation::addRow(const PronunciationRule& rule)
{
    const int row = RulesGrid->rowCount();
    RulesGrid->insertRow(row);
    RulesGrid->setItem(row, TextColumn, new QTableWidgetItem(rule.text));
    RulesGrid->setItem(row, SpokenAsColumn, new QTableWidgetItem(rule.spokenAs));
    RulesGrid->setItem(row, WholeWordColumn, checkItem(rule.wholeWord));
    RulesGrid->setItem(row, MatchCaseColumn, checkItem(rule.matchCase));
    RulesGrid->setItem(row, ExpressionColumn, checkItem(rule.regularExpression));
}

// A row whose text is empty is no rule yet and is left out.
std::vector<PronunciationRule> frmPronunciation::rules() const
{
    std::vector<PronunciationRule> rules;
    for (int row = 0; row < RulesGrid->rowCount(); ++row) {
        PronunciationRule rule { textOf(*RulesGrid, row, TextColumn), textOf(*RulesGrid, row, SpokenAsColumn),
            checked(*RulesGrid, row, WholeWordColumn), checked(*RulesGrid, row, MatchCaseColumn),
            checked(*RulesGrid, row, ExpressionColumn) };
        if (!rule.text.isEmpty())
            rules.push_back(std::move(rule));
    }
    return rules;
}

void frmPronunciation::cmdAdd_Click()
{
    addRow(PronunciationRule());
    RulesGrid->setCurrentCell(RulesGrid->rowCount() - 1, TextColumn);
    RulesGrid->editItem(RulesGrid->item(RulesGrid->rowCount() - 1, TextColumn));
}

void frmPronunciation::cmdRemove_Click()
{
    const int row = RulesGrid->currentRow();
    if (row >= 0)
        RulesGrid->removeRow(row);
    showProblems();
}

void frmPronunciation::cmdTry_Click()
{
    emit trySample(txtSample->text(), rules());
}

void frmPronunciation::showProblems()
{
    QStringList problems;
    for (const PronunciationRule& rule : rules()) {
        const QString problem = PronunciationRules::problemOf(rule);
        if (!problem.isEmpty())
            problems << tr("\"%1\": %2").arg(rule.text, problem);
    }
    lblProblems->setText(problems.join(u'\n'));
}
