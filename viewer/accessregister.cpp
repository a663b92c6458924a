#include "accessregister.h"
#include "ui_accessregister.h"

#include <QKeyEvent>

#include "camerasession.h"
#include "sdk/OrvantaAPI.h"

namespace {
int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}
} // namespace

AccessRegister::AccessRegister(CameraSession* session, QWidget* parent)
    : QDialog(parent), ui(new Ui::AccessRegister), m_session(session)
{
    ui->setupUi(this);
}

AccessRegister::~AccessRegister() = default;

quint32 AccessRegister::parseHex(const QString& text)
{
    const QByteArray latin = text.toLatin1();
    const char* p = latin.constData();
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        ++p;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && hexDigitValue(p[2]) >= 0)
        p += 2;
    quint64 value = 0;
    for (int digit = hexDigitValue(*p); digit >= 0; digit = hexDigitValue(*++p)) {
        value = (value << 4) | quint64(digit);
        if (value > 0xFFFFFFFFull)
            return 0xFFFFFFFFu;
    }
    return quint32(value);
}

QString AccessRegister::formatHex(quint32 value)
{
    return QStringLiteral("%1").arg(value, 8, 16, QLatin1Char('0')).toUpper();
}

void AccessRegister::on_btnRead_clicked()
{
    const quint32 address = parseHex(ui->edAddr->text());
    uint32_t value = 0;
    const int status = OrvantaReadRegister(m_session->handle(), address, &value);
    showStatus("read", status);
    // A failed read leaves the field empty rather than showing 00000000 as if it were data.
    ui->edData->setText(status == ORVANTA_OK ? formatHex(value) : QString());
}

void AccessRegister::on_btnWrite_clicked()
{
    const quint32 address = parseHex(ui->edAddr->text());
    const quint32 value = parseHex(ui->edData->text());
    showStatus("write", OrvantaWriteRegiser(m_session->handle(), address, value));
}

void AccessRegister::showStatus(const char* action, int status)
{
    const QString title = QStringLiteral("Access Register");
    m_session->check(status, QStringLiteral("register %1").arg(QLatin1String(action)));
    if (status == ORVANTA_OK)
        setWindowTitle(title);
    else
        setWindowTitle(
            QStringLiteral("%1 - %2 failed: %3")
                .arg(title, QLatin1String(action), QString::fromUtf8(OrvantaStatusText(status))));
}

void AccessRegister::keyPressEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Enter) {
        QDialog::keyPressEvent(event);
        return;
    }
    QWidget* focused = focusWidget();
    if (focused == ui->edAddr)
        on_btnRead_clicked();
    else if (focused == ui->edData)
        on_btnWrite_clicked();
}
