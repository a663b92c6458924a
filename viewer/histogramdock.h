#ifndef HISTOGRAMDOCK_H
#define HISTOGRAMDOCK_H

#include <QDockWidget>

#include "histogram.h"

class CameraSession;
class HistogramView;
class HistogramWorker;
class QCheckBox;
class QLabel;

// The "Histogram" dock: histograms of the displayed frames (computed on a worker, at most ten
// a second, only while the dock is visible), linear or log scale, and per channel the minimum,
// maximum, mean, standard deviation and the shares of clipped pixels (red when not zero).
class HistogramDock : public QDockWidget
{
    Q_OBJECT

public:
    explicit HistogramDock(CameraSession* session, QWidget* parent = nullptr);
    ~HistogramDock() override;

    HistogramView* view() const { return m_view; }
    HistogramWorker* worker() const { return m_worker; }
    QString figuresText() const;

signals:
    void histogramShown();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void showHistogram(const Histogram& histogram);

    CameraSession* m_session;
    HistogramWorker* m_worker;
    HistogramView* m_view;
    QCheckBox* m_log;
    QLabel* m_figures;
};

#endif // HISTOGRAMDOCK_H
