#include "frmButtons.h"

#include "ButtonSettingsFile.h"
#include "IndexedName.h"
#include "MessageBoxes.h"
#include "PhraseLabel.h"
#include "PictureButton.h"
#include "PlatformError.h"
#include "Twips.h"
#include "WindowRegistry.h"

#include <QDir>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <utility>

namespace {

const QString boxTitle = QStringLiteral("Sayvanto");
const QString designCaption = QStringLiteral("Label1");

} // namespace

frmButtons::frmButtons()
    : QMdiSubWindow(nullptr, Qt::FramelessWindowHint)
{
    Q_INIT_RESOURCE(modes);
    setObjectName(QStringLiteral("frmButtons"));
    setWindowTitle(QStringLiteral("Form1"));
    auto* client = new QWidget;
    setWidget(client);

    fraButtons = new QGroupBox(client);
    fraButtons->setObjectName(QStringLiteral("fraButtons"));
    fraButtons->setGeometry(Twips::toPixels(0, 0, 6855, 6795));
    for (int i = 0; i < rowCount; ++i)
        buildRow(i);

    resize(Twips::toPixelsX(6975), Twips::toPixelsY(7200));
}

void frmButtons::buildRow(int i)
{
    const auto row = static_cast<std::size_t>(i);
    const int top = 240 + 720 * i;

    cmdrecord[row] = pictureButton(fraButtons, indexedName("cmdrecord", i), QStringLiteral(":/modes/record.png"),
        QStringLiteral("Record the caption."), tr("Record phrase %1").arg(row + 1));
    cmdrecord[row]->setGeometry(Twips::toPixels(120, top, 615, 615));
    connect(cmdrecord[row], &QPushButton::clicked, this, [this, i] { cmdRecord_Click(i); });

    cmdPlayButton[row] = pictureButton(fraButtons, indexedName("cmdPlayButton", i), QStringLiteral(":/modes/play.png"),
        QStringLiteral("Play the Caption."), tr("Play phrase %1").arg(row + 1));
    cmdPlayButton[row]->setGeometry(Twips::toPixels(840, top, 615, 615));
    connect(cmdPlayButton[row], &QPushButton::clicked, this, [this, i] { cmdPlayButton_Click(i); });

    auto* label = new PhraseLabel(designCaption, fraButtons);
    label->setObjectName(indexedName("lblButton", i));
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QFont bold(QStringLiteral("MS Sans Serif"));
    bold.setStyleHint(QFont::SansSerif);
    bold.setPointSizeF(8.25);
    bold.setBold(true);
    label->setFont(bold);
    label->setGeometry(Twips::toPixels(1560, top, 5175, 645));
    lblButton[row] = label;
}

void frmButtons::Form_Load()
{
    hide();
    LoadButtonSettings();
}

void frmButtons::cmdPlayButton_Click(int i)
{
    emit speakRequested(phrase(i));
}

// Cancel keeps the phrase; OK with an empty field sets the empty phrase. A phrase that cannot be
// saved stays on its button for this run, and the user is told why it will not come back.
void frmButtons::cmdRecord_Click(int i)
{
    bool cancelled = false;
    const QString phrase = InputBox(QStringLiteral("Please Enter the String"), boxTitle, QString(), &cancelled, this);
    if (cancelled)
        return;
    lblButton.at(static_cast<std::size_t>(i))->setPhrase(phrase);
    try {
        SaveButtonSettings();
    } catch (const PlatformError& failure) {
        MsgBox(QStringLiteral("The phrase could not be saved.\n%1").arg(failure.description()), vbExclamation, boxTitle,
            this);
    }
}

void frmButtons::LoadButtonSettings()
{
    QStringList values;
    try {
        ButtonSettingsFile::Contents contents = ButtonSettingsFile(buttonsPath()).read();
        values = std::move(contents.values);
        m_encoding = contents.encoding;
    } catch (const PlatformError&) {
        repairButtonSettings();
        return;
    }
    for (qsizetype i = 0; i < values.size() && i < rowCount; ++i)
        lblButton[static_cast<std::size_t>(i)]->setPhrase(values[i]);
    if (values.size() > rowCount)
        repairButtonSettings();
}

// A failed repair leaves the labels as read and says nothing: the page is loaded at start-up,
// before the user has asked for anything to be saved. Recording a phrase reports it.
void frmButtons::repairButtonSettings()
{
    try {
        SaveButtonSettings();
    } catch (const PlatformError&) {
    }
}

void frmButtons::SaveButtonSettings()
{
    // The file keeps the encoding it was read in; a new one is written as new files are.
    const TextEncoding encoding = m_encoding.value_or(LocaleTextCodec::newFileEncoding());
    m_encoding = ButtonSettingsFile(buttonsPath()).write(phrases(), encoding);
}

QString frmButtons::buttonsPath()
{
    return QDir(WindowRegistry::services().folder->applicationFolder()).filePath(QStringLiteral("Buttons.ini"));
}

int frmButtons::currentRow() const
{
    const QWidget* focused = focusWidget();
    for (int i = 0; i < rowCount; ++i) {
        const auto row = static_cast<std::size_t>(i);
        if (focused && (focused == cmdPlayButton[row] || focused == cmdrecord[row]))
            return i;
    }
    return -1;
}

QString frmButtons::phrase(int i) const
{
    return lblButton.at(static_cast<std::size_t>(i))->text();
}

QStringList frmButtons::phrases() const
{
    QStringList captions;
    for (const QLabel* label : lblButton)
        captions.append(label->text());
    return captions;
}
