#include "CommandLine.h"

#include <arpa/inet.h>
#include <cstdio>
#include <map>

namespace ipconfig {

namespace {

const std::map<std::string, Command> kCommands = {
    {"list", Command::List},        {"set-name", Command::SetName}, {"set-ip", Command::SetIp},
    {"force-ip", Command::ForceIp}, {"check", Command::Check},      {"help", Command::Help},
};

bool ParseMac(const std::string& text, gvcp::MacAddress* mac)
{
    unsigned b[6];
    char separator[5];
    char tail;
    if (text.size() != 17 ||
        std::sscanf(text.c_str(), "%2x%c%2x%c%2x%c%2x%c%2x%c%2x%c", &b[0], &separator[0], &b[1],
                    &separator[1], &b[2], &separator[2], &b[3], &separator[3], &b[4], &separator[4],
                    &b[5], &tail) != 11)
        return false;
    for (char c : separator)
        if (c != separator[0] || (c != ':' && c != '-'))
            return false;
    for (size_t i = 0; i < 6; ++i)
        (*mac)[i] = uint8_t(b[i]);
    return true;
}

bool ParseIp(const std::string& text, uint32_t* ip)
{
    in_addr addr{};
    if (inet_pton(AF_INET, text.c_str(), &addr) != 1)
        return false;
    *ip = ntohl(addr.s_addr);
    return true;
}

bool ParseOnOff(const std::string& text, std::optional<bool>* out)
{
    if (text != "on" && text != "off")
        return false;
    *out = text == "on";
    return true;
}

// Walks the arguments: options (also as --name=value) and the positional words in order.
class Parser
{
public:
    explicit Parser(const std::vector<std::string>& args) : m_args(args) {}

    ParsedCommandLine Run()
    {
        std::vector<std::string> words;
        bool options = true; // until "--"
        for (m_next = 0; m_next < m_args.size() && m_error.empty();) {
            const std::string arg = m_args[m_next++];
            if (options && arg == "--")
                options = false;
            else if (options && arg.size() > 1 && arg[0] == '-')
                Option(arg);
            else
                words.push_back(arg);
        }
        if (m_help && m_error.empty()) {
            m_line.command = Command::Help;
            return {m_line, m_error};
        }
        if (m_error.empty())
            Words(words);
        if (m_error.empty())
            Fits();
        return {m_line, m_error};
    }

private:
    void Fail(const std::string& error)
    {
        if (m_error.empty())
            m_error = error;
    }

    // The option's value: after '=' or the next argument.
    std::string Value(const std::string& option, bool* had)
    {
        *had = true;
        if (m_inline)
            return *m_inline;
        if (m_next < m_args.size())
            return m_args[m_next++];
        *had = false;
        Fail(option + " needs a value");
        return {};
    }

    void OnOff(const std::string& option, std::optional<bool>* out)
    {
        bool had = false;
        const std::string value = Value(option, &had);
        if (had && !ParseOnOff(value, out))
            Fail(option + " takes on or off, not '" + value + "'");
        m_seen.push_back(option);
    }

    void Option(const std::string& arg)
    {
        const size_t equals = arg.find('=');
        const std::string option = arg.substr(0, equals);
        m_inline.reset();
        if (equals != std::string::npos)
            m_inline = arg.substr(equals + 1);
        bool had = false;
        if (option == "--help" || option == "-h") {
            m_help = true;
        } else if (option == "--json") {
            m_line.json = true;
            m_seen.push_back(option);
        } else if (option == "--yes" || option == "-y") {
            m_line.yes = true;
        } else if (option == "--dry-run" || option == "-n") {
            m_line.dryRun = true;
        } else if (option == "--outside-subnet") {
            m_line.outsideSubnet = true;
            m_seen.push_back(option);
        } else if (option == "--interface") {
            m_line.interface = Value(option, &had);
        } else if (option == "--serial") {
            m_line.serial = Value(option, &had);
            if (had && m_line.serial.empty())
                Fail("--serial needs a serial number");
        } else if (option == "--timeout") {
            const std::string value = Value(option, &had);
            char* end = nullptr;
            const long ms = std::strtol(value.c_str(), &end, 10);
            if (had && (value.empty() || *end != '\0' || ms < 100 || ms > 60000))
                Fail("--timeout takes milliseconds from 100 to 60000, not '" + value + "'");
            m_line.listen = std::chrono::milliseconds(ms);
        } else if (option == "--persistent") {
            // A bare --persistent means on; "on" or "off" may follow.
            if (m_inline ||
                (m_next < m_args.size() && (m_args[m_next] == "on" || m_args[m_next] == "off")))
                OnOff(option, &m_line.persistent);
            else
                m_line.persistent = true;
            m_seen.push_back(option);
        } else if (option == "--dhcp") {
            OnOff(option, &m_line.dhcp);
        } else if (option == "--lla") {
            OnOff(option, &m_line.lla);
        } else {
            Fail("unknown option " + option);
        }
    }

