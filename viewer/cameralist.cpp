#include "cameralist.h"
#include "ui_cameralist.h"

CameraList::CameraList(QWidget* parent) : QDockWidget(parent), ui(new Ui::CameraList)
{
    ui->setupUi(this);
}

CameraList::~CameraList() = default;

int CameraList::currentCameraIdx()
{
    return ui->listWidget->currentRow();
}

void CameraList::slotUpdateCameraList(QStringList list)
{
    ui->listWidget->clear();
    ui->listWidget->addItems(list);
    // With a single camera no row is made current: the user picks it explicitly.
    if (!m_cameraOpened && list.size() >= 2)
        ui->listWidget->setCurrentRow(0);
}

void CameraList::slotCameraOpened(bool bOpend)
{
    ui->listWidget->setEnabled(!bOpend);
    m_cameraOpened = bOpend;
}

void CameraList::on_listWidget_doubleClicked(const QModelIndex& index)
{
    emit sigOpenCamera(index.row());
}
