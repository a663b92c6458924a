// The command line of orvanta-ipconfig: its commands, options and help text.
#pragma once

#include "AddressCheck.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace ipconfig {

// Exit codes, as the help text documents them.
enum ExitCode
{
    kDone = 0,
    kRefused = 1,  // a check refused the change (nothing written), or the camera refused it
    kUsage = 2,    // the command line is wrong
    kNotFound = 3, // no camera with that MAC or serial answered
    kNoAck = 4,    // the camera did not acknowledge
};

enum class Command
{
    Help,
    List,
    SetName,
    SetIp,
    ForceIp,
    Check,
};

struct CommandLine
{
    Command command = Command::Help;
    bool json = false;
    bool yes = false;
    bool dryRun = false;
    bool outsideSubnet = false;
    std::string interface;                   // --interface: search this interface only
    std::optional<gvcp::MacAddress> mac;     // the camera, by MAC ...
    std::string serial;                      // ... or by --serial
    std::string userName;                    // set-name
    std::optional<gvcp::IpSettings> address; // set-ip, force-ip
    std::optional<bool> persistent, dhcp, lla;
    std::chrono::milliseconds listen{1500}; // --timeout

    bool writes() const
    {
        return command == Command::SetName || command == Command::SetIp ||
               command == Command::ForceIp;
    }
};

// The command line, or an error message (exit code kUsage).
struct ParsedCommandLine
{
    CommandLine line;
    std::string error;
};
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args);

// The manual page printed by --help.
const char* HelpText();

} // namespace ipconfig
