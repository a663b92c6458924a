#include "logstatus.h"
#include "ui_logstatus.h"

LogStatus::LogStatus(QWidget* parent) : QDockWidget(parent), ui(new Ui::LogStatus)
{
    ui->setupUi(this);
}

LogStatus::~LogStatus() = default;

QString LogStatus::formatLine(const QDateTime& when, const QString& message)
{
    const QDate d = when.date();
    const QTime t = when.time();
    return QStringLiteral("[%1-%2-%3 %4:%5:%6.%7] %8")
        .arg(d.year())
        .arg(d.month())
        .arg(d.day())
        .arg(t.hour())
        .arg(t.minute())
        .arg(t.second())
        .arg(t.msec())
        .arg(message);
}

int LogStatus::lineCount() const
{
    return ui->listWidget->count();
}

QString LogStatus::line(int row) const
{
    const QListWidgetItem* item = ui->listWidget->item(row);
    return item ? item->text() : QString();
}

void LogStatus::slotTraceLog(QString str)
{
    const QDateTime now = QDateTime::currentDateTime();
    if (ui->listWidget->count() > kMaxLinesBeforeClear)
        ui->listWidget->clear();
    ui->listWidget->addItem(formatLine(now, str));
    ui->listWidget->scrollToBottom();
}
