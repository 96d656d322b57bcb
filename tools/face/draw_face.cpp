// Draws the pictures of the console's face: a computer monitor standing on a keyboard, its screen
// showing two eyes and a mouth. Picture 1 is the whole face; band pictures cut one strip out of a
// face drawn with other eyes or another mouth, so that laid over picture 1 they change only that
// strip. Everything outside a picture's opaque rectangle is magenta, the image list's mask colour.
//   draw_face <resources folder>   writes <resources folder>/face/NN.png

#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cstdio>

namespace {
constexpr int pictureSize = 128;
constexpr QRgb magenta = 0xFFFF00FF;

const QColor outline(0x33, 0x33, 0x3D);
const QColor casingLight(0xEC, 0xE6, 0xD8);
const QColor casingDark(0xC4, 0xBC, 0xAA);

enum class Eyes { Open };
enum class Mouth { Smile };

struct Picture {
    int number;
    QRect opaque; // columns and rows that keep the drawing
    Eyes eyes;
    Mouth mouth;
};

const QRect wholeFace(18, 26, 100, 96); // columns 18-117, rows 26-121

const Picture pictures[] = {
    { 1, wholeFace, Eyes::Open, Mouth::Smile },
};

void drawMonitor(QPainter& p)
{
    QLinearGradient casing(0, 26, 0, 101);
    casing.setColorAt(0, casingLight);
    casing.setColorAt(1, casingDark);
    p.setPen(QPen(outline, 2));
    p.setBrush(casing);
    p.drawRoundedRect(QRectF(19, 27, 98, 73), 7, 7); // pen half outside: columns 18-117, rows 26-100

    // Neck and keyboard below the casing.
    p.setBrush(casingDark);
    p.setPen(QPen(outline, 1.5));
    p.drawPolygon(QPolygonF({ { 56, 100.5 }, { 80, 100.5 }, { 84, 107 }, { 52, 107 } }));

    QLinearGradient board(0, 107, 0, 122);
    board.setColorAt(0, casingLight);
    board.setColorAt(1, casingDark);
    p.setBrush(board);
    p.setPen(QPen(outline, 2));
    p.drawPolygon(QPolygonF({ { 25, 108 }, { 111, 108 }, { 116.5, 120.5 }, { 19.5, 120.5 } }));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x8C, 0x85, 0x78));
    // Three rows of twelve keys, narrowing towards the back; the front row has a space bar.
    const auto keys = [&p](int row, int first, int count) {
        const qreal inset = 27 - row * 1.6;
        const qreal width = (128 - 2 * inset) / 12;
        p.drawRoundedRect(QRectF(inset + first * width + 0.6, 110 + row * 3.4, count * width - 1.4, 2.4), 0.6, 0.6);
    };
    for (int row = 0; row < 3; ++row) {
        for (int key = 0; key < 12; ++key) {
            if (row < 2 || key < 4 || key >= 8)
                keys(row, key, 1);
        }
    }
    keys(2, 4, 4);

    // Power light on the lower bezel.
    p.setBrush(QColor(0x3C, 0xC8, 0x50));
    p.setPen(QPen(outline, 0.8));
    p.drawEllipse(QPointF(107, 97.3), 1.7, 1.7);

    // The screen, with a soft glare in its upper left corner.
    QLinearGradient glass(0, 33, 0, 95);
    glass.setColorAt(0, QColor(0x9A, 0xDC, 0xF8));
    glass.setColorAt(1, QColor(0x52, 0xA8, 0xDC));
    p.setBrush(glass);
    p.setPen(QPen(outline, 1.5));
    p.drawRoundedRect(QRectF(26.5, 33.5, 83, 61), 5, 5);
    QPainterPath glare;
    glare.moveTo(30, 37);
    glare.lineTo(52, 37);
    glare.lineTo(30, 50);
    glare.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 70));
    p.drawPath(glare);
}

void drawEyes(QPainter& p, Eyes eyes)
{
    switch (eyes) {
    case Eyes::Open:
        for (const qreal x : { 49.0, 87.0 }) {
            p.setPen(QPen(outline, 1.5));
            p.setBrush(Qt::white);
            p.drawEllipse(QPointF(x, 62), 8, 7.5); // rows 54-70
            p.setPen(Qt::NoPen);
            QRadialGradient iris(QPointF(x + 1, 63), 4.6);
            iris.setColorAt(0, QColor(0x3A, 0x5F, 0x2E));
            iris.setColorAt(1, QColor(0x16, 0x22, 0x12));
            p.setBrush(iris);
            p.drawEllipse(QPointF(x + 1, 63.5), 4.6, 4.6);
            p.setBrush(Qt::white);
            p.drawEllipse(QPointF(x + 2.6, 61.6), 1.5, 1.5);
        }
        break;
    }
}

void drawCheeks(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xF2, 0x8C, 0xA8, 150));
    p.drawEllipse(QPointF(36, 80), 5, 3.2);
    p.drawEllipse(QPointF(100, 80), 5, 3.2);
}

void drawMouth(QPainter& p, Mouth mouth)
{
    switch (mouth) {
    case Mouth::Smile: {
        QPainterPath lips;
        lips.moveTo(50, 76);
        lips.quadTo(68, 81, 86, 76);
        lips.quadTo(68, 99, 50, 76); // lowest point near row 87
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x7A, 0x16, 0x26));
        p.drawPath(lips);
        p.save();
        p.setClipPath(lips, Qt::IntersectClip);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(50, 74, 36, 5.2)); // upper teeth
        p.setBrush(QColor(0xE8, 0x6A, 0x7E));
        p.drawEllipse(QPointF(68, 88), 9, 4.5); // tongue
        p.restore();
        p.setPen(QPen(outline, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(lips);
        break;
    }
    }
}

QImage drawFace(Eyes eyes, Mouth mouth)
{
    QImage drawing(pictureSize, pictureSize, QImage::Format_ARGB32);
    drawing.fill(Qt::transparent);
    QPainter p(&drawing);
    p.setRenderHint(QPainter::Antialiasing);
    p.setClipRect(wholeFace);
    drawMonitor(p);
    drawEyes(p, eyes);
    drawCheeks(p);
    drawMouth(p, mouth);
    return drawing;
}

// 24-bit picture: the drawing where it covers at least half a pixel inside opaque, magenta
// elsewhere. Half-covered edge pixels take the outline's colour instead of a pink blend.
QImage masked(const QImage& drawing, const QRect& opaque)
{
    QImage picture(pictureSize, pictureSize, QImage::Format_RGB888);
    for (int y = 0; y < pictureSize; ++y) {
        for (int x = 0; x < pictureSize; ++x) {
            const QRgb pixel = drawing.pixel(x, y);
            QRgb colour = magenta;
            if (opaque.contains(x, y) && qAlpha(pixel) >= 128) {
                colour = qRgb(qRed(pixel), qGreen(pixel), qBlue(pixel));
                if (colour == magenta)
                    colour = qRgb(254, 0, 255); // never transparent by accident
            }
            picture.setPixel(x, y, colour);
        }
    }
    return picture;
}
} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: draw_face <resources folder>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]) + QStringLiteral("/face/");
    for (const Picture& picture : pictures) {
        const QString file = folder + QStringLiteral("%1.png").arg(picture.number, 2, 10, QLatin1Char('0'));
        if (!masked(drawFace(picture.eyes, picture.mouth), picture.opaque).save(file)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
