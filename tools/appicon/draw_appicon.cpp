// Draws the application icon, a blue speech bubble holding the bars of a sound wave, as SVG
// text and renders the PNGs from it with QSvgRenderer, so every size is the same drawing.
// Sizes up to 32 px are drawn on their own pixel grid (coordinates rounded to whole pixels,
// three wider bars below 24 px) so the small icons stay sharp.
// Output: <resources>/desktop/icons/hicolor/{scalable,NxN}/apps/<id>.{svg,png}
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr int pngSizes[] = { 16, 22, 24, 32, 48, 64, 128, 256 };
constexpr int scalableGrid = 256;

// A coordinate given as a fraction of the icon, on a grid of `grid` units.
class Grid {
public:
    explicit Grid(int grid)
        : m_grid(grid)
    {
    }
    bool small() const { return m_grid <= 32; }
    double at(double fraction) const
    {
        const double units = fraction * m_grid;
        return small() ? std::round(units) : units;
    }
    int size() const { return m_grid; }

private:
    int m_grid;
};

QString number(double value)
{
    return QString::number(value, 'f', 2).remove(QRegularExpression(QStringLiteral("\\.?0+$")));
}

// The bubble: a rounded box with a tail at the lower left, as one outline.
QString bubblePath(const Grid& g)
{
    const double x0 = g.at(0.04), y0 = g.at(0.06), x1 = g.at(0.96), y1 = g.at(0.76);
    const double r = g.small() ? std::max(2.0, g.at(0.16)) : g.at(0.18);
    // The tail is wider on the small grids, where a thin one would vanish.
    const double tailLeft = g.at(g.small() ? 0.24 : 0.26), tailRight = g.at(g.small() ? 0.56 : 0.50);
    const double tipX = g.at(g.small() ? 0.24 : 0.18), tipY = g.at(g.small() ? 1.0 : 0.96);
    const QString arc = QStringLiteral(" A %1 %1 0 0 1 ").arg(number(r));
    return QStringLiteral("M %1 %2 H %3").arg(number(x0 + r), number(y0), number(x1 - r)) + arc
        + QStringLiteral("%1 %2 V %3").arg(number(x1), number(y0 + r), number(y1 - r)) + arc
        + QStringLiteral("%1 %2 H %3 L %4 %5 L %6 %7 H %8")
              .arg(number(x1 - r), number(y1), number(tailRight), number(tipX), number(tipY), number(tailLeft),
                  number(y1), number(x0 + r))
        + arc + QStringLiteral("%1 %2 V %3").arg(number(x0), number(y1 - r), number(y0 + r)) + arc
        + QStringLiteral("%1 %2 Z").arg(number(x0 + r), number(y0));
}

// The sound wave's bars, centred in the bubble's box, with round ends; three below 24 px.
QString bars(const Grid& g)
{
    const bool few = g.size() < 24;
    // Heights as fractions of the icon.
    const std::vector<double> wave
        = few ? std::vector { 0.24, 0.44, 0.24 } : std::vector { 0.16, 0.34, 0.48, 0.34, 0.16 };
    const double width = g.small() ? std::max(2.0, g.at(few ? 0.12 : 0.075)) : g.at(0.075);
    const double gap = g.small() ? std::max(few ? 2.0 : 1.0, g.at(few ? 0.09 : 0.06)) : g.at(0.06);
    const double total = wave.size() * width + (wave.size() - 1) * gap;
    const double centreY = (g.at(0.06) + g.at(0.76)) / 2.0;
    double x = (g.size() - total) / 2.0;
    if (g.small())
        x = std::round(x);
    QString out;
    for (const double fraction : wave) {
        const double height = g.small() ? std::round(fraction * g.size() / 2.0) * 2.0 : fraction * g.size();
        const double radius = g.small() ? 0.5 : width / 2.0;
        const double top = g.small() ? std::round(centreY - height / 2.0) : centreY - height / 2.0;
        out += QStringLiteral("  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" rx=\"%5\" fill=\"#ffffff\"/>\n")
                   .arg(number(x), number(top), number(width), number(height), number(radius));
        x += width + gap;
    }
    return out;
}

QString svg(const Grid& g)
{
    const QString size = QString::number(g.size());
    return QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%1\" viewBox=\"0 0 %1 %1\">\n"
        "  <title>Parlora</title>\n"
        "  <defs>\n"
        "    <linearGradient id=\"body\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"1\">\n"
        "      <stop offset=\"0\" stop-color=\"#4d8ef0\"/>\n"
        "      <stop offset=\"1\" stop-color=\"#1c56bd\"/>\n"
        "    </linearGradient>\n"
        "  </defs>\n"
        "  <path d=\"%2\" fill=\"url(#body)\"%3/>\n"
        "%4"
        "</svg>\n")
        .arg(size, bubblePath(g),
            g.small() ? QString()
                      : QStringLiteral(" stroke=\"#154a9e\" stroke-width=\"%1\" stroke-linejoin=\"round\"")
                            .arg(number(g.size() / 64.0)),
            bars(g));
}

bool write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size())
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

bool render(const QByteArray& drawing, int size, const QString& path)
{
    QSvgRenderer renderer(drawing);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "the drawing for %d px is not valid SVG\n", size);
        return false;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    if (image.save(path))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: draw_appicon <resources folder> <application id>\n");
        return 2;
    }
    const QDir hicolor(QString::fromLocal8Bit(argv[1]) + QStringLiteral("/desktop/icons/hicolor"));
    const QString id = QString::fromLocal8Bit(argv[2]);
    bool ok = true;

    hicolor.mkpath(QStringLiteral("scalable/apps"));
    ok = write(hicolor.filePath(QStringLiteral("scalable/apps/%1.svg").arg(id)), svg(Grid(scalableGrid)).toUtf8())
        && ok;
    for (const int size : pngSizes) {
        const QString folder = QStringLiteral("%1x%1/apps").arg(size);
        hicolor.mkpath(folder);
        const Grid grid(size <= 32 ? size : scalableGrid);
        ok = render(svg(grid).toUtf8(), size, hicolor.filePath(folder + QStringLiteral("/%1.png").arg(id))) && ok;
    }
    return ok ? 0 : 1;
}
