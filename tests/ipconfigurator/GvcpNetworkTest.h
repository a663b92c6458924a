// Shared set-up of the GVCP network tests: they run only inside the test network of
// tools/netns/testnet.sh and start emulated cameras in its camera namespaces.
#pragma once

#include "PeerProcess.h"
#include "TestnetGuard.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace nettest {

inline int NetIp(const std::string& dotted)
{
    return int(inet_addr(dotted.c_str()));
}

inline std::string HostIp(size_t iface = 0)
{
    const auto ips = testnet::EnvList("TESTNET_HOST_IPS");
    return iface < ips.size() ? ips[iface] : "";
}

inline std::string CameraNamespace(size_t iface = 0)
{
    const auto list = testnet::EnvList(("TESTNET_CAM_NS_" + std::to_string(iface)).c_str());
    return list.empty() ? "" : list[0];
}

inline std::string Emulator()
{
    return testnet::Env("ORVANTA_EMULATOR");
}

// Starts the emulator in the camera namespace of interface `iface` with one device per camera
// description.
inline std::unique_ptr<testnet::PeerProcess> StartEmulator(const std::vector<std::string>& cameras,
                                                           size_t iface = 0, bool log = false)
{
    std::vector<std::string> argv = {Emulator(), "--iface", testnet::Env("TESTNET_CAM_IFACE"),
                                     "--log", log ? "1" : "0"};
    for (const std::string& camera : cameras) {
        argv.push_back("--camera");
        argv.push_back(camera);
    }
    auto peer =
        std::make_unique<testnet::PeerProcess>(testnet::InNamespace(CameraNamespace(iface), argv));
    EXPECT_TRUE(peer->WaitFor("ready")) << peer->Output();
    return peer;
}

// Refuses to run any test outside the test network.
inline int RunInsideTestNetwork(int argc, char** argv)
{
    const std::string why = testnet::WhyNotInsideTestNetwork();
    if (!why.empty()) {
        std::fprintf(stderr, "refusing to run: %s\n", why.c_str());
        return 1;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

} // namespace nettest
