// An emulated GigE Vision camera served by a thread of the test program that has entered a
// camera namespace of the test network: it answers like the emulator program, and the test can
// also see every command it received, read its registers, refuse chosen register accesses, leave
// chosen writes unanswered and let another controller take its control privilege.
#pragma once

#include "EmulatedCamera.h"

#include <atomic>
#include <cstdint>
#include <future>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

struct ReceivedCommand
{
    uint16_t command = 0;
    uint32_t address = 0; // READREG / WRITEREG
    uint32_t value = 0;   // WRITEREG; FORCEIP: the forced address (host order)
    uint16_t fromPort = 0;
    uint16_t status = 0; // status of the answer, 0 when none was sent
};

class NamespaceCamera
{
public:
    // Starts serving `config` (its ip and mask are put on the namespace's eth0) in the network
    // namespace `ns`; returns once the camera listens. IsRunning() is false when that failed.
    NamespaceCamera(const std::string& ns, const emulator::CameraConfig& config);
    ~NamespaceCamera();
    NamespaceCamera(const NamespaceCamera&) = delete;
    NamespaceCamera& operator=(const NamespaceCamera&) = delete;

    bool IsRunning() const { return m_running; }
    std::string Error() const;

    uint32_t Register(uint32_t address) const;
    uint32_t Ip() const; // current address, host order
    std::vector<ReceivedCommand> Commands() const;
    std::vector<ReceivedCommand> Writes() const; // WRITEREG commands only
    bool Received(uint16_t command) const;       // since the last ClearCommands()
    void ClearCommands();

    // Answers every READREG (WRITEREG) of `address` with `status` from now on.
    void RefuseRead(uint32_t address, uint16_t status);
    void RefuseWrite(uint32_t address, uint16_t status);
    // Neither carries out nor acknowledges any WRITEREG of `address` from now on.
    void IgnoreWrite(uint32_t address);
    // A controller at another address takes exclusive control privilege and keeps it.
    void GrantPrivilegeToOther();

private:
    void Serve(const std::string& ns, std::promise<void>& ready);
    bool Enter(const std::string& ns);
    std::vector<emulator::Outgoing> Handle(const uint8_t* data, size_t size,
                                           const emulator::Peer& from);
    bool Refused(uint16_t command, uint32_t address, uint16_t* status) const;

    mutable std::mutex m_mutex;
    emulator::EmulatedCamera m_camera;
    std::vector<ReceivedCommand> m_commands;
    std::map<uint32_t, uint16_t> m_refusedReads;
    std::map<uint32_t, uint16_t> m_refusedWrites;
    std::set<uint32_t> m_ignoredWrites;
    std::string m_error;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_running{false};
    std::thread m_thread;
};

// The camera namespaces behind host interface i, from the environment of testnet.sh.
std::vector<std::string> CameraNamespaces(int i);
// 192.168.1.20 style text to a host-order number.
uint32_t HostIp(const char* text);
