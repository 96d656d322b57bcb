// Draws the toolbar's 16 x 16 icons and the splash picture into <resources>/toolbar and
// <resources>/splash. Pixel-aligned shapes without antialiasing keep the small icons sharp;
// only round shapes are antialiased. The icons are stored without alpha on the image list's
// mask colour (magenta), which the toolbar turns transparent.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cstdio>
#include <functional>

namespace {

const QColor outline(48, 48, 48);
const QColor paper(255, 255, 255);
const QColor textLine(70, 110, 200);

void drawNew(QPainter& p)
{
    const QPolygon page({ { 3, 1 }, { 9, 1 }, { 12, 4 }, { 12, 14 }, { 3, 14 } });
    p.setPen(outline);
    p.setBrush(paper);
    p.drawPolygon(page);
    p.setBrush(QColor(200, 200, 200));
    p.drawPolygon(QPolygon({ { 9, 1 }, { 9, 4 }, { 12, 4 } }));
}

void drawPrint(QPainter& p)
{
    p.setPen(outline);
    p.setBrush(paper);
    p.drawRect(4, 1, 7, 6);
    p.setBrush(QColor(170, 170, 170));
    p.drawRect(1, 6, 13, 6);
    p.setBrush(paper);
    p.drawRect(4, 10, 7, 5);
    p.setPen(textLine);
    p.drawLine(5, 12, 9, 12);
    p.drawLine(5, 13, 8, 13);
    p.fillRect(12, 8, 1, 1, QColor(0, 200, 0));
}

void drawSave(QPainter& p)
{
    p.setPen(outline);
    p.setBrush(QColor(40, 80, 180));
    p.drawRect(1, 1, 13, 13);
    p.setBrush(QColor(210, 210, 210));
    p.drawRect(4, 1, 7, 4);
    p.fillRect(8, 2, 2, 2, QColor(40, 40, 40));
    p.setBrush(paper);
    p.drawRect(3, 8, 9, 6);
    p.setPen(textLine);
    p.drawLine(5, 10, 10, 10);
    p.drawLine(5, 12, 10, 12);
}

void drawOpen(QPainter& p)
{
    const QColor brown(120, 80, 0);
    p.setPen(brown);
    p.setBrush(QColor(220, 170, 40));
    p.drawPolygon(QPolygon({ { 1, 3 }, { 5, 3 }, { 6, 4 }, { 12, 4 }, { 12, 13 }, { 1, 13 } }));
    p.setBrush(QColor(255, 220, 90));
    p.drawPolygon(QPolygon({ { 4, 7 }, { 15, 7 }, { 12, 13 }, { 1, 13 } }));
}

void drawCut(QPainter& p)
{
    p.setPen(QPen(QColor(90, 90, 100), 2.0));
    p.drawLine(4, 1, 10, 10);
    p.drawLine(11, 1, 5, 10);
    p.setPen(QPen(QColor(200, 0, 0), 1.0));
    p.setBrush(Qt::NoBrush);
    for (const int left : { 1, 9 }) {
        const QPolygon ring({ { 1, 0 }, { 3, 0 }, { 4, 1 }, { 4, 3 }, { 3, 4 }, { 1, 4 }, { 0, 3 }, { 0, 1 } });
        p.drawPolygon(ring.translated(left, 10));
    }
}

void drawSheetWithLines(QPainter& p, const QRect& sheet)
{
    p.setPen(outline);
    p.setBrush(paper);
    p.drawRect(sheet);
    p.setPen(textLine);
    for (int y = sheet.top() + 2; y < sheet.bottom() - 1; y += 2)
        p.drawLine(sheet.left() + 2, y, sheet.right() - 2, y);
}

void drawCopy(QPainter& p)
{
    drawSheetWithLines(p, QRect(1, 1, 8, 10));
    drawSheetWithLines(p, QRect(6, 5, 8, 10));
}

void drawPaste(QPainter& p)
{
    p.setPen(QColor(90, 50, 10));
    p.setBrush(QColor(180, 120, 50));
    p.drawRect(1, 2, 10, 13);
    p.setPen(outline);
    p.setBrush(QColor(200, 200, 210));
    p.drawRect(3, 1, 6, 3);
    drawSheetWithLines(p, QRect(7, 6, 8, 9));
}

void drawDelete(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(110, 0, 0), 4.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
    p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
    p.setPen(QPen(QColor(230, 30, 30), 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
    p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
}

// A hook-shaped arrow: head pointing left at the top, the stem turning down and back.
void drawUndo(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing);
    const QColor blue(30, 70, 190);
    QPainterPath stem;
    stem.moveTo(6.0, 5.0);
    stem.lineTo(9.5, 5.0);
    stem.arcTo(QRectF(6.0, 5.0, 8.0, 8.0), 90.0, -180.0);
    stem.lineTo(5.0, 13.0);
    p.setPen(QPen(blue, 2.2, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(stem);
    p.setPen(Qt::NoPen);
    p.setBrush(blue);
    p.drawPolygon(QPolygonF({ { 0.5, 5.0 }, { 7.0, 0.5 }, { 7.0, 9.5 } }));
}

void drawRedo(QPainter& p)
{
    p.translate(16, 0);
    p.scale(-1, 1);
    drawUndo(p);
}

void drawRecord(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient fill(QPointF(6.5, 6.0), 7.0);
    fill.setColorAt(0.0, QColor(255, 120, 120));
    fill.setColorAt(1.0, QColor(200, 0, 0));
    p.setPen(QPen(QColor(110, 0, 0), 1.0));
    p.setBrush(fill);
    p.drawEllipse(QPointF(8.0, 8.0), 6.0, 6.0);
}

void drawPlay(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0, 90, 0), 1.0, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(QColor(40, 190, 40));
    p.drawPolygon(QPolygonF({ { 3.5, 1.5 }, { 13.5, 8.0 }, { 3.5, 14.5 } }));
}

void drawPause(QPainter& p)
{
    p.setPen(QColor(10, 20, 80));
    p.setBrush(QColor(40, 70, 170));
    p.drawRect(3, 2, 3, 12);
    p.drawRect(10, 2, 3, 12);
}

void drawStop(QPainter& p)
{
    p.setPen(QColor(10, 20, 80));
    p.setBrush(QColor(40, 70, 170));
    p.drawRect(2, 2, 11, 11);
}

void drawTime(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(outline, 1.2));
    p.setBrush(QColor(255, 250, 220));
    p.drawEllipse(QPointF(8.0, 8.0), 6.6, 6.6);
    p.setPen(QPen(QColor(150, 150, 150), 1.0));
    p.drawPoint(QPointF(8.0, 2.8));
    p.drawPoint(QPointF(13.2, 8.0));
    p.drawPoint(QPointF(8.0, 13.2));
    p.drawPoint(QPointF(2.8, 8.0));
    p.setPen(QPen(QColor(20, 20, 20), 1.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(8.0, 8.0), QPointF(8.0, 4.0));
    p.setPen(QPen(QColor(200, 0, 0), 1.3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(8.0, 8.0), QPointF(11.5, 9.5));
}

void drawDate(QPainter& p)
{
    p.setPen(outline);
    p.setBrush(paper);
    p.drawRect(1, 2, 13, 12);
    p.fillRect(2, 3, 12, 3, QColor(210, 30, 30));
    p.fillRect(4, 1, 1, 3, QColor(60, 60, 60));
    p.fillRect(11, 1, 1, 3, QColor(60, 60, 60));
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 4; ++col)
            p.fillRect(3 + col * 3, 7 + row * 2, 2, 1, QColor(80, 80, 80));
}

void drawSplash(QPainter& p, const QSize& size)
{
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0.0, QColor(20, 40, 110));
    sky.setColorAt(1.0, QColor(10, 120, 140));
    p.fillRect(QRect(QPoint(0, 0), size), sky);

    QPainterPath head;
    head.moveTo(62, 179);
    head.cubicTo(66, 150, 34, 128, 36, 86);
    head.cubicTo(38, 40, 80, 14, 118, 18);
    head.cubicTo(150, 21, 160, 44, 158, 66);
    head.lineTo(170, 88);
    head.cubicTo(172, 93, 168, 96, 161, 97);
    head.lineTo(163, 106);
    head.lineTo(158, 110);
    head.lineTo(162, 117);
    head.cubicTo(160, 124, 156, 128, 156, 134);
    head.cubicTo(156, 142, 140, 146, 126, 144);
    head.lineTo(124, 179);
    head.closeSubpath();
    QLinearGradient skin(40, 0, 170, 0);
    skin.setColorAt(0.0, QColor(250, 210, 120));
    skin.setColorAt(1.0, QColor(240, 160, 60));
    p.setPen(QPen(QColor(120, 60, 0), 2.0));
    p.setBrush(skin);
    p.drawPath(head);

    p.setBrush(Qt::NoBrush);
    for (int ring = 0; ring < 3; ++ring) {
        const qreal radius = 18.0 + ring * 16.0;
        p.setPen(QPen(QColor(255, 255, 255, 230 - ring * 60), 4.0, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(166 - radius, 112 - radius, radius * 2, radius * 2), -40 * 16, 80 * 16);
    }

    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(15);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(255, 255, 255));
    p.drawText(QRect(140, 150, 104, 24), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("Parlora"));
}

// Mostly covered pixels keep their own colour, the rest become the mask colour: blending the
// soft edges into magenta would leave pink fringes once the mask is cut out.
QImage onMaskColor(const QImage& drawn)
{
    QImage result(drawn.size(), QImage::Format_RGB32);
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x) {
            const QColor pixel = drawn.pixelColor(x, y);
            result.setPixelColor(x, y, pixel.alpha() >= 100 ? QColor(pixel.rgb()) : QColor(255, 0, 255));
        }
    }
    return result;
}

