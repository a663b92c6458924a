#include "pixelreadout.h"

#include <QEvent>
#include <QGraphicsPixmapItem>
#include <QGraphicsView>
#include <QMouseEvent>
#include <QTimer>

#include <cmath>

#include "camerasession.h"

PixelReadout::PixelReadout(QGraphicsView* view, CameraSession* session, QWidget* parent)
    : QLabel(parent), m_view(view), m_session(session)
{
    setObjectName(QStringLiteral("laPixel"));
    view->viewport()->setMouseTracking(true);
    view->viewport()->installEventFilter(this);
    refresh();
}

bool PixelReadout::eventFilter(QObject*, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseMove:
        m_cursor = static_cast<QMouseEvent*>(event)->pos();
        refresh();
        break;
    case QEvent::Leave:
        m_cursor = QPoint(-1, -1);
        refresh();
        break;
    case QEvent::Paint: // a new frame, a zoom step or a scroll: read again once painted
        if (!m_refreshPending) {
            m_refreshPending = true;
            QTimer::singleShot(0, this, [this] {
                m_refreshPending = false;
                refresh();
            });
        }
        break;
    default:
        break;
    }
    return false;
}

void PixelReadout::refresh()
{
    QPoint point;
    QRgb value = 0;
    const bool inside = m_cursor.x() >= 0 && pictureAt(m_cursor, &point, &value);
    m_session->setProbe(inside ? point : QPoint(-1, -1));
    setText(describe(m_cursor));
}

bool PixelReadout::pictureAt(QPoint viewportPos, QPoint* imagePoint, QRgb* value) const
{
    if (!m_session->isOpen()) {
        return false; // the logo
    }
    for (QGraphicsItem* item : m_view->items(viewportPos)) {
        const auto* picture = qgraphicsitem_cast<const QGraphicsPixmapItem*>(item);
        if (!picture) {
            continue;
        }
        const QPointF p = picture->mapFromScene(m_view->mapToScene(viewportPos));
        const QPoint at(int(std::floor(p.x())), int(std::floor(p.y())));
        if (!picture->pixmap().rect().contains(at)) {
            return false;
        }
        *imagePoint = at;
        // A camera frame is read in the picture the session keeps of it, not in the pixmap,
        // which may have its clipped pixels marked or the centre cross painted on it. Anything
        // else on show (the logo) is read as painted.
        const QImage shown = m_session->shownPicture();
        *value = shown.size() == picture->pixmap().size()
                     ? shown.pixel(at)
                     : picture->pixmap().copy(QRect(at, QSize(1, 1))).toImage().pixel(0, 0);
        return true;
    }
    return false;
}

QString PixelReadout::describe(QPoint viewportPos) const
{
    const QString zoom =
        QStringLiteral("%1 %").arg(std::round(m_view->transform().m11() * 100), 0, 'f', 0);
    QPoint at;
    QRgb v = 0;
    if (viewportPos.x() < 0 || !pictureAt(viewportPos, &at, &v)) {
        return zoom;
    }
    QString value = m_session->showsColour()
                        ? QStringLiteral("R %1 G %2 B %3").arg(qRed(v)).arg(qGreen(v)).arg(qBlue(v))
                        : QStringLiteral("%1").arg(qGray(v));
    const int raw = m_session->probedRawValue();
    if (raw >= 0) {
        value += QStringLiteral(" (raw %1)").arg(raw);
    }
    return QStringLiteral("(%1, %2)  %3   %4").arg(at.x()).arg(at.y()).arg(value, zoom);
}
