#ifndef LOGSTATUS_H
#define LOGSTATUS_H

#include <QDateTime>
#include <QDockWidget>
#include <QString>

#include <memory>

namespace Ui {
class LogStatus;
}

// The "Log" dock: time-stamped viewer messages, at most 1001 lines (cleared beyond that).
class LogStatus : public QDockWidget
{
    Q_OBJECT

public:
    static constexpr int kMaxLinesBeforeClear = 1000;

    explicit LogStatus(QWidget* parent = nullptr);
    ~LogStatus() override;

    // "[year-month-day hour:minute:second.millisecond] message", numbers without leading zeros.
    static QString formatLine(const QDateTime& when, const QString& message);

    int lineCount() const;
    QString line(int row) const;

public slots:
    void slotTraceLog(QString str);

private:
    std::unique_ptr<Ui::LogStatus> ui;
};

#endif // LOGSTATUS_H
