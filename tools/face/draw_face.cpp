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

enum class Eyes { Open, Closed, Narrow };
// Picture 1 smiles; the mouth pictures hold twelve shapes, some shared by several pictures.
enum class Mouth {
    Smile,
    Closed, // lips together: m, b, p and the pictures of shape A
    Pursed, // small rounded lips: w, oo (shape B)
    Teeth, // teeth together behind open lips: sh, ch (shape C)
    Er,
    RoundOpen,
    WideOpen,
    Open,
    Jaw, // the widest: jaw dropped, tongue raised (reaches one row lower)
    Slit,
    TongueTip,
    LipBite,
    TongueBehindTeeth,
};

struct Picture {
    int number;
    QRect opaque; // columns and rows that keep the drawing
    Eyes eyes;
    Mouth mouth;
};

const QRect wholeFace(18, 26, 100, 96); // columns 18-117, rows 26-121
const QRect mouthBand(18, 71, 100, 22); // rows 71-92
const QRect jawBand(18, 71, 100, 23); // rows 71-93
const QRect eyeBand(18, 53, 100, 19); // rows 53-71

const Picture pictures[] = {
    { 1, wholeFace, Eyes::Open, Mouth::Smile },
    { 2, mouthBand, Eyes::Open, Mouth::Closed },
    { 3, mouthBand, Eyes::Open, Mouth::Closed },
    { 4, mouthBand, Eyes::Open, Mouth::Closed },
    { 5, mouthBand, Eyes::Open, Mouth::Er },
    { 6, mouthBand, Eyes::Open, Mouth::Closed },
    { 7, mouthBand, Eyes::Open, Mouth::Pursed },
    { 8, mouthBand, Eyes::Open, Mouth::RoundOpen },
    { 9, mouthBand, Eyes::Open, Mouth::WideOpen },
    { 10, mouthBand, Eyes::Open, Mouth::Pursed },
    { 11, mouthBand, Eyes::Open, Mouth::Open },
    { 12, mouthBand, Eyes::Open, Mouth::Closed },
    { 13, mouthBand, Eyes::Open, Mouth::Pursed },
    { 14, jawBand, Eyes::Open, Mouth::Jaw },
    { 15, mouthBand, Eyes::Open, Mouth::Slit },
    { 16, mouthBand, Eyes::Open, Mouth::Teeth },
    { 17, mouthBand, Eyes::Open, Mouth::TongueTip },
    { 18, mouthBand, Eyes::Open, Mouth::LipBite },
    { 19, mouthBand, Eyes::Open, Mouth::TongueBehindTeeth },
    { 20, mouthBand, Eyes::Open, Mouth::Teeth },
    { 21, mouthBand, Eyes::Open, Mouth::Pursed },
    { 22, mouthBand, Eyes::Open, Mouth::Closed },
    { 23, eyeBand, Eyes::Closed, Mouth::Smile },
    { 24, eyeBand, Eyes::Narrow, Mouth::Smile },
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

void drawIris(QPainter& p, qreal x)
{
    p.setPen(Qt::NoPen);
    QRadialGradient iris(QPointF(x + 1, 63), 4.6);
    iris.setColorAt(0, QColor(0x3A, 0x5F, 0x2E));
    iris.setColorAt(1, QColor(0x16, 0x22, 0x12));
    p.setBrush(iris);
    p.drawEllipse(QPointF(x + 1, 63.5), 4.6, 4.6);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(x + 2.6, 61.6), 1.5, 1.5);
}

QPen roundPen(const QColor& colour, qreal width)
{
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void drawEyes(QPainter& p, Eyes eyes)
{
    for (const qreal x : { 49.0, 87.0 }) {
        switch (eyes) {
        case Eyes::Open:
            p.setPen(QPen(outline, 1.5));
            p.setBrush(Qt::white);
            p.drawEllipse(QPointF(x, 62), 8, 7.5); // rows 54-70
            drawIris(p, x);
            break;
        case Eyes::Closed: {
            // A lid line curving down, with three short lashes below it.
            QPainterPath lid;
            lid.moveTo(x - 8, 61);
            lid.quadTo(x, 68, x + 8, 61);
            p.setPen(roundPen(outline, 2.2));
            p.setBrush(Qt::NoBrush);
            p.drawPath(lid);
            p.setPen(roundPen(outline, 1.3));
            p.drawLine(QPointF(x - 4.5, 65), QPointF(x - 6, 68));
            p.drawLine(QPointF(x, 64.6), QPointF(x, 68.2));
            p.drawLine(QPointF(x + 4.5, 65), QPointF(x + 6, 68));
            break;
        }
        case Eyes::Narrow: {
            // The lower half of the open eye under a heavy, straight lid.
            QPainterPath eye;
            eye.addEllipse(QPointF(x, 62), 8, 7.5);
            QPainterPath below;
            below.addRect(QRectF(x - 10, 61, 20, 12));
            const QPainterPath visible = eye.intersected(below);
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::white);
            p.drawPath(visible);
            p.save();
            p.setClipPath(visible, Qt::IntersectClip);
            drawIris(p, x);
            p.restore();
            p.setPen(QPen(outline, 1.5));
            p.setBrush(Qt::NoBrush);
            p.drawPath(visible);
            p.setPen(roundPen(outline, 2.6));
            p.drawLine(QPointF(x - 9, 61), QPointF(x + 9, 60.2));
            break;
        }
        }
    }
}

