// Control-channel client for one camera: READREG/WRITEREG exchanges, control privilege, FORCEIP,
// the typed operations built on them and the checks of a new address.
#pragma once

#include "AddressCheck.h"
#include "DeviceDiscovery.h"

#include <functional>
#include <mutex>
#include <string>

// Every command leaves through a socket bound to the address of the interface that found the
// camera. Each send-and-wait exchange holds a recursive lock, so an acknowledge is always
// matched against the command of its own exchange; the typed operations hold it across all
// their commands, so a read-modify-write is not interleaved with another thread's commands.
//
// Device addresses (deviceIp) are in network byte order, as CamInfo holds them; register
// values and IpSettings are in host order.
class CDeviceControl : private CRegID
{
public:
    // interfaceIp in network byte order; the second parameter is not used.
    CDeviceControl(int interfaceIp, short unused);
    ~CDeviceControl() override;
    CDeviceControl(const CDeviceControl&) = delete;
    CDeviceControl& operator=(const CDeviceControl&) = delete;

    // Opens a non-blocking UDP socket bound to ip (network order), port 0. 0, or the bind's
    // result (the socket is then closed).
    int InitUSocket(int ip);
    // Writes the header (key 0x42, flag 0x01, command, length, reqId) and `length` bytes of
    // `data` (whole words, already big-endian) behind it; `cmd` must point to a buffer of at
    // least 8 + length bytes. 0, or -1 when length is negative or over 2048.
    int SetCommand(_command_struct* cmd, int command, int* data, int length, unsigned short reqId);
    // Checks one received acknowledge of `size` bytes (see gvcp::CheckControlAck). On success:
    // when `data` is given, *data receives a new[]-allocated copy of the payload (free it with
    // delete[]) and *length its size in bytes; else, when `length` is given, it receives the
    // WRITEREG index (command 0x0082) or the acknowledge's length field. Returns 0, the
    // device's GVCP status, or 110 (not our answer: keep waiting).
    int RecvDataproc(int command, const char* buffer, int size, int** data, int* length,
                     unsigned short reqId);
    // One exchange with the camera at deviceIp (network order), port 3956, within one window
    // of one second. `data` holds `length` payload bytes in wire order (READREG: the address;
    // WRITEREG: address and value). outData/outLength as for RecvDataproc, either may be null;
    // a READREG value comes back in wire order (convert with ntohl). Returns 0, the device's
    // status (e.g. 0x8006, no payload then), 109 when no answer came, -1 when a socket call
    // failed.
    int GevSendCommand(int command, int deviceIp, int* data, int length, int** outData,
                       int* outLength);
    // WRITEREG CCP = exclusive access.
    int GevOpenDevice(int deviceIp);
    // WRITEREG CCP = 0, READREG number of message channels, and when that is not 0 WRITEREG
    // MCP = 0; stops at the first non-zero result.
    int GevCloseDevice(int deviceIp);
    // Broadcasts FORCEIP_CMD from the interface address with the next request id. ip, mask and
    // gateway are host-order numbers; macHigh holds MAC bytes 0-1, macLow bytes 2-5. Returns 0
    // when sent, 1 otherwise. No acknowledge is awaited.
    int SetForceIP(int ip, int mask, int gateway, unsigned short macHigh, unsigned int macLow);
    // The same for the camera with this MAC.
    int SetForceIP(const gvcp::MacAddress& mac, const gvcp::IpSettings& settings);

    // One register. The result codes are those of GevSendCommand; *value is left alone unless
    // the read succeeded.
    int ReadRegister(uint32_t deviceIp, uint32_t address, uint32_t* value);
    int WriteRegister(uint32_t deviceIp, uint32_t address, uint32_t value);
    // Writes the persistent gateway, mask and address, in this order, waiting 50 ms after
    // each; afterWrite(i) is called after write i (0 to 2) succeeded. Stops at the first
    // failure and returns it.
    int SetPersistentIp(uint32_t deviceIp, const gvcp::IpSettings& settings,
                        const std::function<void(int)>& afterWrite = {});
    // Puts `bits` (persistent IP, DHCP, LLA) into the low three bits of the IP configuration
    // register, keeping its other bits. The read's failure, or the write's result.
    int SetIpConfiguration(uint32_t deviceIp, uint32_t bits);
    // Writes the first 16 bytes of `name` (zero padded) to the user-defined name registers.
    // All four writes are made; returns the first failure. Needs control privilege
    // (GevOpenDevice) on most cameras.
    int WriteUserName(uint32_t deviceIp, const std::string& name);

    // Checks `settings` for the camera `self` against `host` (gvcp::CheckAddress) and then
    // probes the address from this client's interface (gvcp::ProbeAddress, about 300 ms),
    // unless it is the camera's own current address.
    gvcp::AddressVerdict CheckAddress(const gvcp::IpSettings& settings, const gvcp::HostView& host,
                                      const gvcp::KnownCamera& self);

private:
    int AwaitAck(int command, unsigned short reqId, int** outData, int* outLength);

    gvcp::RequestCounter m_requestId;
    std::recursive_mutex m_lock;
    gvcp::UdpSocket m_socket;
    int m_interfaceIp;
};
