#include "PrintLook.h"

#include "Twips.h"

#include <QMdiSubWindow>
#include <QPlainTextEdit>

namespace {

void fillWith(QWidget& widget, QPalette::ColorRole role, const QColor& color)
{
    QPalette palette = widget.palette();
    palette.setColor(role, color);
    widget.setPalette(palette);
}

} // namespace

PrintLook::PrintLook(QMdiSubWindow& window, QPlainTextEdit& box)
    : m_window(window)
    , m_client(*window.widget())
    , m_box(box)
    , m_windowHidden(window.isHidden())
    , m_clientPalette(m_client.testAttribute(Qt::WA_SetPalette) ? std::optional(m_client.palette()) : std::nullopt)
    , m_clientFilled(m_client.autoFillBackground())
{
    m_window.showMaximized();
    m_client.setAutoFillBackground(true);
    fillWith(m_client, QPalette::Window, Qt::white);

    m_boxSize = m_box.size();
    m_boxPalette = m_box.palette();
    m_boxShape = m_box.frameShape();
    m_boxShadow = m_box.frameShadow();
    m_boxCursorWidth = m_box.cursorWidth();

    QPalette print = m_box.palette();
    print.setColor(QPalette::Text, Qt::black);
    print.setColor(QPalette::Base, Qt::white);
    m_box.setPalette(print);
    m_box.setFrameShape(QFrame::NoFrame);
    m_box.setCursorWidth(0);
    // 100 twips beyond the window on both sides keeps the scroll bars out of the picture.
    m_box.resize(Twips::toPixelsX(Twips::fromPixelsX(m_window.width()) + 100),
        Twips::toPixelsY(Twips::fromPixelsY(m_window.height()) + 100));
}

PrintLook::~PrintLook()
{
    m_box.resize(m_boxSize);
    m_box.setPalette(m_boxPalette);
    m_box.setFrameShape(m_boxShape);
    m_box.setFrameShadow(m_boxShadow);
    m_box.setCursorWidth(m_boxCursorWidth);

    m_window.showNormal();
    m_client.setPalette(m_clientPalette.value_or(QPalette()));
    m_client.setAutoFillBackground(m_clientFilled);
    if (m_windowHidden)
        m_window.hide();
}

QImage PrintLook::picture() const
{
    return m_client.grab().toImage();
}
