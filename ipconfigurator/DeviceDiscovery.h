// Finds the GigE Vision cameras that answer on one network interface.
#pragma once

#include "GvcpMessages.h"
#include "GvcpSocket.h"

#include <chrono>
#include <vector>

// Common empty base of the GVCP clients.
class CRegID
{
public:
    virtual ~CRegID() = default;
};

// Broadcasts one DISCOVERY_CMD from a socket bound to the interface address and a caller-chosen
// port, then listens on that port for DISCOVERY_ACKs and appends one CamInfo per answer.
// Calling order: construct, SearchDevice once, destroy. Used by one thread only.
class CDeviceDiscovery : private CRegID
{
public:
    // interfaceIp in network byte order. A socket failure is printed; the object is still made.
    CDeviceDiscovery(int interfaceIp, unsigned short port);
    ~CDeviceDiscovery() override; // closes the socket; the records made belong to the list
    CDeviceDiscovery(const CDeviceDiscovery&) = delete;
    CDeviceDiscovery& operator=(const CDeviceDiscovery&) = delete;

    // (Re)opens the non-blocking socket bound to ip (network order):port. 0 or -1.
    int InitSocket(int ip, unsigned short port);
    // Broadcasts DISCOVERY_CMD with reqId to 255.255.255.255:3956 from the bound socket; `ip`
    // is not used. 0, or the negative result of the send.
    int SendData(int ip, unsigned short reqId);
    // Collects answers to reqId for one window of timeoutMs: 0 when time is up, -1 when the
    // wait failed, 108 or 109 when a datagram that is not the awaited answer ended listening.
    int ReceiveData(unsigned long long timeoutMs, unsigned short reqId);
    // One complete search; records are appended to *list (allocated with new, owned by the
    // list's holder) in arrival order and stay there whatever the result. 0 or negative.
    int SearchDevice(std::vector<CamInfo*>* list, unsigned long long timeoutMs);

private:
    gvcp::RequestCounter m_requestId;
    int m_interfaceIp;
    unsigned short m_port;
    gvcp::UdpSocket m_socket;
    std::vector<CamInfo*>* m_list = nullptr;
};

namespace gvcp {

// One search on the interface holding `interfaceIp` (host order) from local `port` (0: any free
// port, so that searches of several interfaces can run at the same time), listening for
// `window`; the cameras that answered, in arrival order.
std::vector<CamInfo> SearchInterface(uint32_t interfaceIp, uint16_t port,
                                     std::chrono::milliseconds window);

} // namespace gvcp
