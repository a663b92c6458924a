#include "streamstatisticsdock.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
QString count(quint64 n)
{
    return QString::number(n);
}

// Microseconds as milliseconds with two decimals.
QString ms(uint64_t us)
{
    return QString::number(double(us) / 1000.0, 'f', 2);
}

QString interval(uint64_t minUs, uint64_t meanUs, uint64_t maxUs)
{
    return QStringLiteral("%1 / %2 / %3").arg(ms(minUs), ms(meanUs), ms(maxUs));
}
} // namespace

QVector<StreamStatisticsDock::Row>
StreamStatisticsDock::rows(const OStreamStatistics& sdk,
                           const CameraSession::DisplayCounters& viewer, double displayedPerSecond,
                           double megabytesPerSecond)
{
    return {
        {tr("Delivered"), count(sdk.framesDelivered), false},
        {tr("Dropped (no buffer)"), count(sdk.framesDropped), sdk.framesDropped > 0},
        {tr("Incomplete"), count(sdk.framesIncomplete), sdk.framesIncomplete > 0},
        {tr("Packets resent"), count(sdk.packetsResent), false},
        {tr("Packets missing"), count(sdk.packetsMissing), sdk.packetsMissing > 0},
        {tr("Interval 1 s, ms"),
         interval(sdk.lastSecondMinUs, sdk.lastSecondMeanUs, sdk.lastSecondMaxUs), false},
        {tr("Interval all, ms"), interval(sdk.intervalMinUs, sdk.intervalMeanUs, sdk.intervalMaxUs),
         false},
        {tr("Displayed / s"), QString::number(displayedPerSecond, 'f', 1), false},
        {tr("Display skipped"), count(viewer.displaySkipped), false},
        {tr("Saved"), count(viewer.saved), false},
        {tr("Saves skipped"), count(viewer.savesSkipped), viewer.savesSkipped > 0},
        {tr("Data rate, MB/s"), QString::number(megabytesPerSecond, 'f', 1), false},
    };
}

StreamStatisticsDock::StreamStatisticsDock(CameraSession* session, QWidget* parent)
    : QDockWidget(tr("Stream Statistics"), parent), m_session(session)
{
    setObjectName(QStringLiteral("StreamStatisticsDock"));
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    m_table = new QTableWidget(0, 2, body);
    m_table->setHorizontalHeaderLabels({tr("Figure"), tr("Value")});
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_table->setToolTip(tr("Intervals: min / mean / max"));
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto* resetButton = new QPushButton(tr("Reset"), body);
    resetButton->setObjectName(QStringLiteral("resetStatistics"));
    layout->addWidget(m_table);
    layout->addWidget(resetButton, 0, Qt::AlignRight);
    setWidget(body);

    connect(resetButton, &QPushButton::clicked, this, &StreamStatisticsDock::reset);
    connect(session, &CameraSession::rateChanged, this,
            [this](double, double megabytes) { m_megabytesPerSecond = megabytes; });
    connect(session, &CameraSession::streamingChanged, this, [this](bool on) {
        if (!on) {
            m_megabytesPerSecond = 0;
        }
    });
    m_refresh.setInterval(kRefreshMs);
    connect(&m_refresh, &QTimer::timeout, this, &StreamStatisticsDock::refresh);
    m_sinceLast.start();
    refresh();
}

void StreamStatisticsDock::refresh()
{
    OStreamStatistics sdk{};
    if (m_session->isOpen()) {
        // A failed read (camera gone) shows zeros; the session reports the loss itself.
        (void)OrvantaGetStreamStatistics(m_session->handle(), &sdk);
    }
    const CameraSession::DisplayCounters viewer = m_session->displayCounters();
    const double seconds = double(m_sinceLast.restart()) / 1000.0;
    const double displayedPerSecond = seconds > 0 && viewer.displayed >= m_lastDisplayed
                                          ? double(viewer.displayed - m_lastDisplayed) / seconds
                                          : 0;
    m_lastDisplayed = viewer.displayed;

    const QVector<Row> shown = rows(sdk, viewer, displayedPerSecond, m_megabytesPerSecond);
    m_table->setRowCount(shown.size());
    for (int r = 0; r < shown.size(); ++r) {
        for (int c = 0; c < 2; ++c) {
            QTableWidgetItem* item = m_table->item(r, c);
            if (!item) {
                item = new QTableWidgetItem;
                m_table->setItem(r, c, item);
            }
            item->setText(c == 0 ? shown[r].name : shown[r].value);
            item->setForeground(shown[r].alarm ? QBrush(Qt::red) : QBrush());
        }
    }
}

QString StreamStatisticsDock::shownValue(const QString& figure, bool* alarm) const
{
    for (int r = 0; r < m_table->rowCount(); ++r) {
        if (m_table->item(r, 0)->text() == figure) {
            if (alarm) {
                *alarm = m_table->item(r, 1)->foreground().color() == Qt::red;
            }
            return m_table->item(r, 1)->text();
        }
    }
    return QString();
}

void StreamStatisticsDock::reset()
{
    if (m_session->isOpen()) {
        m_session->check(OrvantaResetStreamStatistics(m_session->handle()),
                         QStringLiteral("reset the stream statistics"));
    }
    m_session->resetDisplayCounters();
    m_lastDisplayed = 0;
    refresh();
}

void StreamStatisticsDock::showEvent(QShowEvent* event)
{
    QDockWidget::showEvent(event);
    refresh();
    m_refresh.start();
}

void StreamStatisticsDock::hideEvent(QHideEvent* event)
{
    m_refresh.stop();
    QDockWidget::hideEvent(event);
}
