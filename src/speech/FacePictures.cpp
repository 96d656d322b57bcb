#include "FacePictures.h"

FacePictures::FacePictures(const ImageList& list, QVariant face)
    : m_list(list)
    , m_face(std::move(face))
{
}

QPixmap FacePictures::faceWith(const QVariant& overlay)
{
    if (m_list.BackColor != m_backColor || m_list.MaskColor != m_maskColor || m_list.count() != m_count) {
        m_composed.clear();
        m_backColor = m_list.BackColor;
        m_maskColor = m_list.MaskColor;
        m_count = m_list.count();
    }
    const QString key = overlay.typeId() == QMetaType::QString ? overlay.toString().toLower()
                                                               : QLatin1Char('#') + QString::number(overlay.toInt());
    const auto found = m_composed.constFind(key);
    if (found != m_composed.cend())
        return *found;
    QPixmap composed = QPixmap::fromImage(m_list.Overlay(m_face, overlay));
    m_composed.insert(key, composed);
    return composed;
}
