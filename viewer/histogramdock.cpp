#include "histogramdock.h"

#include <QCheckBox>
#include <QLabel>
#include <QVBoxLayout>

#include "camerasession.h"
#include "histogramview.h"
#include "histogramworker.h"

namespace {
QString percent(double share)
{
    return QString::number(share * 100, 'f', 2) + QLatin1Char('%');
}
} // namespace

HistogramDock::HistogramDock(CameraSession* session, QWidget* parent)
    : QDockWidget(tr("Histogram"), parent), m_session(session), m_worker(new HistogramWorker)
{
    setObjectName(QStringLiteral("HistogramDock"));
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    m_view = new HistogramView(body);
    m_log = new QCheckBox(tr("Logarithmic scale"), body);
    auto* markClipped = new QCheckBox(tr("Mark clipped pixels in the view"), body);
    markClipped->setToolTip(tr("Red: a channel at 255; blue: a channel at 0"));
    m_figures = new QLabel(body);
    m_figures->setObjectName(QStringLiteral("histogramFigures"));
    m_figures->setTextFormat(Qt::RichText);
    layout->addWidget(m_view, 1);
    layout->addWidget(m_log);
    layout->addWidget(markClipped);
    layout->addWidget(m_figures);
    setWidget(body);

    connect(m_log, &QCheckBox::toggled, m_view, &HistogramView::setLogScale);
    connect(markClipped, &QCheckBox::toggled, session, &CameraSession::setMarkClipped);
    connect(m_worker, &HistogramWorker::computed, this, &HistogramDock::showHistogram,
            Qt::QueuedConnection);
    HistogramWorker* worker = m_worker;
    // The depth is read on the display thread while the stream runs: the format does not
    // change meanwhile.
    session->addFrameTap([worker, session](const QImage& picture, const OImageFrame* deep) {
        worker->offer(picture, deep, session->sampleDepth());
    });
}

HistogramDock::~HistogramDock()
{
    // The session's tap holds the worker: the window closes the session before its docks go.
    delete m_worker;
}

void HistogramDock::showHistogram(const Histogram& histogram)
{
    m_view->setHistogram(histogram);
    static const char* const names[] = {"R", "G", "B"};
    QString text = QStringLiteral("<table cellspacing=4><tr><th></th><th>min</th><th>max</th>"
                                  "<th>mean</th><th>std dev</th><th>at 0</th><th>at %1</th></tr>")
                       .arg((1 << histogram.depth) - 1);
    for (int c = 0; c < histogram.channels.size(); ++c) {
        const ChannelHistogram& ch = histogram.channels[c];
        const auto clip = [](double share) {
            return share > 0 ? QStringLiteral("<font color=red>%1</font>").arg(percent(share))
                             : percent(share);
        };
        text +=
            QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td><td>%4</td><td>%5</td>"
                           "<td>%6</td><td>%7</td></tr>")
                .arg(histogram.channels.size() == 1 ? QStringLiteral("Y") : QLatin1String(names[c]))
                .arg(ch.minimum)
                .arg(ch.maximum)
                .arg(ch.mean, 0, 'f', 1)
                .arg(ch.deviation, 0, 'f', 1)
                .arg(clip(ch.lowShare), clip(ch.highShare));
    }
    m_figures->setText(text + QStringLiteral("</table>"));
    emit histogramShown();
}

QString HistogramDock::figuresText() const
{
    return m_figures->text();
}

void HistogramDock::showEvent(QShowEvent* event)
{
    QDockWidget::showEvent(event);
    m_worker->setEnabled(true);
    m_session->setDeepSamplesWanted(true);
}

void HistogramDock::hideEvent(QHideEvent* event)
{
    m_worker->setEnabled(false);
    m_session->setDeepSamplesWanted(false);
    QDockWidget::hideEvent(event);
}
