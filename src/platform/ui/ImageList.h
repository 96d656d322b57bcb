#pragma once

#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>
#include <QVariant>
#include <vector>

// Pictures numbered from 1, each with an optional key, all the same size. MaskColor marks the
// transparent pixels; Overlay draws the first picture on BackColor and the second over it.
// Pictures are kept as 24-bit colour; the first one added fixes the list's size and later ones of
// another size are scaled to it. Keys are unique and compared without regard to case.
class ImageList {
public:
    void add(const QImage& picture, const QString& key = {}); // throws PlatformError on a bad picture or key
    int count() const { return static_cast<int>(m_pictures.size()); }
    QSize size() const { return m_size; }
    // A number (from 1) or a key (a string); throws PlatformError when unknown. The reference
    // stays valid until the next add.
    const QImage& picture(const QVariant& indexOrKey) const;

    int MaskColor = 0xFF00FF; // colour values: red in the lowest byte (magenta reads the same)
    int BackColor = 0xC0C0C0;

    QImage Overlay(const QVariant& first, const QVariant& second) const;

    static QColor toQColor(int colorValue);
    static int fromQColor(const QColor& color);

private:
    struct Entry {
        QImage picture;
        QString key;
    };
    std::vector<Entry> m_pictures;
    QSize m_size;
};
