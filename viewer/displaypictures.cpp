#include "displaypictures.h"

#include <cstring>

const QImage& DisplayPictures::fill(const QImage& frame)
{
    QImage& picture = m_pictures[m_next];
    m_next = (m_next + 1) % m_pictures.size();
    if (picture.size() != frame.size() || picture.format() != frame.format() ||
        !picture.isDetached()) {
        picture = QImage(frame.size(), frame.format());
    }
    const size_t rowBytes = size_t(frame.width()) * size_t(frame.depth() / 8);
    for (int y = 0; y < frame.height(); ++y) {
        std::memcpy(picture.scanLine(y), frame.constScanLine(y), rowBytes);
    }
    return picture;
}
