#ifndef STREAMSTATISTICSDOCK_H
#define STREAMSTATISTICSDOCK_H

#include <QDockWidget>
#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <QVector>

#include "camerasession.h"

class QTableWidget;

// The "Stream Statistics" dock: the SDK's transfer figures of the open camera and the viewer's
// own (frames shown a second, skipped by the display, saved and not saved, data rate),
// refreshed twice a second while visible. Error counters show in red when not zero; Reset
// sets both sets of figures back to zero.
class StreamStatisticsDock : public QDockWidget
{
    Q_OBJECT

public:
    static constexpr int kRefreshMs = 500;

    struct Row
    {
        QString name;
        QString value;
        bool alarm = false; // an error counter that is not zero
    };
    // What the table shows for one set of figures.
    static QVector<Row> rows(const OStreamStatistics& sdk,
                             const CameraSession::DisplayCounters& viewer,
                             double displayedPerSecond, double megabytesPerSecond);

    explicit StreamStatisticsDock(CameraSession* session, QWidget* parent = nullptr);

    // The value shown for a figure, and whether it is shown as an alarm; empty when no row
    // has that name.
    QString shownValue(const QString& figure, bool* alarm = nullptr) const;

public slots:
    void refresh();
    void reset();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    CameraSession* m_session;
    QTableWidget* m_table;
    QTimer m_refresh;
    QElapsedTimer m_sinceLast;
    quint64 m_lastDisplayed = 0;
    double m_megabytesPerSecond = 0;
};

#endif // STREAMSTATISTICSDOCK_H