void drawCheeks(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xF2, 0x8C, 0xA8, 150));
    p.drawEllipse(QPointF(36, 80), 5, 3.2);
    p.drawEllipse(QPointF(100, 80), 5, 3.2);
}

const QColor mouthInside(0x7A, 0x16, 0x26);
const QColor tongue(0xE8, 0x6A, 0x7E);
const QColor lip(0xD0, 0x52, 0x66);
const QColor toothGap(0xB8, 0xB8, 0xC4);

// Fills the opening dark, draws what shows inside it (clipped to it), then outlines it.
template <typename Inside> void drawOpening(QPainter& p, const QPainterPath& opening, Inside inside)
{
    p.setPen(Qt::NoPen);
    p.setBrush(mouthInside);
    p.drawPath(opening);
    p.save();
    p.setClipPath(opening, Qt::IntersectClip);
    inside();
    p.restore();
    p.setPen(roundPen(outline, 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawPath(opening);
}

void drawTeeth(QPainter& p, const QRectF& row, int teeth)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRect(row);
    p.setPen(QPen(toothGap, 0.7));
    for (int i = 1; i < teeth; ++i) {
        const qreal x = row.left() + row.width() * i / teeth;
        p.drawLine(QPointF(x, row.top()), QPointF(x, row.bottom()));
    }
}

void drawTongue(QPainter& p, const QPointF& centre, qreal rx, qreal ry)
{
    p.setPen(Qt::NoPen);
    p.setBrush(tongue);
    p.drawEllipse(centre, rx, ry);
}

QPainterPath ellipsePath(const QPointF& centre, qreal rx, qreal ry)
{
    QPainterPath path;
    path.addEllipse(centre, rx, ry);
    return path;
}

// Corners turned up a little, so that every shape keeps the face friendly.
void drawCorners(QPainter& p, qreal left, qreal right, qreal y)
{
    p.setPen(roundPen(outline, 1.3));
    p.drawLine(QPointF(left - 1.5, y - 2), QPointF(left + 0.5, y + 0.5));
    p.drawLine(QPointF(right + 1.5, y - 2), QPointF(right - 0.5, y + 0.5));
}

void drawMouth(QPainter& p, Mouth mouth)
{
    switch (mouth) {
    case Mouth::Smile: {
        QPainterPath lips;
        lips.moveTo(50, 76);
        lips.quadTo(68, 81, 86, 76);
        lips.quadTo(68, 99, 50, 76); // lowest point near row 87
        drawOpening(p, lips, [&] {
            drawTeeth(p, QRectF(50, 74, 36, 5.2), 1);
            drawTongue(p, QPointF(68, 88), 9, 4.5);
        });
        break;
    }
    case Mouth::Closed: {
        QPainterPath line;
        line.moveTo(52, 79);
        line.quadTo(68, 87, 84, 79);
        p.setPen(roundPen(outline, 2.2));
        p.setBrush(Qt::NoBrush);
        p.drawPath(line);
        drawCorners(p, 52, 84, 79);
        break;
    }
    case Mouth::Pursed:
        p.setPen(QPen(outline, 1.4));
        p.setBrush(lip);
        p.drawEllipse(QPointF(68, 82), 7.5, 8); // rows 74-90
        drawOpening(p, ellipsePath(QPointF(68, 82.5), 3.4, 4.2), [] {});
        break;
    case Mouth::Teeth: {
        QPainterPath opening;
        opening.addRoundedRect(QRectF(55, 76.5, 26, 12), 4.5, 4.5);
        drawOpening(p, opening, [&] {
            drawTeeth(p, QRectF(55, 76.5, 26, 6), 4);
            drawTeeth(p, QRectF(55, 82.5, 26, 6), 4);
            p.setPen(QPen(toothGap, 0.8));
            p.drawLine(QPointF(55, 82.5), QPointF(81, 82.5));
        });
        break;
    }
    case Mouth::Er: {
        QPainterPath opening;
        opening.moveTo(56, 80);
        opening.cubicTo(58, 74.5, 78, 74.5, 80, 80);
        opening.cubicTo(78, 87.5, 58, 87.5, 56, 80);
        drawOpening(p, opening, [&] { drawTongue(p, QPointF(68, 86.5), 8, 3.5); });
        break;
    }
    case Mouth::RoundOpen:
        drawOpening(p, ellipsePath(QPointF(68, 81.5), 7.5, 8.5), [&] { // rows 73-90
            drawTeeth(p, QRectF(61, 72, 14, 3.6), 2);
            drawTongue(p, QPointF(68, 89.5), 6, 3.5);
        });
        break;
    case Mouth::WideOpen:
        drawOpening(p, ellipsePath(QPointF(68, 81.5), 12, 9), [&] { // rows 72.5-90.5
            drawTeeth(p, QRectF(56, 72, 24, 4.2), 4);
            drawTongue(p, QPointF(68, 90), 9, 4.2);
        });
        break;
    case Mouth::Open: {
        QPainterPath opening;
        opening.moveTo(50, 77);
        opening.quadTo(68, 79.5, 86, 77);
        opening.cubicTo(85, 92, 51, 92, 50, 77); // lowest point near row 88
        drawOpening(p, opening, [&] {
            drawTeeth(p, QRectF(50, 76, 36, 4.4), 6);
            drawTongue(p, QPointF(68, 90.5), 10, 4);
        });
        break;
    }
    case Mouth::Jaw:
        drawOpening(p, ellipsePath(QPointF(68, 83), 10, 10.5), [&] { // rows 72.5-93.5
            drawTeeth(p, QRectF(57, 72, 22, 4.2), 4);
            // The tongue raised towards the teeth, with its middle groove.
            QPainterPath raised;
            raised.moveTo(57, 95);
            raised.cubicTo(58, 85, 63, 79.5, 68, 79.5);
            raised.cubicTo(73, 79.5, 78, 85, 79, 95);
            raised.closeSubpath();
            p.setPen(Qt::NoPen);
            p.setBrush(tongue);
            p.drawPath(raised);
            p.setPen(roundPen(lip, 1));
            p.drawLine(QPointF(68, 83), QPointF(68, 91));
        });
        break;
    case Mouth::Slit: {
        QPainterPath opening;
        opening.addRoundedRect(QRectF(52, 78.5, 32, 7), 3.5, 3.5);
        drawOpening(p, opening, [&] {
            drawTeeth(p, QRectF(52, 78.5, 32, 3.5), 6);
            drawTeeth(p, QRectF(52, 82, 32, 3.5), 6);
        });
        drawCorners(p, 52, 84, 80.5);
        break;
    }
    case Mouth::TongueTip:
        drawOpening(p, ellipsePath(QPointF(68, 81.5), 9.5, 4.5), [&] { // rows 77-86
            drawTeeth(p, QRectF(58, 76.5, 20, 3.4), 4);
        });
        // The tip shows between the teeth and over the lower lip.
        p.setPen(QPen(outline, 1.1));
        p.setBrush(tongue);
        p.drawChord(QRectF(62.5, 78.5, 11, 10), 180 * 16, 180 * 16);
        break;
    case Mouth::LipBite: {
        QPainterPath lower;
        lower.moveTo(55, 83);
        lower.quadTo(68, 93, 81, 83);
        lower.quadTo(68, 81, 55, 83);
        p.setPen(QPen(outline, 1.2));
        p.setBrush(lip);
        p.drawPath(lower);
        p.setPen(QPen(outline, 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(59, 79, 18, 5.5));
        drawTeeth(p, QRectF(59.5, 79.5, 17, 4.5), 4);
        QPainterPath upper;
        upper.moveTo(54, 80);
        upper.quadTo(68, 76.5, 82, 80);
        p.setPen(roundPen(outline, 2));
        p.setBrush(Qt::NoBrush);
        p.drawPath(upper);
        break;
    }
    case Mouth::TongueBehindTeeth: {
        QPainterPath opening;
        opening.moveTo(55, 79.5);
        opening.quadTo(68, 77, 81, 79.5);
        opening.quadTo(68, 93, 55, 79.5); // lowest point near row 86
        drawOpening(p, opening, [&] {
            drawTeeth(p, QRectF(55, 77, 26, 4), 4);
            drawTongue(p, QPointF(68, 84), 5.5, 2.6);
        });
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
