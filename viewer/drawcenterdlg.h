#ifndef DRAWCENTERDLG_H
#define DRAWCENTERDLG_H

#include <QColor>
#include <QDialog>
#include <QLine>
#include <QSize>

#include <array>
#include <memory>

class QPixmap;

namespace Ui {
class DrawCenterDlg;
}

// Settings of the centre cross (line width and colour); Apply sends them to the main window.
// The cross geometry and painting live here as static helpers the display path calls.
class DrawCenterDlg : public QDialog
{
    Q_OBJECT

public:
    explicit DrawCenterDlg(QWidget* parent = nullptr);
    ~DrawCenterDlg() override;

    // Colour of a combo index: 0 black, 1 white, 2 red, 3 green, 4 blue, anything else red.
    static QColor colorForIndex(int index);
    // The horizontal line, then the vertical one, through the centre of a frame
    // (integer division): (0, h/2)-(w, h/2) and (w/2, 0)-(w/2, h).
    static std::array<QLine, 2> centerCrossLines(const QSize& frame);
    // Paints the cross onto the pixmap with a pen of that width and colour.
    static void paintCenterCross(QPixmap* pixmap, int width, const QColor& color);

signals:
    void sigValueApply(int width, QColor color);

private slots:
    void on_btnApply_clicked();

private:
    std::unique_ptr<Ui::DrawCenterDlg> ui;
};

#endif // DRAWCENTERDLG_H
