#include "accessregister.h"
#include "ui_accessregister.h"

#include <QKeyEvent>

#include "camerasession.h"
#include "rangespinbox.h"
#include "sdk/OrvantaAPI.h"

namespace {
int hexDigitValue(QChar c)
{
    const char l = c.toLatin1();
    if (l >= '0' && l <= '9')
        return l - '0';
    if (l >= 'a' && l <= 'f')
        return l - 'a' + 10;
    if (l >= 'A' && l <= 'F')
        return l - 'A' + 10;
    return -1;
}

// The registers the SDK documents (OrvantaAPI.h), offered in the dialog's list.
const struct
{
    quint32 address;
    const char* name;
    bool readOnly;
} kDocumentedRegisters[] = {
    {ORVANTA_REG_DEVICE_VERSION, "Device version", true},
    {ORVANTA_REG_PERSISTENT_IP, "GevPersistentIPAddress", false},
    {ORVANTA_REG_PERSISTENT_MASK, "GevPersistentSubnetMask", false},
    {ORVANTA_REG_PERSISTENT_GATEWAY, "GevPersistentDefaultGateway", false},
    {ORVANTA_REG_SCDA, "GevSCDA", true},
    {ORVANTA_REG_WIDTH, "Width", false},
    {ORVANTA_REG_HEIGHT, "Height", false},
    {ORVANTA_REG_OFFSET_X, "OffsetX", false},
    {ORVANTA_REG_OFFSET_Y, "OffsetY", false},
    {ORVANTA_REG_GAIN, "Gain", false},
    {ORVANTA_REG_EXPOSURE, "ExposureTime (us)", false},
    {ORVANTA_REG_PIXEL_FORMAT, "Pixel format code", true},
    {ORVANTA_REG_BLACK_LEVEL, "BlackLevel", false},
    {ORVANTA_REG_SCRATCH, "Scratch", false},
    {ORVANTA_REG_DELIVERED, "Frames delivered", true},
};
} // namespace

AccessRegister::AccessRegister(CameraSession* session, QWidget* parent)
    : QDialog(parent), ui(new Ui::AccessRegister), m_session(session)
{
    ui->setupUi(this);
    for (const auto& r : kDocumentedRegisters)
        ui->cmbRegister->addItem(QStringLiteral("%1  %2%3")
                                     .arg(formatHex(r.address), QLatin1String(r.name),
                                          r.readOnly ? QStringLiteral(" (read-only)") : QString()),
                                 r.address);
    ui->cmbRegister->setCurrentIndex(-1);
    ui->cmbRegister->setPlaceholderText(QStringLiteral("documented registers"));
}

AccessRegister::~AccessRegister() = default;

bool AccessRegister::parseHex(const QString& text, quint32* value)
{
    QString digits = text.trimmed();
    if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        digits.remove(0, 2);
    if (digits.isEmpty() || digits.size() > 8)
        return false;
    quint32 v = 0;
    for (const QChar c : digits) {
        const int digit = hexDigitValue(c);
        if (digit < 0)
            return false;
        v = (v << 4) | quint32(digit);
    }
    *value = v;
    return true;
}

QString AccessRegister::formatHex(quint32 value)
{
    return QStringLiteral("%1").arg(value, 8, 16, QLatin1Char('0')).toUpper();
}

// Reads a field as hex; text that is not refuses the action, said in the status line.
bool AccessRegister::parseField(QLineEdit* field, const char* name, const char* outcome,
                                quint32* value)
{
    if (parseHex(field->text(), value))
        return true;
    ui->laStatus->setText(QStringLiteral("%1: %2").arg(
        QLatin1String(name), refusedEntryText(field->text(), QStringLiteral("a hexadecimal number"),
                                              QLatin1String(outcome))));
    return false;
}

void AccessRegister::showOutcome(const QString& action, int status)
{
    if (m_session->check(status, action))
        ui->laStatus->setText(QStringLiteral("%1 done").arg(action));
    else
        ui->laStatus->setText(QStringLiteral("%1 failed: %2")
                                  .arg(action, QString::fromUtf8(OrvantaStatusText(status))));
}

void AccessRegister::on_btnRead_clicked()
{
    quint32 address = 0;
    if (!parseField(ui->edAddr, "Address", "nothing read", &address))
        return;
    uint32_t value = 0;
    const int status = OrvantaReadRegister(m_session->handle(), address, &value);
    // A failed read leaves the field empty rather than showing 00000000 as if it were data.
    ui->edData->setText(status == ORVANTA_OK ? formatHex(value) : QString());
    showOutcome(QStringLiteral("Read 0x%1").arg(formatHex(address)), status);
}

void AccessRegister::on_btnWrite_clicked()
{
    quint32 address = 0;
    quint32 value = 0;
    if (!parseField(ui->edAddr, "Address", "nothing written", &address) ||
        !parseField(ui->edData, "Data", "nothing written", &value))
        return;
    showOutcome(QStringLiteral("Write 0x%1 to 0x%2").arg(formatHex(value), formatHex(address)),
                OrvantaWriteRegiser(m_session->handle(), address, value));
}

void AccessRegister::on_cmbRegister_activated(int index)
{
    ui->edAddr->setText(formatHex(ui->cmbRegister->itemData(index).toUInt()));
    ui->laStatus->setText(ui->cmbRegister->itemText(index));
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
