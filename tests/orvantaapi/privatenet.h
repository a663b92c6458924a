// Refuses to run a real-camera test where it could reach the machine's network: Aravis
// discovery broadcasts on every interface, so these tests run only in a network namespace whose
// interfaces are loopback and those the test made itself.
#ifndef ORVANTA_PRIVATENET_H
#define ORVANTA_PRIVATENET_H

#include <net/if.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

namespace privatenet {

// The first interface that is neither loopback nor one of allowed; empty when there is none.
inline std::string strangerInterface(const std::set<std::string>& allowed = {})
{
    struct if_nameindex* names = ::if_nameindex();
    if (!names)
        return "(interfaces cannot be listed)";
    std::string stranger;
    for (const struct if_nameindex* it = names; it->if_index != 0 && stranger.empty(); ++it)
        if (std::string(it->if_name) != "lo" && !allowed.count(it->if_name))
            stranger = it->if_name;
    ::if_freenameindex(names);
    return stranger;
}

// Ends the program when an interface outside the test's own network is present.
inline void requireIsolation(const std::set<std::string>& allowed = {})
{
    const std::string stranger = strangerInterface(allowed);
    if (!stranger.empty()) {
        std::fprintf(stderr,
                     "refusing to run: interface %s is not part of the test's own network "
                     "(run through ctest, which makes a private network namespace)\n",
                     stranger.c_str());
        std::exit(2);
    }
}

} // namespace privatenet

#endif