bool save(const QImage& image, const QString& path)
{
    if (image.save(path, "PNG"))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: draw_icons <resources folder>\n");
        return 2;
    }
    const QDir resources(QString::fromLocal8Bit(argv[1]));
    resources.mkpath(QStringLiteral("toolbar"));
    resources.mkpath(QStringLiteral("splash"));

    const std::pair<const char*, std::function<void(QPainter&)>> icons[] = {
        { "New", drawNew },
        { "Print", drawPrint },
        { "Save", drawSave },
        { "Open", drawOpen },
        { "Cut", drawCut },
        { "Copy", drawCopy },
        { "Paste", drawPaste },
        { "Delete", drawDelete },
        { "Undo", drawUndo },
        { "Redo", drawRedo },
        { "Record", drawRecord },
        { "Play", drawPlay },
        { "Pause", drawPause },
        { "Stop", drawStop },
        { "Time", drawTime },
        { "Date", drawDate },
    };
    bool ok = true;
    for (const auto& [name, draw] : icons) {
        QImage icon(16, 16, QImage::Format_ARGB32);
        icon.fill(Qt::transparent);
        QPainter painter(&icon);
        draw(painter);
        painter.end();
        ok = save(onMaskColor(icon), resources.filePath(QStringLiteral("toolbar/%1.png").arg(QLatin1String(name))))
            && ok;
    }

    QImage splash(248, 179, QImage::Format_RGB32);
    QPainter painter(&splash);
    drawSplash(painter, splash.size());
    painter.end();
    ok = save(splash, resources.filePath(QStringLiteral("splash/splash.png"))) && ok;
    return ok ? 0 : 1;
}
