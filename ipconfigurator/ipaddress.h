#pragma once

#include <QString>

#include <cstdint>

class IPCtrl;

// IPv4 helpers of the configurator. Values named "host" are host-order numbers
// (192.168.1.10 is 0xC0A8010A); values named "net" are in network byte order.

QString dottedFromHost(uint32_t host);
QString dottedFromNet(uint32_t net);

// Shows an address in the four octets of an editor, octet 0 holding the top byte.
void setEditorAddress(IPCtrl* editor, uint32_t host);
void clearEditor(IPCtrl* editor);
// The octets read as decimal numbers (an empty octet reads as 0).
uint32_t editorAddress(const IPCtrl* editor);
bool editorComplete(const IPCtrl* editor);

// "first ~ last" of the addresses offered on the subnet of an interface (host order): prefix + 1
// up to prefix + 254, the upper end kept inside the subnet on networks smaller than /24.
QString validRangeText(uint32_t ifIp, uint32_t mask);

// Text of a fixed-width field that is zero-terminated only when shorter than its width.
template <int N> QString fieldText(const char (&field)[N])
{
    int len = 0;
    while (len < N && field[len] != '\0') {
        ++len;
    }
    return QString::fromLatin1(field, len);
}
