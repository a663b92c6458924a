#ifndef ACCESSREGISTER_H
#define ACCESSREGISTER_H

#include <QDialog>
#include <QString>

#include <memory>

class CameraSession;
class QLineEdit;

namespace Ui {
class AccessRegister;
}

// "Access Register": reads and writes one 32-bit device register of the open camera, address
// and data in hexadecimal, on the session's open camera. The documented registers can be
// picked from a list; the outcome of each read and write is shown in the dialog's status line.
class AccessRegister : public QDialog
{
    Q_OBJECT

public:
    AccessRegister(CameraSession* session, QWidget* parent = nullptr);
    ~AccessRegister() override;

    // One 32-bit hex number: leading and trailing blanks, an optional 0x/0X and 1 to 8 hex
    // digits, nothing else. False for any other text (the value is then left alone).
    static bool parseHex(const QString& text, quint32* value);
    // Eight upper-case hex digits, zero-filled.
    static QString formatHex(quint32 value);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private slots:
    void on_btnRead_clicked();
    void on_btnWrite_clicked();
    void on_cmbRegister_activated(int index);

private:
    bool parseField(QLineEdit* field, const char* name, const char* outcome, quint32* value);
    void showOutcome(const QString& action, int status);

    std::unique_ptr<Ui::AccessRegister> ui;
    CameraSession* m_session;
};

#endif // ACCESSREGISTER_H
