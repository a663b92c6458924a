// Refuses to let a network test run anywhere but inside the test network made by
// tools/netns/testnet.sh: the process must be in the namespace the script made, and that
// namespace may hold no interface other than lo and the script's own.
#pragma once

#include <cstdlib>
#include <net/if.h>
#include <set>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace testnet {

inline std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

inline std::vector<std::string> EnvList(const char* name)
{
    std::istringstream in(Env(name));
    std::vector<std::string> items;
    for (std::string item; in >> item;)
        items.push_back(item);
    return items;
}

// Empty when the process runs inside the test network, else why not.
inline std::string WhyNotInsideTestNetwork()
{
    const std::string host = Env("TESTNET_HOST_NS");
    if (host.empty())
        return "TESTNET_HOST_NS is not set: run this program through tools/netns/testnet.sh";
    struct stat own
    {
    }, made{};
    if (::stat("/proc/self/ns/net", &own) != 0 ||
        ::stat(("/run/netns/" + host).c_str(), &made) != 0)
        return "cannot compare network namespaces";
    if (own.st_ino != made.st_ino || own.st_dev != made.st_dev)
        return "this process is not in the test host namespace " + host;
    std::set<std::string> allowed{"lo"};
    for (const std::string& name : EnvList("TESTNET_HOST_IFACES"))
        allowed.insert(name);
    struct if_nameindex* names = ::if_nameindex();
    if (!names)
        return "cannot list network interfaces";
    std::string stranger;
    for (const struct if_nameindex* it = names; it->if_index != 0; ++it)
        if (!allowed.count(it->if_name))
            stranger = it->if_name;
    ::if_freenameindex(names);
    if (!stranger.empty())
        return "interface " + stranger + " does not belong to the test network";
    return "";
}

} // namespace testnet