    void Words(const std::vector<std::string>& words)
    {
        if (words.empty())
            return Fail("no command given");
        const auto command = kCommands.find(words[0]);
        if (command == kCommands.end())
            return Fail("unknown command '" + words[0] + "'");
        m_line.command = command->second;
        std::vector<std::string> rest(words.begin() + 1, words.end());
        const Command c = m_line.command;
        if (c == Command::List || c == Command::Check || c == Command::Help) {
            if (!rest.empty())
                Fail(words[0] + " takes no further words, not '" + rest[0] + "'");
            return;
        }
        const std::string& name = words[0];
        if (m_line.serial.empty()) {
            if (rest.empty())
                return Fail(name + " needs the camera's MAC address (or --serial)");
            gvcp::MacAddress mac;
            if (!ParseMac(rest[0], &mac))
                return Fail("'" + rest[0] + "' is not a MAC address like 02:4f:56:00:00:14");
            m_line.mac = mac;
            rest.erase(rest.begin());
        }
        if (c == Command::SetName) {
            if (rest.size() != 1)
                return Fail("set-name needs one NAME after the camera");
            m_line.userName = rest[0];
            return;
        }
        if (rest.empty() && c == Command::SetIp)
            return;
        if (rest.size() != 3)
            return Fail(name + " needs IP MASK GW after the camera");
        const char* const what[] = {"an IP address", "a subnet mask", "a gateway"};
        uint32_t values[3];
        for (size_t i = 0; i < 3; ++i)
            if (!ParseIp(rest[i], &values[i]))
                return Fail("'" + rest[i] + "' is not " + what[i] + " like 192.168.1.50");
        m_line.address = gvcp::IpSettings{values[0], values[1], values[2]};
    }

    // Which options go with which command.
    void Fits()
    {
        const Command c = m_line.command;
        auto allowed = [this](std::initializer_list<const char*> options) {
            for (const std::string& seen : m_seen) {
                bool ok = false;
                for (const char* o : options)
                    ok = ok || seen == o;
                if (!ok)
                    return Fail(seen + " is not an option of this command");
            }
        };
        switch (c) {
        case Command::Help:
            return;
        case Command::List:
        case Command::Check:
            allowed({"--json"});
            if (!m_line.serial.empty())
                Fail("--serial is not an option of this command");
            return;
        case Command::SetName:
            allowed({});
            break;
        case Command::SetIp:
            allowed({"--persistent", "--dhcp", "--lla", "--outside-subnet"});
            if (!m_line.address && !m_line.persistent && !m_line.dhcp && !m_line.lla)
                Fail("set-ip needs IP MASK GW, --persistent, --dhcp or --lla");
            if (!m_line.address && m_line.persistent.value_or(false))
                Fail("--persistent on needs IP MASK GW");
            break;
        case Command::ForceIp:
            allowed({"--persistent", "--outside-subnet"});
            if (m_line.persistent == false)
                Fail("force-ip takes --persistent, not --persistent off");
            break;
        }
        if (m_line.yes && m_line.dryRun)
            Fail("give --yes or --dry-run, not both");
        else if (!m_line.yes && !m_line.dryRun)
            Fail("this command writes to the camera: add --yes to write, or --dry-run to see "
                 "what would be written");
    }

    const std::vector<std::string>& m_args;
    size_t m_next = 0;
    std::optional<std::string> m_inline;
    std::vector<std::string> m_seen; // options that only some commands take
    bool m_help = false;
    CommandLine m_line;
    std::string m_error;
};

} // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args)
{
    return Parser(args).Run();
}

const char* HelpText()
{
    return R"(ORVANTA-IPCONFIG(1)          Orvanta camera tools          ORVANTA-IPCONFIG(1)

NAME
       orvanta-ipconfig - list GigE Vision cameras, set their names and
       addresses, and check the PC's network for what keeps cameras from
       being found

SYNOPSIS
       orvanta-ipconfig list [--json] [--interface NAME]
       orvanta-ipconfig set-name CAMERA NAME (--yes | --dry-run)
       orvanta-ipconfig set-ip CAMERA [IP MASK GW] [--persistent [on|off]]
                        [--dhcp on|off] [--lla on|off] [--outside-subnet]
                        (--yes | --dry-run)
       orvanta-ipconfig force-ip CAMERA IP MASK GW [--persistent]
                        [--outside-subnet] (--yes | --dry-run)
       orvanta-ipconfig check [--json] [--interface NAME]
       orvanta-ipconfig --help

       CAMERA is the camera's MAC address (02:4f:56:00:00:14, as list shows
       it), or --serial SERIAL.

DESCRIPTION
       orvanta-ipconfig does from scripts what OrvantaIPConfigurator does in
       its window. It speaks the GigE Vision control protocol (GVCP) itself
       and searches every physical network interface that has an IPv4
       address, all at once, for 1.5 s. A camera is named by its MAC
       address, which stays the same whatever address the camera has.

