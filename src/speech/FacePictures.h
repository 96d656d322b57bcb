#pragma once

#include "ImageList.h"

#include <QHash>
#include <QPixmap>
#include <QVariant>

// The pictures the console's face shows: the whole face with one picture of the list laid over
// it. Each is composed once and reused while the list and its colours stay as they were, since the
// face changes with every viseme the engine raises.
class FacePictures {
public:
    FacePictures(const ImageList& list, QVariant face);

    // The face with overlay (a picture number or key) laid over it; throws as the list does.
    QPixmap faceWith(const QVariant& overlay);

private:
    const ImageList& m_list;
    QVariant m_face;
    QHash<QString, QPixmap> m_composed; // by "#number" or lower-case key
    int m_backColor = -1;
    int m_maskColor = -1;
    int m_count = -1;
};
