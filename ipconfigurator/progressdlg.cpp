#include "progressdlg.h"

#include "ui_progressdlg.h"

#include <QKeyEvent>

progressdlg::progressdlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), ui(new Ui::progressdlg)
{
    ui->setupUi(this);
    setWindowModality(Qt::WindowModal);
}

progressdlg::~progressdlg()
{
    delete ui;
}

void progressdlg::SetLabelText(QString text)
{
    ui->label->setText(text);
}

void progressdlg::SetProgress(int value)
{
    ui->progressBar->setValue(value);
}

void progressdlg::SetMaxValue(int value)
{
    ui->progressBar->setMaximum(value);
}

void progressdlg::keyPressEvent(QKeyEvent* event)
{
    // The task behind the dialog cannot be cancelled, so Escape must not hide it.
    if (event->key() == Qt::Key_Escape) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}
