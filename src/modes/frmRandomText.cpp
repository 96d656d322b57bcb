#include "frmRandomText.h"

#include "Twips.h"

frmRandomText::frmRandomText()
    : QMdiSubWindow(nullptr, Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmRandomText"));
    setWindowTitle(QStringLiteral("Form1"));
    setWidget(new QWidget);
    resize(Twips::toPixelsX(7455), Twips::toPixelsY(7380));
}

// The page's boxes and buttons, which come with the Quick Text page itself, need no loading.
void frmRandomText::Form_Load()
{
}
