#include "roilabelview.h"

#include <QMouseEvent>
#include <QPalette>
#include <QRubberBand>

RoiLabelView::RoiLabelView(QWidget* parent)
    : QLabel(parent), m_rubberBand(new QRubberBand(QRubberBand::Rectangle, this))
{
    QPalette palette = m_rubberBand->palette();
    palette.setBrush(QPalette::All, QPalette::Highlight, QBrush(Qt::darkBlue));
    m_rubberBand->setPalette(palette);
}

void RoiLabelView::slotHideRubberBand()
{
    m_rubberBand->hide();
}

void RoiLabelView::mousePressEvent(QMouseEvent* event)
{
    m_rubberBand->hide();
    m_origin = event->pos();
}

void RoiLabelView::mouseMoveEvent(QMouseEvent* event)
{
    m_rubberBand->setGeometry(QRect(m_origin, QSize()));
    m_rubberBand->show();
    m_rubberBand->setGeometry(QRect(m_origin, event->pos()).normalized());
}

void RoiLabelView::mouseReleaseEvent(QMouseEvent* event)
{
    emit sigCurrentPoint(m_origin, event->pos());
}
