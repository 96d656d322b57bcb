#include "frmAbout.h"

#include "AfterEvent.h"
#include "ApplicationIcon.h"
#include "ProductCaption.h"
#include "Twips.h"
#include "WindowRegistry.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>

const QString frmAbout::MakerName = QStringLiteral("Parlora Speech Works");
const QString frmAbout::MakerAddress = QStringLiteral("www.parlora-speech.example");
const QString frmAbout::RightsNotice = QStringLiteral("Copyright \u00A9 2026");
const QString frmAbout::LegalWarning = QStringLiteral(
    "Warning: this program is protected by copyright law and by international treaties. Any unauthorised "
    "reproduction or distribution of this program, or of any part of it, may lead to severe civil and criminal "
    "penalties, and it will be prosecuted to the fullest extent the law allows.");

frmAbout::frmAbout()
    : QDialog(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    Q_INIT_RESOURCE(help);
    setObjectName(QStringLiteral("frmAbout"));
    setModal(false);
    // Like the help viewer, the box never keeps the program running once the main window is closed.
    setAttribute(Qt::WA_QuitOnClose, false);
    setFixedSize(Twips::toPixelsX(6300), Twips::toPixelsY(3930));
    ApplicationIcon::applyTo(*this);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(QPixmap(QStringLiteral(":/help/about.png")));
    Image1->setScaledContents(true);
    Image1->setAccessibleName(tr("Parlora logo: a speech bubble with a sound wave"));
    Image1->setGeometry(Twips::toPixels(0, 0, 3060, 2760));

    // Made in the order of the keyboard's tab sequence.
    Label1 = addLabel(QStringLiteral("Label1"), Twips::toPixels(3300, 300, 2715, 495));
    Label2 = addLabel(QStringLiteral("Label2"), Twips::toPixels(3300, 60, 1995, 255));
    Label2->setText(MakerName);
    Label3 = addLabel(QStringLiteral("Label3"), Twips::toPixels(3300, 1080, 1995, 255));
    Label3->setText(RightsNotice);
    Label4 = addLabel(QStringLiteral("Label4"), Twips::toPixels(60, 2880, 4335, 1035));
    Label4->setWordWrap(true);
    QFont small = Label4->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    Label4->setFont(small);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(Twips::toPixels(4740, 3240, 1275, 495));
    cmdOK->setDefault(true);
    setTabOrder(Label1, Label2);
    setTabOrder(Label2, Label3);
    setTabOrder(Label3, Label4);
    setTabOrder(Label4, cmdOK);
    connect(cmdOK, &QPushButton::clicked, this, [this] { runAfterEvent(this, &frmAbout::cmdOK_Click); });
}

QLabel* frmAbout::addLabel(const QString& name, const QRect& place)
{
    auto* label = new QLabel(this);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(place);
    return label;
}

void frmAbout::Form_Load()
{
    Label4->setText(LegalWarning);
    Label1->setText(ProductCaption + QStringLiteral("\r\n") + MakerAddress);
    setWindowTitle(ProductCaption);
}

void frmAbout::cmdOK_Click()
{
    WindowRegistry::unload<frmAbout>();
}

void frmAbout::reject()
{
    QDialog::reject();
    runAfterEvent(this, &frmAbout::cmdOK_Click);
}
