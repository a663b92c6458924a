#ifndef CAMERALIST_H
#define CAMERALIST_H

#include <QDockWidget>
#include <QModelIndex>
#include <QStringList>

#include <memory>

namespace Ui {
class CameraList;
}

// The "Camera List" dock: the names found by discovery; a double click asks to open one.
class CameraList : public QDockWidget
{
    Q_OBJECT

public:
    explicit CameraList(QWidget* parent = nullptr);
    ~CameraList() override;

    // The current row, -1 when none.
    int currentCameraIdx();

signals:
    void sigOpenCamera(int idx);

public slots:
    void slotUpdateCameraList(QStringList list);
    void slotCameraOpened(bool bOpend);
    void on_listWidget_doubleClicked(const QModelIndex& index);

private:
    std::unique_ptr<Ui::CameraList> ui;
    bool m_cameraOpened = false;
};

#endif // CAMERALIST_H
