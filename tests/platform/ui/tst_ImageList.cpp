#include "ImageList.h"
#include "PlatformError.h"

#include <QTest>

namespace {

const QColor magenta(255, 0, 255);
const QColor red(Qt::red);
const QColor blue(Qt::blue);
const QColor green(Qt::green);

// A picture one pixel high with these colours from left to right.
QImage row(const QList<QColor>& colors, QImage::Format format = QImage::Format_RGB888)
{
    QImage image(static_cast<int>(colors.size()), 1, format);
    for (int x = 0; x < image.width(); ++x)
        image.setPixelColor(x, 0, colors[x]);
    return image;
}

QList<QColor> colorsOf(const QImage& image)
{
    QList<QColor> colors;
    for (int x = 0; x < image.width(); ++x)
        colors << image.pixelColor(x, 0);
    return colors;
}

} // namespace

class TestImageList : public QObject {
    Q_OBJECT

private slots:
    void overlayIsPixelExact()
    {
        ImageList list;
        list.add(row({ magenta, red, red, magenta }, QImage::Format_ARGB32), "MICFULL");
        list.add(row({ magenta, magenta, blue, green }), "MOUTH");
        list.BackColor = 0x123456;
        const QColor back(0x56, 0x34, 0x12);

        const QImage both = list.Overlay("MICFULL", 2);
        QCOMPARE(both.format(), QImage::Format_RGB32);
        // Magenta in both layers shows the back colour; the second layer lies over the first.
        QCOMPARE(colorsOf(both), QList<QColor>({ back, red, blue, green }));
        QCOMPARE(colorsOf(list.Overlay(1, 1)), QList<QColor>({ back, red, red, back }));
        list.MaskColor = 0x00FF00; // now green lets the first layer show
        QCOMPARE(colorsOf(list.Overlay(1, "mouth")), QList<QColor>({ magenta, magenta, blue, magenta }));
    }

    void picturesByNumberOrKey()
    {
        ImageList list;
        list.add(row({ red, red }), "MICFULL");
        list.add(row({ green, magenta, green, magenta })); // scaled to the list's size, mask kept
        QCOMPARE(list.picture(1).format(), QImage::Format_RGB32);
        QCOMPARE(colorsOf(list.picture(2)), QList<QColor>({ green, green }));
        QVERIFY_THROWS_EXCEPTION(PlatformError, list.picture("MOUTH"));
        QVERIFY_THROWS_EXCEPTION(PlatformError, list.picture(3));
        QVERIFY_THROWS_EXCEPTION(PlatformError, list.add(row({ red, red }), "micfull"));
        QCOMPARE(list.count(), 2);
    }

    void colourValues()
    {
        QCOMPARE(ImageList::toQColor(0x0000FF), red);
        QCOMPARE(ImageList::fromQColor(blue), 0xFF0000);
        QCOMPARE(ImageList::fromQColor(ImageList::toQColor(0xC0FFEE)), 0xC0FFEE);
    }
};

QTEST_MAIN(TestImageList)
#include "tst_ImageList.moc"
