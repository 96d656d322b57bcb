#include "frmButtons.h"

#include "Twips.h"

frmButtons::frmButtons()
    : QMdiSubWindow(nullptr, Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmButtons"));
    setWindowTitle(QStringLiteral("Form1"));
    setWidget(new QWidget);
    resize(Twips::toPixelsX(6975), Twips::toPixelsY(7200));
}

void frmButtons::Form_Load()
{
    hide();
}
