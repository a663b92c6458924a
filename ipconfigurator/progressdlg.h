#pragma once

#include <QDialog>

namespace Ui {
class progressdlg;
}

// Frameless window-modal dialog with a label and a progress bar, shown while a background
// task of the configurator runs. Escape does not close it.
class progressdlg : public QDialog
{
    Q_OBJECT

public:
    explicit progressdlg(QWidget* parent = nullptr);
    ~progressdlg() override;

    void SetLabelText(QString text);
    void SetProgress(int value);
    void SetMaxValue(int value);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    Ui::progressdlg* ui;
};
