#pragma once

#include <QByteArray>
#include <QImage>

// Reads back what the printer's PDF double wrote: how many pages the file has and the picture
// drawn on them (an image object, which Qt's PDF writer stores as JPEG).
namespace PdfPages {

int pageCount(const QByteArray& pdf);
// The first image object; a null image when there is none or it is not JPEG.
QImage firstImage(const QByteArray& pdf);

} // namespace PdfPages
