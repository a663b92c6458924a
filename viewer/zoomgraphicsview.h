#ifndef ZOOMGRAPHICSVIEW_H
#define ZOOMGRAPHICSVIEW_H

#include <QGraphicsView>
#include <QPixmap>
#include <QPoint>

class QGraphicsPixmapItem;
class QWheelEvent;

// The image view: a scene of one picture item, and a graphics view that zooms smoothly around
// a fixed viewport point.
// Every zoom request (a wheel notch or a menu action) adds steps to a signed schedule and
// starts a 350 ms time line; each 20 ms tick scales by 1 + scheduled / 300 and translates the
// view so the scene point under the anchor stays put.
class ZoomGraphicsView : public QGraphicsView
{
    Q_OBJECT

public:
    static constexpr int kAnimationMs = 350;
    static constexpr int kTickMs = 20;
    static constexpr int kWheelUnitsPerStep = 120;

    explicit ZoomGraphicsView(QWidget* parent = nullptr);

    // The main window's fit-to-window flag; every zoom through this view clears it.
    void setFitFlag(bool* fit);

    // A fresh scene with a new picture item showing placeholder (none when null), zoom reset:
    // one scene per stream, not one more per start.
    void resetPicture(const QPixmap& placeholder);
    // Shows a frame, fitted into the view while the fit flag is set.
    void showPicture(const QPixmap& picture);

    // One zoom request around the centre of the view; delta in wheel units (120 a notch).
    void ZoomInOut(int delta);

    double scheduledScalings() const { return m_scheduled; }
    QPoint zoomAnchor() const { return m_anchor; }

    // The scheduling arithmetic, kept pure so it can be checked without a running animation.
    // New schedule after a request of delta wheel units.
    static double scheduleAfterRequest(double scheduled, int delta);
    // New schedule when one time line ends.
    static double scheduleAfterAnimation(double scheduled);
    // Scale factor one tick applies with the current schedule (always positive).
    static double stepFactor(double scheduled);
    // Centre of a geometry rectangle as a viewport position (integer division).
    static QPoint centreOf(const QRect& geometry);

public slots:
    void wheelEvent(QWheelEvent* event) override;
    void scalingTime(qreal value);
    void animFinshed();

private:
    void scheduleZoom(const QPoint& anchor, int delta);

    bool* m_fit = nullptr;
    QGraphicsScene* m_scene = nullptr;
    QGraphicsPixmapItem* m_picture = nullptr;
    double m_scheduled = 0;
    QPoint m_anchor;
};

#endif // ZOOMGRAPHICSVIEW_H
