#include "ipaddress.h"

#include "GvcpMessages.h"
#include "ipctrl.h"

#include <QLineEdit>

QString dottedFromHost(uint32_t host)
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(host >> 24)
        .arg((host >> 16) & 0xFF)
        .arg((host >> 8) & 0xFF)
        .arg(host & 0xFF);
}

QString dottedFromNet(uint32_t net)
{
    return QString::fromStdString(gvcp::DottedText(net));
}

void setEditorAddress(IPCtrl* editor, uint32_t host)
{
    for (int i = 0; i < 4; ++i) {
        editor->m_lineEdit[i]->setText(QString::number((host >> (24 - 8 * i)) & 0xFF));
    }
}

void clearEditor(IPCtrl* editor)
{
    for (QLineEdit* edit : editor->m_lineEdit) {
        edit->clear();
    }
}

uint32_t editorAddress(const IPCtrl* editor)
{
    uint32_t host = 0;
    for (const QLineEdit* edit : editor->m_lineEdit) {
        host = (host << 8) | (edit->text().toUInt() & 0xFF);
    }
    return host;
}

bool editorComplete(const IPCtrl* editor)
{
    for (const QLineEdit* edit : editor->m_lineEdit) {
        if (edit->text().isEmpty()) {
            return false;
        }
    }
    return true;
}

QString validRangeText(uint32_t ifIp, uint32_t mask)
{
    const uint32_t prefix = ifIp & mask;
    uint32_t last = prefix | 254;
    const uint32_t hostBits = ~mask;
    // Below /24 "prefix | 254" can lie past the subnet's broadcast address.
    if (hostBits >= 3 && hostBits < 254) {
        last = (prefix | hostBits) - 1;
    }
    return QStringLiteral("%1 ~ %2").arg(dottedFromHost(prefix | 1), dottedFromHost(last));
}
