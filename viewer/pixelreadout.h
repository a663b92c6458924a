#ifndef PIXELREADOUT_H
#define PIXELREADOUT_H

#include <QLabel>
#include <QPoint>

class CameraSession;
class QGraphicsView;

// The status bar's pixel inspector: the image coordinates under the cursor, the frame's value
// there (R G B, or the grey value; never a clipping mark) with the camera's raw sample for
// formats deeper than 8 bits, and the view's zoom in percent. It follows the cursor, zoom,
// scrolling and new frames (every repaint of the view).
class PixelReadout : public QLabel
{
    Q_OBJECT

public:
    PixelReadout(QGraphicsView* view, CameraSession* session, QWidget* parent = nullptr);

    // The text for the cursor at a viewport position (outside the image: the zoom only).
    QString describe(QPoint viewportPos) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refresh();
    // The image point under a viewport position and the picture there; false outside it.
    bool pictureAt(QPoint viewportPos, QPoint* imagePoint, QRgb* value) const;

    QGraphicsView* m_view;
    CameraSession* m_session;
    QPoint m_cursor{-1, -1}; // viewport position, (-1, -1) when the cursor is elsewhere
    bool m_refreshPending = false;
};

#endif // PIXELREADOUT_H
