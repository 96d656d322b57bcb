// Draws the page and help pictures into <resources>/modes and <resources>/help:
//   modes/play.png, modes/record.png, modes/wave.png   32 x 32 button icons with alpha
//   help/play.png, help/record.png                      the same icons for the help texts
//   help/texted-{play,record,pause}.png                  the toolbar's icons at twice their size
//   help/closed.png, help/open.png, help/doc.png         16 x 16 tree icons on the mask colour
//   help/about.png                                       the about box's 248 x 179 picture
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
const QColor maskColor(255, 0, 255);

QImage drawn(int size, const std::function<void(QPainter&)>& draw)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter);
    return image;
}

void drawPlay(QPainter& p)
{
    QLinearGradient fill(0, 4, 0, 28);
    fill.setColorAt(0.0, QColor(110, 220, 110));
    fill.setColorAt(1.0, QColor(20, 140, 20));
    p.setPen(QPen(QColor(0, 80, 0), 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(fill);
    p.drawPolygon(QPolygonF({ { 8.5, 4.5 }, { 27.5, 16.0 }, { 8.5, 27.5 } }));
}

void drawRecordDot(QPainter& p, const QPointF& centre, qreal radius)
{
    QRadialGradient fill(centre - QPointF(radius / 3, radius / 3), radius * 1.3);
    fill.setColorAt(0.0, QColor(255, 140, 140));
    fill.setColorAt(1.0, QColor(190, 0, 0));
    p.setPen(QPen(QColor(110, 0, 0), 1.2));
    p.setBrush(fill);
    p.drawEllipse(centre, radius, radius);
}

// Typing a phrase: the record dot with a pencil over it.
void drawRecordPhrase(QPainter& p)
{
    drawRecordDot(p, QPointF(12.5, 19.5), 9.5);
    p.save();
    p.translate(20.0, 13.0);
    p.rotate(-45.0);
    p.setPen(QPen(outline, 1.0));
    p.setBrush(QColor(250, 200, 60));
    p.drawRect(QRectF(-2.0, -3.5, 14.0, 7.0));
    p.setBrush(QColor(240, 150, 160));
    p.drawRect(QRectF(12.0, -3.5, 3.0, 7.0));
    p.setBrush(QColor(240, 220, 180));
    p.drawPolygon(QPolygonF({ { -2.0, -3.5 }, { -8.0, 0.0 }, { -2.0, 3.5 } }));
    p.setBrush(outline);
    p.drawPolygon(QPolygonF({ { -6.0, -1.2 }, { -8.0, 0.0 }, { -6.0, 1.2 } }));
    p.restore();
}

// Recording to a wave file: a sound wave with the record dot in its corner.
void drawRecordWave(QPainter& p)
{
    QPainterPath wave;
    wave.moveTo(2.0, 14.0);
    const qreal heights[] = { 3, 8, 5, 11, 6, 9, 3 };
    qreal x = 2.0;
    for (const qreal h : heights) {
        wave.lineTo(x + 1.5, 14.0 - h);
        wave.lineTo(x + 3.0, 14.0 + h);
        x += 3.0;
    }
    wave.lineTo(x + 1.5, 14.0);
    p.setPen(QPen(QColor(30, 70, 190), 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(wave);
    drawRecordDot(p, QPointF(23.0, 23.0), 7.5);
}

void drawFolder(QPainter& p, bool open)
{
    p.setRenderHint(QPainter::Antialiasing, false);
    const QColor brown(120, 80, 0);
    p.setPen(brown);
    p.setBrush(QColor(220, 170, 40));
    p.drawPolygon(QPolygon({ { 1, 3 }, { 5, 3 }, { 6, 4 }, { 13, 4 }, { 13, 13 }, { 1, 13 } }));
    p.setBrush(QColor(255, 220, 90));
    if (open)
        p.drawPolygon(QPolygon({ { 4, 7 }, { 15, 7 }, { 12, 13 }, { 1, 13 } }));
    else
        p.drawRect(1, 6, 12, 7);
}

void drawDocument(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(outline);
    p.setBrush(QColor(255, 255, 255));
    p.drawPolygon(QPolygon({ { 3, 1 }, { 9, 1 }, { 12, 4 }, { 12, 14 }, { 3, 14 } }));
    p.setBrush(QColor(200, 200, 200));
    p.drawPolygon(QPolygon({ { 9, 1 }, { 9, 4 }, { 12, 4 } }));
    p.setPen(QColor(70, 110, 200));
    for (int y = 6; y <= 12; y += 2)
        p.drawLine(5, y, 10, y);
}

void drawAbout(QPainter& p, const QSize& size)
{
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient back(0, 0, size.width(), size.height());
    back.setColorAt(0.0, QColor(250, 246, 230));
    back.setColorAt(1.0, QColor(200, 222, 240));
    p.fillRect(QRect(QPoint(0, 0), size), back);

    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(24, 18, 200, 104), 26, 26);
    QPainterPath tail;
    tail.moveTo(64, 116);
    tail.lineTo(44, 152);
    tail.lineTo(96, 118);
    tail.closeSubpath();
    bubble = bubble.united(tail);
    p.setPen(QPen(QColor(20, 60, 120), 3.0));
    p.setBrush(QColor(255, 255, 255));
    p.drawPath(bubble);

    p.setPen(QPen(QColor(30, 90, 200), 5.0, Qt::SolidLine, Qt::RoundCap));
    const qreal bars[] = { 10, 24, 38, 18, 44, 30, 14, 36, 22, 8 };
    qreal x = 62;
    for (const qreal h : bars) {
        p.drawLine(QPointF(x, 70 - h / 2), QPointF(x, 70 + h / 2));
        x += 14;
    }

    QFont font(QStringLiteral("DejaVu Serif"));
    font.setPixelSize(20);
    font.setBold(true);
    font.setItalic(true);
    p.setFont(font);
    p.setPen(QColor(20, 60, 120));
    p.drawText(QRect(100, 138, 140, 32), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("Parlora"));
}

// Mostly covered pixels keep their colour, the rest become the mask colour, without pink fringes.
QImage onMaskColor(const QImage& image)
{
    QImage result(image.size(), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            result.setPixelColor(x, y, pixel.alpha() >= 100 ? QColor(pixel.rgb()) : maskColor);
        }
    }
    return result;
}

// A toolbar icon, stored on the mask colour, at twice its size with the mask made transparent.
QImage doubledToolbarIcon(const QString& path)
{
    QImage icon = QImage(path).convertToFormat(QImage::Format_ARGB32);
    if (icon.isNull())
        return icon;
    for (int y = 0; y < icon.height(); ++y) {
        for (int x = 0; x < icon.width(); ++x) {
            if (QColor(icon.pixel(x, y)).rgb() == maskColor.rgb())
                icon.setPixelColor(x, y, Qt::transparent);
        }
    }
    return icon.scaled(icon.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

bool save(const QImage& image, const QString& path)
{
    if (!image.isNull() && image.save(path, "PNG"))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: draw_pages <resources folder>\n");
        return 2;
    }
    const QDir resources(QString::fromLocal8Bit(argv[1]));
    resources.mkpath(QStringLiteral("modes"));
    resources.mkpath(QStringLiteral("help"));
    bool ok = true;
    const auto write = [&](const QImage& image, const char* path) {
        ok = save(image, resources.filePath(QLatin1String(path))) && ok;
    };

    const QImage play = drawn(32, drawPlay);
    const QImage record = drawn(32, drawRecordPhrase);
    write(play, "modes/play.png");
    write(record, "modes/record.png");
    write(drawn(32, drawRecordWave), "modes/wave.png");
    write(play, "help/play.png");
    write(record, "help/record.png");

    for (const char* name : { "Play", "Record", "Pause" }) {
        const QString file = QStringLiteral("help/texted-%1.png").arg(QString::fromLatin1(name).toLower());
        ok = save(doubledToolbarIcon(resources.filePath(QStringLiteral("toolbar/%1.png").arg(QLatin1String(name)))),
                 resources.filePath(file))
            && ok;
    }

    write(onMaskColor(drawn(16, [](QPainter& p) { drawFolder(p, false); })), "help/closed.png");
    write(onMaskColor(drawn(16, [](QPainter& p) { drawFolder(p, true); })), "help/open.png");
    write(onMaskColor(drawn(16, drawDocument)), "help/doc.png");

    QImage about(248, 179, QImage::Format_RGB32);
    QPainter painter(&about);
    drawAbout(painter, about.size());
    painter.end();
    write(about, "help/about.png");
    return ok ? 0 : 1;
}
