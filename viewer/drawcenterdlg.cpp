#include "drawcenterdlg.h"
#include "ui_drawcenterdlg.h"

#include <QPainter>
#include <QPen>
#include <QPixmap>

DrawCenterDlg::DrawCenterDlg(QWidget* parent) : QDialog(parent), ui(new Ui::DrawCenterDlg)
{
    ui->setupUi(this);
}

DrawCenterDlg::~DrawCenterDlg() = default;

QColor DrawCenterDlg::colorForIndex(int index)
{
    switch (index) {
    case 0:
        return Qt::black;
    case 1:
        return Qt::white;
    case 3:
        return Qt::green;
    case 4:
        return Qt::blue;
    default:
        return Qt::red;
    }
}

std::array<QLine, 2> DrawCenterDlg::centerCrossLines(const QSize& frame)
{
    const int w = frame.width();
    const int h = frame.height();
    return {QLine(0, h / 2, w, h / 2), QLine(w / 2, 0, w / 2, h)};
}

void DrawCenterDlg::paintCenterCross(QPixmap* pixmap, int width, const QColor& color)
{
    if (!pixmap || pixmap->isNull())
        return;
    QPainter painter(pixmap);
    painter.setPen(QPen(color, width));
    for (const QLine& line : centerCrossLines(pixmap->size()))
        painter.drawLine(line);
}

void DrawCenterDlg::on_btnApply_clicked()
{
    emit sigValueApply(ui->spiWidth->value(), colorForIndex(ui->comboBox->currentIndex()));
}
