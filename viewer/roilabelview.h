#ifndef ROILABELVIEW_H
#define ROILABELVIEW_H

#include <QLabel>
#include <QPoint>

class QRubberBand;

// The sensor preview of the Video Modes tab: a label on which a rectangle can be dragged.
// Releasing the mouse reports the drag's start and end in the view's coordinates.
class RoiLabelView : public QLabel
{
    Q_OBJECT

public:
    explicit RoiLabelView(QWidget* parent = nullptr);

public slots:
    void slotHideRubberBand();

signals:
    void sigCurrentPoint(QPoint start, QPoint end);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QRubberBand* m_rubberBand;
    QPoint m_origin;
};

#endif // ROILABELVIEW_H