       Nothing is written without --yes; --dry-run makes the same checks and
       prints what would be written, old -> new. Every new address is
       checked before anything is written, as in the window, and a refused
       address is named with the reason (exit status 1):
         - not 0.x.x.x, 255.255.255.255, multicast, reserved or loopback;
         - a contiguous mask of at most /30, and not the network or
           broadcast address of the camera's subnet or of a subnet of this
           PC;
         - a gateway (0.0.0.0 for none) inside the camera's subnet;
         - not an address of this PC, nor of another camera found;
         - nothing answers at the address when it is probed (about 0.3 s);
         - inside the subnet of the camera's interface, unless
           --outside-subnet.

COMMANDS
       list   Lists every camera that answers, sorted by interface, then
              address: interface, MAC, address/mask, gateway, model, serial
              number, user name, IP configuration (Persistent, DHCP, LLA)
              and status: Normal (it answers register reads), Access Denied
              (another application controls it) or Unreachable (no answer,
              most often because its address lies outside the interface's
              subnet: use force-ip).

       set-name CAMERA NAME
              Writes the user-defined name, at most 16 bytes, under control
              privilege.

       set-ip CAMERA [IP MASK GW]
              Changes a camera with status Normal. IP MASK GW go to its
              persistent address registers and the camera takes them at once
              (FORCEIP); the command then waits until it answers at the new
              address. --persistent also sets the Persistent IP bit, so that
              the camera starts with this address; --dhcp and --lla switch
              DHCP and link-local addressing. Without IP MASK GW only these
              bits change.

       force-ip CAMERA IP MASK GW
              Forces an address onto the camera by its MAC, also onto one
              that cannot be reached (status Unreachable), and waits until it
              answers at the new address. The camera keeps a forced address
              until it restarts; with --persistent the address is then
              written to its persistent registers and the Persistent IP bit
              set.

       check  Looks for what keeps cameras from being found or from
              streaming: an interface that is down or has no IPv4 address;
              an MTU below 9000; reverse-path filtering (rp_filter) that
              drops cameras' answers; two interfaces in one subnet; no route
              for 169.254.0.0/16 while cameras with link-local addresses
              answer; net.core.rmem_max below 32 MiB. It searches each
              interface in turn. Every finding is one line with the command
              that fixes it. check only reads: it changes no setting.

OPTIONS
       --json          list, check: print JSON (see JSON OUTPUT).
       --interface NAME
                       Search only this interface; check shows only its
                       findings (and those of the whole PC).
       --serial SERIAL Name the camera by its serial number instead of its
                       MAC.
       --yes, -y       Write. Without it nothing is written.
       --dry-run, -n   Make every check, print what would be written, write
                       nothing.
       --persistent [on|off]
                       set-ip: switch the Persistent IP bit (on needs IP MASK
                       GW). force-ip: make the forced address persistent.
       --dhcp on|off, --lla on|off
                       set-ip: switch DHCP and link-local addressing (LLA).
                       A camera with all three off would get no address:
                       refused.
       --outside-subnet
                       Allow an address outside the subnet of the camera's
                       interface; the camera cannot be reached from it
                       afterwards.
       --timeout MS    How long each search listens for answers (default
                       1500).
       --help, -h      Print this page.

EXIT STATUS
       0      Done; check: nothing found.
       1      Refused: a check refused the change and nothing was written,
              or the camera refused a command; check: there are findings.
       2      Usage: the command line is wrong.
       3      Camera not found: no camera with this MAC or serial answered.
       4      The camera did not acknowledge: no answer to a command within
              1 s, or no answer at its new address within 5 s.

JSON OUTPUT
       The fields below are always there and keep their names and meaning;
       new fields may be added. Addresses are dotted strings, MAC addresses
       lower-case with colons, flags true or false.

       list --json:
         {"interfaces": [{"name", "ip", "mask", "mtu": number,
                          "up": flag}, ...],
          "cameras": [{"interface", "mac", "ip", "mask", "gateway",
                       "model", "serial", "user_name",
                       "ip_config": {"persistent", "dhcp", "lla"},
                       "persistent": {"ip", "mask", "gateway"} or null,
                       "status": "Normal" | "Access Denied" |
                                 "Unreachable"}, ...]}
         "ip_config" holds the configuration the camera reports;
         "persistent" its persistent address registers, null when it did
         not answer them.

       check --json:
         {"findings": [{"interface": name or null for the whole PC,
                        "kind", "explanation", "fix"}, ...]}
         kind is one of interface_down, no_ipv4, mtu, rp_filter,
         shared_subnet, link_local_route, rmem_max.

EXAMPLES
       orvanta-ipconfig list
       orvanta-ipconfig set-ip 02:4f:56:00:00:14 192.168.1.50 \
           255.255.255.0 192.168.1.1 --persistent --yes
       orvanta-ipconfig force-ip --serial 21040508 172.16.7.40 \
           255.255.0.0 0.0.0.0 --persistent --dry-run
       orvanta-ipconfig list --json | jq -r '.cameras[] | .mac + " " + .status'
       orvanta-ipconfig check
)";
}

} // namespace ipconfig
