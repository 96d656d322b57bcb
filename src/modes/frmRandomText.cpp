#include "frmRandomText.h"

#include "IndexedName.h"
#include "PictureButton.h"
#include "SpokenTextHighlighter.h"
#include "TextBoxColors.h"
#include "Twips.h"

#include <QGroupBox>
#include <QIcon>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

struct RowPlace {
    int top;
    int textWidth;
    int textHeight;
    int playLeft;
    int recordLeft;
};

constexpr std::array<RowPlace, frmRandomText::rowCount> rowPlaces { {
    { 360, 5055, 975, 5220, 6240 },
    { 1560, 5055, 855, 5220, 6240 },
    { 2640, 5055, 975, 5220, 6240 },
    { 3840, 4995, 975, 5160, 6180 },
} };

constexpr int textLeft = 120;
constexpr int buttonWidth = 975;
constexpr int buttonHeight = 735;

} // namespace

frmRandomText::frmRandomText()
    : QMdiSubWindow(nullptr, Qt::FramelessWindowHint)
{
    Q_INIT_RESOURCE(modes);
    setObjectName(QStringLiteral("frmRandomText"));
    setWindowTitle(QStringLiteral("Form1"));
    auto* client = new QWidget;
    setWidget(client);

    fraManual = new QGroupBox(client);
    fraManual->setObjectName(QStringLiteral("fraManual"));
    fraManual->setGeometry(Twips::toPixels(0, 60, 7335, 7200));
    for (int i = 0; i < rowCount; ++i)
        buildRow(i);

    cmdClear = new QPushButton(QStringLiteral("Clear"), fraManual);
    cmdClear->setObjectName(QStringLiteral("cmdClear"));
    QFont bold(QStringLiteral("MS Sans Serif"));
    bold.setStyleHint(QFont::SansSerif);
    bold.setPointSizeF(9.75);
    bold.setBold(true);
    cmdClear->setFont(bold);
    cmdClear->setGeometry(Twips::toPixels(5580, 5160, 1575, 615));
    connect(cmdClear, &QPushButton::clicked, this, &frmRandomText::cmdClear_Click);

    resize(Twips::toPixelsX(7455), Twips::toPixelsY(7380));
}

void frmRandomText::buildRow(int i)
{
    const auto row = static_cast<std::size_t>(i);
    const RowPlace& place = rowPlaces[row];

    auto* box = new QPlainTextEdit(fraManual);
    box->setObjectName(indexedName("Text1", i));
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    box->setGeometry(Twips::toPixels(textLeft, place.top, place.textWidth, place.textHeight));
    box->setAccessibleName(tr("Text %1").arg(i + 1));
    // A short text per box: Tab goes on to the box's buttons rather than into the text.
    box->setTabChangesFocus(true);
    // The editor's look from the start, so the pages match before any colour is stored.
    QPalette colours = box->palette();
    colours.setColor(QPalette::Base, QColor(0, 0, 0));
    colours.setColor(QPalette::Text, QColor(0, 255, 0));
    box->setPalette(colours);
    Text1[row] = box;
    m_spokenText[row] = new SpokenTextHighlighter(*box);

    cmdPlay[row] = pictureButton(fraManual, indexedName("cmdPlay", i), QStringLiteral(":/modes/play.png"),
        QStringLiteral("Play Text"), tr("Play text %1").arg(row + 1));
    cmdPlay[row]->setGeometry(Twips::toPixels(place.playLeft, place.top, buttonWidth, buttonHeight));
    connect(cmdPlay[row], &QPushButton::clicked, this, [this, i] { cmdPlay_Click(i); });

    cmdRecord[row] = pictureButton(fraManual, indexedName("cmdRecord", i), QStringLiteral(":/modes/wave.png"),
        QStringLiteral("Record *.wav"), tr("Record text %1").arg(row + 1));
    cmdRecord[row]->setGeometry(Twips::toPixels(place.recordLeft, place.top, buttonWidth, buttonHeight));
    connect(cmdRecord[row], &QPushButton::clicked, this, [this, i] { cmdRecord_Click(i); });
}

// The boxes, buttons and frame come with the page itself; nothing is loaded.
void frmRandomText::Form_Load()
{
}

void frmRandomText::cmdPlay_Click(int i)
{
    emit speakRequested(textOf(i), m_spokenText.at(static_cast<std::size_t>(i)));
}

void frmRandomText::cmdRecord_Click(int i)
{
    emit recordRequested(textOf(i));
}

void frmRandomText::cmdClear_Click()
{
    for (QPlainTextEdit* box : Text1)
        box->setPlainText(QString());
}

int frmRandomText::currentRow() const
{
    const QWidget* focused = focusWidget();
    for (int i = 0; i < rowCount; ++i) {
        const auto row = static_cast<std::size_t>(i);
        if (focused && (focused == Text1[row] || focused == cmdPlay[row] || focused == cmdRecord[row]))
            return i;
    }
    for (int i = 0; i < rowCount; ++i) {
        if (!textOf(i).isEmpty())
            return i;
    }
    return 0;
}

QString frmRandomText::textOf(int i) const
{
    return Text1.at(static_cast<std::size_t>(i))->toPlainText();
}

void frmRandomText::setForeColor(int colorValue)
{
    for (QPlainTextEdit* box : Text1)
        TextBoxColors::setForeColor(*box, colorValue);
}

void frmRandomText::setBackColor(int colorValue)
{
    for (QPlainTextEdit* box : Text1)
        TextBoxColors::setBackColor(*box, colorValue);
}
