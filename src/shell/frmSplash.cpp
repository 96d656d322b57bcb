#include "frmSplash.h"

#include "ApplicationIcon.h"
#include "MDIMain.h"
#include "Twips.h"
#include "WindowRegistry.h"

#include <QGroupBox>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

namespace {

constexpr int captionMargin = 120;

} // namespace

frmSplash::frmSplash()
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    Q_INIT_RESOURCE(shell);
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(MDIMain::ProductCaption);
    setFixedSize(Twips::toPixelsX(8340), Twips::toPixelsY(3615));
    ApplicationIcon::applyTo(*this);

    Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(Twips::toPixels(120, 0, 8100, 3555));

    Image1 = new QLabel(Frame1);
    Image1->setObjectName(QStringLiteral("Image1"));
    const QPixmap picture(QStringLiteral(":/shell/splash/splash.png"));
    Image1->setPixmap(picture);
    Image1->setGeometry(QRect(QPoint(Twips::toPixelsX(120), Twips::toPixelsY(240)), picture.size()));

    Label1 = new QLabel(Frame1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(Twips::toPixels(3840, 1680, 3735, 375));
    QFont captionFont(QStringLiteral("MS Sans Serif"));
    captionFont.setStyleHint(QFont::SansSerif);
    captionFont.setPointSizeF(9.75);
    captionFont.setBold(true);
    captionFont.setItalic(true);
    Label1->setFont(captionFont);
    // The caption starts where the picture ends; its text keeps clear of the picture's edge.
    Label1->setContentsMargins(Twips::toPixelsX(captionMargin), 0, 0, 0);

    Label2 = new QLabel(Frame1);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(Twips::toPixels(4920, 3240, 3015, 255));

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(3000);
    connect(Timer1, &QTimer::timeout, this, &frmSplash::Timer1_Timer);
    Timer1->start();
}

void frmSplash::Form_Load()
{
    Label1->setText(MDIMain::ProductCaption);
    Label2->setText(QStringLiteral("www.parlora-speech.example"));
    move(screen()->availableGeometry().center() - rect().center());
}

void frmSplash::Timer1_Timer()
{
    Timer1->stop();
    // Loading the main window destroys this one: nothing here may touch it afterwards.
    WindowRegistry::get<MDIMain>().show();
}
