#include "ImageList.h"

#include "ColorValue.h"
#include "PlatformError.h"

namespace {

// The toolkit's own error numbers for its image collection.
constexpr int indexOutOfBounds = 35600;
constexpr int elementNotFound = 35601;
constexpr int keyNotUnique = 35602;
constexpr int invalidPicture = 481;

// Copies every pixel of layer that is not the mask colour onto target (both RGB32, same size).
void drawMasked(QImage& target, const QImage& layer, QRgb mask)
{
    for (int y = 0; y < target.height(); ++y) {
        auto* out = reinterpret_cast<QRgb*>(target.scanLine(y));
        const auto* in = reinterpret_cast<const QRgb*>(layer.constScanLine(y));
        for (int x = 0; x < target.width(); ++x) {
            if ((in[x] & RGB_MASK) != mask)
                out[x] = in[x];
        }
    }
}

} // namespace

void ImageList::add(const QImage& picture, const QString& key)
{
    if (picture.isNull())
        throw PlatformError(QStringLiteral("Invalid picture"), invalidPicture);
    if (!key.isEmpty()) {
        for (const Entry& entry : m_pictures) {
            if (entry.key.compare(key, Qt::CaseInsensitive) == 0)
                throw PlatformError(QStringLiteral("Key is not unique in collection"), keyNotUnique);
        }
    }
    if (m_pictures.empty())
        m_size = picture.size();
    QImage stored = picture.convertToFormat(QImage::Format_RGB32);
    // Nearest-pixel scaling keeps mask pixels exactly the mask colour.
    if (stored.size() != m_size)
        stored = stored.scaled(m_size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    m_pictures.push_back({ stored, key });
}

const QImage& ImageList::picture(const QVariant& indexOrKey) const
{
    if (indexOrKey.typeId() == QMetaType::QString) {
        const QString key = indexOrKey.toString();
        for (const Entry& entry : m_pictures) {
            if (!entry.key.isEmpty() && entry.key.compare(key, Qt::CaseInsensitive) == 0)
                return entry.picture;
        }
        throw PlatformError(QStringLiteral("Element not found"), elementNotFound);
    }
    bool isNumber = false;
    const int index = indexOrKey.toInt(&isNumber);
    if (!isNumber || index < 1 || index > count())
        throw PlatformError(QStringLiteral("Index out of bounds"), indexOutOfBounds);
    return m_pictures[static_cast<std::size_t>(index - 1)].picture;
}

QImage ImageList::Overlay(const QVariant& first, const QVariant& second) const
{
    const QImage& below = picture(first);
    const QImage& above = picture(second);
    QImage result(m_size, QImage::Format_RGB32);
    result.fill(toQColor(BackColor));
    const QRgb mask = toQColor(MaskColor).rgb() & RGB_MASK;
    drawMasked(result, below, mask);
    drawMasked(result, above, mask);
    return result;
}

QColor ImageList::toQColor(int colorValue)
{
    return ColorValue::toQColor(colorValue);
}

int ImageList::fromQColor(const QColor& color)
{
    return ColorValue::fromQColor(color);
}
