#include "zoomgraphicsview.h"

#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QTimeLine>
#include <QWheelEvent>

#include <algorithm>

namespace {
// Below this a tick would shrink the picture to nothing or mirror it (factor <= 0); a long
// burst of backward notches is capped here instead.
constexpr double kMinStepFactor = 0.5;
constexpr double kStepsPerFullScale = 300.0;
} // namespace

ZoomGraphicsView::ZoomGraphicsView(QWidget* parent) : QGraphicsView(parent)
{
    setTransformationAnchor(QGraphicsView::NoAnchor);
    setResizeAnchor(QGraphicsView::NoAnchor);
}

void ZoomGraphicsView::setFitFlag(bool* fit)
{
    m_fit = fit;
}

void ZoomGraphicsView::resetPicture(const QPixmap& placeholder)
{
    resetTransform();
    QGraphicsScene* old = m_scene;
    m_scene = new QGraphicsScene(this);
    m_picture = m_scene->addPixmap(placeholder);
    setScene(m_scene);
    delete old; // its picture item with it
    setAlignment(Qt::AlignCenter);
    setDragMode(QGraphicsView::ScrollHandDrag);
}

void ZoomGraphicsView::showPicture(const QPixmap& picture)
{
    m_picture->setPixmap(picture);
    if (m_fit && *m_fit) {
        fitInView(sceneRect(), Qt::KeepAspectRatio);
    }
}

void ZoomGraphicsView::ZoomInOut(int delta)
{
    scheduleZoom(centreOf(geometry()), delta);
}

void ZoomGraphicsView::wheelEvent(QWheelEvent* event)
{
    scheduleZoom(event->position().toPoint(), event->angleDelta().y());
    event->accept(); // never passed on: the wheel zooms, it does not scroll
}

double ZoomGraphicsView::scheduleAfterRequest(double scheduled, int delta)
{
    const int steps = delta / kWheelUnitsPerStep; // truncates toward zero
    scheduled += steps;
    if (steps * scheduled < 0) // direction reversed: start over in the new direction
        scheduled = steps;
    return scheduled;
}

double ZoomGraphicsView::scheduleAfterAnimation(double scheduled)
{
    // Each finished time line retires one step. An empty schedule stays empty, otherwise a
    // request without steps would leave a phantom zoom-in step behind that swallows the next
    // backward notch.
    if (scheduled > 0)
        return scheduled - 1;
    if (scheduled < 0)
        return scheduled + 1;
    return 0;
}

double ZoomGraphicsView::stepFactor(double scheduled)
{
    return std::max(1.0 + scheduled / kStepsPerFullScale, kMinStepFactor);
}

QPoint ZoomGraphicsView::centreOf(const QRect& geometry)
{
    return QPoint((geometry.left() + geometry.right()) / 2,
                  (geometry.top() + geometry.bottom()) / 2);
}

void ZoomGraphicsView::scheduleZoom(const QPoint& anchor, int delta)
{
    if (m_fit)
        *m_fit = false;
    m_anchor = anchor;
    m_scheduled = scheduleAfterRequest(m_scheduled, delta);

    auto* anim = new QTimeLine(kAnimationMs, this);
    anim->setUpdateInterval(kTickMs);
    connect(anim, &QTimeLine::valueChanged, this, &ZoomGraphicsView::scalingTime);
    connect(anim, &QTimeLine::finished, this, &ZoomGraphicsView::animFinshed);
    anim->start();
}

void ZoomGraphicsView::scalingTime(qreal)
{
    const QPointF before = mapToScene(m_anchor);
    const double factor = stepFactor(m_scheduled);
    scale(factor, factor);
    const QPointF after = mapToScene(m_anchor);
    translate(after.x() - before.x(), after.y() - before.y());
}

void ZoomGraphicsView::animFinshed()
{
    m_scheduled = scheduleAfterAnimation(m_scheduled);
    if (QObject* timeLine = sender())
        timeLine->deleteLater();
}
