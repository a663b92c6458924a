#ifndef ACCESSREGISTER_H
#define ACCESSREGISTER_H

#include <QDialog>
#include <QString>

#include <memory>

class CameraSession;

namespace Ui {
class AccessRegister;
}

// "Access Register": reads and writes one 32-bit device register of the open camera, address
// and data in hexadecimal, on the session's open camera.
class AccessRegister : public QDialog
{
    Q_OBJECT

public:
    AccessRegister(CameraSession* session, QWidget* parent = nullptr);
    ~AccessRegister() override;

    // Hex text as scanf "%x" reads it: leading blanks, optional 0x/0X, digits up to the first
    // non-digit; 0 when there is no digit. Values beyond 32 bits saturate at 0xFFFFFFFF.
    static quint32 parseHex(const QString& text);
    // Eight upper-case hex digits, zero-filled.
    static QString formatHex(quint32 value);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private slots:
    void on_btnRead_clicked();
    void on_btnWrite_clicked();

private:
    void showStatus(const char* action, int status);

    std::unique_ptr<Ui::AccessRegister> ui;
    CameraSession* m_session;
};

#endif // ACCESSREGISTER_H
