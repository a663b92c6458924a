#include "clippingoverlay.h"

QImage withClippingMarked(const QImage& picture)
{
    QImage marked = picture.convertToFormat(QImage::Format_RGB888);
    for (int y = 0; y < marked.height(); ++y) {
        uchar* p = marked.scanLine(y);
        for (int x = 0; x < marked.width(); ++x, p += 3) {
            if (p[0] == 255 || p[1] == 255 || p[2] == 255) {
                p[0] = 255, p[1] = 0, p[2] = 0;
            } else if (p[0] == 0 || p[1] == 0 || p[2] == 0) {
                p[0] = 0, p[1] = 0, p[2] = 255;
            }
        }
    }
    return marked;
}
