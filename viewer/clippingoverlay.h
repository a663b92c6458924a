#ifndef CLIPPINGOVERLAY_H
#define CLIPPINGOVERLAY_H

#include <QImage>

// A copy of a displayed picture (RGB888 or Grayscale8) as RGB888 with its clipped pixels
// marked: red where a channel is at 255, else blue where a channel is at 0.
QImage withClippingMarked(const QImage& picture);

#endif // CLIPPINGOVERLAY_H
