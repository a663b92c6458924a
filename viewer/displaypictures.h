#ifndef DISPLAYPICTURES_H
#define DISPLAYPICTURES_H

#include <QImage>

#include <array>
#include <cstddef>

// The colour pictures the display thread hands to the GUI thread, refilled in turn instead of
// made anew for every frame, and kept as RGB888 (a pixmap shares them without a 32-bit copy).
// A picture that a pixmap on the GUI thread still shares is never written: it is replaced by
// a new one, and the pixmap keeps the old pixels.
class DisplayPictures
{
public:
    // The next picture, holding frame (RGB888, rows of any length).
    const QImage& fill(const QImage& frame);

private:
    // One on screen, one being filled: the pixmap queued before is on screen by the time a
    // picture comes round again, unless the GUI thread fell a frame behind.
    std::array<QImage, 2> m_pictures;
    size_t m_next = 0;
};

#endif // DISPLAYPICTURES_H
