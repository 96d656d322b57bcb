#include "frmEditor.h"

#include "Twips.h"

#include <QPlainTextEdit>
#include <QResizeEvent>

frmEditor::frmEditor()
    : QMdiSubWindow(nullptr, Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmEditor"));
    setWindowTitle(QStringLiteral("Form1"));
    auto* client = new QWidget;
    setWidget(client);

    SayText = new QPlainTextEdit(client);
    SayText->setObjectName(QStringLiteral("SayText"));
    SayText->move(Twips::toPixelsX(180), Twips::toPixelsY(300));
    // Both scroll bars, as a box with a horizontal bar does not wrap its lines.
    SayText->setLineWrapMode(QPlainTextEdit::NoWrap);
    SayText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    SayText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette colours = SayText->palette();
    colours.setColor(QPalette::Base, QColor(0, 0, 0));
    colours.setColor(QPalette::Text, QColor(0, 255, 0));
    SayText->setPalette(colours);

    resize(Twips::toPixelsX(6685), Twips::toPixelsY(7200));
}

void frmEditor::Form_Load()
{
    SayText->resize(width(), height());
}

void frmEditor::Form_Resize()
{
    const int width = Twips::fromPixelsX(this->width()) - 200;
    const int height = Twips::fromPixelsY(this->height()) - 1600;
    // A page smaller than the margins leaves an empty box rather than a failure.
    SayText->resize(Twips::toPixelsX(qMax(width, 0)), Twips::toPixelsY(qMax(height, 0)));
}

void frmEditor::resizeEvent(QResizeEvent* event)
{
    QMdiSubWindow::resizeEvent(event);
    Form_Resize();
}
