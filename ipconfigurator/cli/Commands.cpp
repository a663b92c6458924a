#include "Commands.h"

#include "AddressProbe.h"
#include "CameraSetup.h"
#include "DeviceDiscovery.h"
#include "Json.h"
#include "NetworkCheck.h"
#include "NetworkInterfaces.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <thread>
#include <tuple>
#include <unistd.h>

namespace ipconfig {

namespace {

constexpr size_t kMaxReaders = 16; // cameras whose registers are read at the same time
constexpr std::chrono::seconds kTakeAddressWithin{5};

void WriteAll(int fd, const std::string& text)
{
    for (size_t done = 0; done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return; // nowhere to write to: nothing better to do
        done += size_t(n);
    }
}

// ---- the cameras found --------------------------------------------------------------------

struct FoundCamera
{
    CamInfo info;
    size_t iface; // position in Network::interfaces
};

struct Network
{
    std::vector<gvcp::NetInterface> interfaces; // every interface cameras can be searched on
    std::vector<size_t> searched;               // the ones searched, in order
    std::vector<FoundCamera> cameras;           // by interface, address, MAC

    gvcp::HostInterface HostInterfaceOf(const FoundCamera& cam) const
    {
        const gvcp::NetInterface& i = interfaces[cam.iface];
        return {i.name, i.ip, i.mask};
    }

    // Every address of the PC, not only those of the interfaces searched, and the cameras found.
    gvcp::HostView Host() const
    {
        gvcp::HostView host;
        host.interfaces = gvcp::HostAddresses();
        for (const FoundCamera& cam : cameras)
            host.cameras.push_back(gvcp::KnownCamera::From(cam.info));
        return host;
    }

    std::string SearchedNames() const
    {
        std::string names;
        for (size_t k : searched)
            names += (names.empty() ? "" : ", ") + interfaces[k].name;
        return names.empty() ? "no interface" : names;
    }
};

// Searches every interface (or the one asked for) at the same time, each from a port of its own.
int Discover(const CommandLine& line, const Console& console, Network* net)
{
    net->interfaces = gvcp::CameraInterfaces(gvcp::ListInterfaces(gvcp::VirtualInterfaceNames()));
    for (size_t k = 0; k < net->interfaces.size(); ++k)
        if (line.interface.empty() || net->interfaces[k].name == line.interface)
            net->searched.push_back(k);
    if (!line.interface.empty() && net->searched.empty()) {
        std::string known;
        for (const gvcp::NetInterface& i : net->interfaces)
            known += " " + i.name;
        console.Message("no interface " + line.interface +
                        " with an IPv4 address; cameras can be searched on:" +
                        (known.empty() ? std::string(" none") : known));
        return kUsage;
    }
    std::vector<std::vector<CamInfo>> found(net->interfaces.size());
    std::vector<std::thread> searches;
    for (size_t k : net->searched) {
        const gvcp::NetInterface& iface = net->interfaces[k];
        if (iface.up)
            searches.emplace_back([&found, k, ip = iface.ip, listen = line.listen] {
                found[k] = gvcp::SearchInterface(ip, 0, listen);
            });
    }
    for (std::thread& search : searches)
        search.join();
    for (size_t k = 0; k < found.size(); ++k)
        for (const CamInfo& info : found[k])
            net->cameras.push_back({info, k});
    auto key = [](const FoundCamera& c) {
        return std::make_tuple(c.iface, gvcp::FromWire(c.info.currentIp),
                               gvcp::KnownCamera::From(c.info).mac);
    };
    std::sort(net->cameras.begin(), net->cameras.end(),
              [&key](const FoundCamera& a, const FoundCamera& b) { return key(a) < key(b); });
    // A camera that answered the same search twice is listed once.
    net->cameras.erase(std::unique(net->cameras.begin(), net->cameras.end(),
                                   [&key](const FoundCamera& a, const FoundCamera& b) {
                                       return key(a) == key(b);
                                   }),
                       net->cameras.end());
    return kDone;
}

// The persistent address of every camera, read by a few threads at once: a camera that does
// not answer costs its one-second window without holding up the others.
std::vector<gvcp::PersistentReadout> ReadAll(const std::vector<FoundCamera>& cameras)
{
    std::vector<gvcp::PersistentReadout> readouts(cameras.size());
    std::atomic<size_t> next{0};
    auto reader = [&] {
        for (size_t k; (k = next++) < cameras.size();) {
            CDeviceControl control(int(cameras[k].info.interfaceIp), 0);
            readouts[k] = gvcp::ReadPersistentAddress(control, cameras[k].info.currentIp);
        }
    };
    std::vector<std::thread> readers;
    for (size_t i = 0; i < std::min(kMaxReaders, cameras.size()); ++i)
        readers.emplace_back(reader);
    for (std::thread& r : readers)
        r.join();
    return readouts;
}

std::string MacOf(const gvcp::MacAddress& mac)
{
    return gvcp::MacText(mac.data());
}

// The camera the command names, or the exit code of why there is none.
int FindCamera(const CommandLine& line, const Network& net, const Console& console,
               const FoundCamera** out)
{
    std::vector<const FoundCamera*> matches;
    for (const FoundCamera& cam : net.cameras) {
        const gvcp::KnownCamera known = gvcp::KnownCamera::From(cam.info);
        if (line.mac ? known.mac == *line.mac : known.serial == line.serial)
            matches.push_back(&cam);
    }
    const std::string named = line.mac ? "MAC " + MacOf(*line.mac) : "serial " + line.serial;
    if (matches.empty()) {
        console.Message("no camera with " + named + " answered on " + net.SearchedNames() + ".");
        return kNotFound;
    }
    for (const FoundCamera* cam : matches)
        if (gvcp::KnownCamera::From(cam->info).mac !=
            gvcp::KnownCamera::From(matches[0]->info).mac) {
            console.Message(named + " names more than one camera (MAC " +
                            gvcp::MacText(matches[0]->info.mac) + ", " +
                            gvcp::MacText(cam->info.mac) + "): name it by its MAC.");
            return kRefused;
        }
    // A camera heard on two interfaces is changed through the one whose subnet holds it.
    *out = matches[0];
    for (const FoundCamera* cam : matches) {
        const gvcp::HostInterface iface = net.HostInterfaceOf(*cam);
        if ((gvcp::FromWire(cam->info.currentIp) & iface.mask) == (iface.ip & iface.mask)) {
            *out = cam;
            break;
        }
    }
    return kDone;
}

std::string StatusText(int result)
{
    switch (result) {
    case gvcp::kStatusNotImplemented:
        return "not implemented";
    case gvcp::kStatusInvalidParameter:
        return "invalid parameter";
    case gvcp::kStatusInvalidAddress:
        return "invalid address";
    case gvcp::kStatusBadAlignment:
        return "bad alignment";
    case gvcp::kStatusAccessDenied:
        return "access denied: another application controls the camera";
    default:
        break;
    }
    char text[32];
    std::snprintf(text, sizeof text, "status 0x%04x", unsigned(result) & 0xFFFFu);
    return text;
}

// The exit code of a failed step, with its message.
int Failure(const Console& console, const std::string& step, int result)
{
    if (result == gvcp::kNoAnswer || result == gvcp::kSocketError) {
        console.Message(step + ": the camera did not acknowledge.");
        return kNoAck;
    }
    console.Message(step + ": the camera refused (" + StatusText(result) + ").");
    return kRefused;
}

int Refuse(const Console& console, const std::string& reason)
{
    console.Message("refused: " + reason + " Nothing was written to the camera.");
    return kRefused;
}

// A camera that is to be changed through its control channel must answer there.
int ExpectAnswering(const Console& console, const Network& net, const FoundCamera& cam,
                    const gvcp::PersistentReadout& readout)
{
    if (readout.result == gvcp::kSuccess)
        return kDone;
    if (gvcp::StatusOf(readout.result) == gvcp::CameraStatus::Unreachable) {
        const std::string iface = net.HostInterfaceOf(cam).name;
        console.Message("the camera did not answer at " + gvcp::DottedText(cam.info.currentIp) +
                        " through " + iface + " (status Unreachable). A camera outside " + iface +
                        "'s subnet gets an address with force-ip.");
        return kNoAck;
    }
    return Failure(console, "reading the camera's persistent address", readout.result);
}

// The checks of a new address, the probe last. kDone when it may be written.
int CheckNewAddress(const CommandLine& line, const Network& net, const FoundCamera& cam,
                    CDeviceControl& control, const Console& console)
{
    const gvcp::IpSettings& settings = *line.address;
    const gvcp::HostView host = net.Host();
    const gvcp::KnownCamera self = gvcp::KnownCamera::From(cam.info);
    gvcp::AddressVerdict verdict = gvcp::CheckAddress(settings, host, self);
    if (!verdict.ok())
        return Refuse(console, verdict.reason);
    const gvcp::AddressVerdict reach = gvcp::CheckReachable(net.HostInterfaceOf(cam), settings);
    if (!reach.ok() && !line.outsideSubnet)
        return Refuse(console, reach.reason + " Add --outside-subnet to set it all the same.");
    if (!reach.ok() && line.command == Command::ForceIp && line.persistent)
        return Refuse(console, reach.reason +
                                   " --persistent needs the camera to answer at its new address.");
    verdict = control.CheckAddress(settings, host, self);
    return verdict.ok() ? kDone : Refuse(console, verdict.reason);
}

// Prints the camera and what will change; true when something does.
bool ShowChange(const Console& console, const Network& net, const FoundCamera& cam,
                const gvcp::CameraChange& change, const gvcp::PersistentReadout* readout)
{
    console.Result(gvcp::CameraLine(cam.info) + ", at " + gvcp::DottedText(cam.info.currentIp) +
                   " on " + net.HostInterfaceOf(cam).name);
    std::vector<std::string> lines = gvcp::DescribeChange(cam.info, change);
    // The camera already uses the address; only its persistent registers change.
    if (change.address && readout && change.settings == gvcp::CurrentSettings(cam.info)) {
        auto shown = [](const std::optional<uint32_t>& v) {
            return v ? gvcp::DottedHost(*v) : std::string("?");
        };
        lines.insert(lines.begin(), "Persistent address: " + shown(readout->ip) + " " +
                                        shown(readout->mask) + " " + shown(readout->gateway) +
                                        " \u2192 " + gvcp::DottedHost(change.settings.ip) + " " +
                                        gvcp::DottedHost(change.settings.mask) + " " +
                                        gvcp::DottedHost(change.settings.gateway));
    }
    for (const std::string& text : lines)
        console.Result("  " + text);
    if (lines.empty())
        console.Result("Nothing will change.");
    return !lines.empty();
}

int DryRunDone(const Console& console)
{
    console.Result("Dry run: nothing was written.");
    return kDone;
}

// Waits for the camera at its new address, unless it cannot be reached from its interface.
int AwaitNewAddress(const Console& console, const Network& net, const FoundCamera& cam,
                    const gvcp::IpSettings& settings)
{
    const gvcp::HostInterface iface = net.HostInterfaceOf(cam);
    if (!gvcp::CheckReachable(iface, settings).ok()) {
        console.Result("The camera cannot be reached from " + iface.name +
                       " at its new address; it was not waited for.");
        return kDone;
    }
    if (gvcp::AwaitCamera(iface.ip, settings.ip, gvcp::KnownCamera::From(cam.info).mac,
                          kTakeAddressWithin))
        return kDone;
    console.Message("the camera did not answer at " + gvcp::DottedHost(settings.ip) +
                    " within 5 s.");
    return kNoAck;
}

int Written(const Console& console)
{
    console.Result("Done.");
    return kDone;
}

// ---- commands -----------------------------------------------------------------------------

std::string IpConfigText(uint32_t bits)
{
    std::string text;
    for (const auto& [bit, name] :
         {std::pair<uint32_t, const char*>{gvcp::IPCFG_PERSISTENT, "Persistent"},
          {gvcp::IPCFG_DHCP, "DHCP"},
          {gvcp::IPCFG_LLA, "LLA"}})
        if (bits & bit)
            text += (text.empty() ? "" : ",") + std::string(name);
    return text.empty() ? "none" : text;
}

Json AddressJson(uint32_t ip, uint32_t mask, uint32_t gateway)
{
    return Json::Object()
        .Set("ip", gvcp::DottedHost(ip))
        .Set("mask", gvcp::DottedHost(mask))
        .Set("gateway", gvcp::DottedHost(gateway));
}

Json ListJson(const Network& net, const std::vector<gvcp::PersistentReadout>& readouts)
{
    Json interfaces = Json::Array();
    for (size_t k : net.searched) {
        const gvcp::NetInterface& i = net.interfaces[k];
        interfaces.Add(Json::Object()
                           .Set("name", i.name)
                           .Set("ip", gvcp::DottedHost(i.ip))
                           .Set("mask", gvcp::DottedHost(i.mask))
                           .Set("mtu", i.mtu)
                           .Set("up", i.up));
    }
    Json cameras = Json::Array();
    for (size_t k = 0; k < net.cameras.size(); ++k) {
        const CamInfo& cam = net.cameras[k].info;
        const gvcp::IpSettings current = gvcp::CurrentSettings(cam);
        const uint32_t bits = gvcp::CurrentIpConfig(cam);
        const gvcp::PersistentReadout& r = readouts[k];
        cameras.Add(
            Json::Object()
                .Set("interface", net.interfaces[net.cameras[k].iface].name)
                .Set("mac", gvcp::MacText(cam.mac))
                .Set("ip", gvcp::DottedHost(current.ip))
                .Set("mask", gvcp::DottedHost(current.mask))
                .Set("gateway", gvcp::DottedHost(current.gateway))
                .Set("model", gvcp::FieldText(cam.modelName))
                .Set("serial", gvcp::FieldText(cam.serialNumber))
                .Set("user_name", gvcp::FieldText(cam.userName))
                .Set("ip_config", Json::Object()
                                      .Set("persistent", (bits & gvcp::IPCFG_PERSISTENT) != 0)
                                      .Set("dhcp", (bits & gvcp::IPCFG_DHCP) != 0)
                                      .Set("lla", (bits & gvcp::IPCFG_LLA) != 0))
                .Set("persistent", r.ip && r.mask && r.gateway
                                       ? AddressJson(*r.ip, *r.mask, *r.gateway)
                                       : Json::Null())
                .Set("status", gvcp::StatusName(gvcp::StatusOf(r.status))));
    }
    return Json::Object().Set("interfaces", interfaces).Set("cameras", cameras);
}

// Columns padded to their widest cell, two spaces apart.
std::string Table(const std::vector<std::vector<std::string>>& rows)
{
    std::vector<size_t> widths;
    for (const auto& row : rows)
        for (size_t c = 0; c < row.size(); ++c) {
            widths.resize(std::max(widths.size(), row.size()));
            widths[c] = std::max(widths[c], row[c].size());
        }
    std::string out;
    for (const auto& row : rows) {
        std::string line;
        for (size_t c = 0; c < row.size(); ++c)
            line += c + 1 < row.size() ? row[c] + std::string(widths[c] - row[c].size() + 2, ' ')
                                       : row[c];
        out += line + "\n";
    }
    return out;
}

int List(const CommandLine& line, const Console& console)
{
    Network net;
    if (const int code = Discover(line, console, &net))
        return code;
    const std::vector<gvcp::PersistentReadout> readouts = ReadAll(net.cameras);
    if (line.json) {
        console.Result(ListJson(net, readouts).Dump());
        return kDone;
    }
    if (net.cameras.empty()) {
        console.Result("No camera answered on " + net.SearchedNames() + ".");
        return kDone;
    }
    std::vector<std::vector<std::string>> rows = {{"INTERFACE", "MAC", "ADDRESS", "GATEWAY",
                                                   "MODEL", "SERIAL", "USER NAME", "IP CONFIG",
                                                   "STATUS"}};
    for (size_t k = 0; k < net.cameras.size(); ++k) {
        const CamInfo& cam = net.cameras[k].info;
        const gvcp::IpSettings current = gvcp::CurrentSettings(cam);
        const std::string user = gvcp::FieldText(cam.userName);
        rows.push_back({net.interfaces[net.cameras[k].iface].name, gvcp::MacText(cam.mac),
                        gvcp::AddressWithPrefix(current.ip, current.mask),
                        gvcp::DottedHost(current.gateway), gvcp::FieldText(cam.modelName),
                        gvcp::FieldText(cam.serialNumber), user.empty() ? "-" : user,
                        IpConfigText(gvcp::CurrentIpConfig(cam)),
                        gvcp::StatusName(gvcp::StatusOf(readouts[k].status))});
    }
    console.Result(Table(rows));
    return kDone;
}

// Finds the camera and reads its persistent address through a client of its interface.
struct Target
{
    Network net;
    const FoundCamera* cam = nullptr;
    std::unique_ptr<CDeviceControl> control;
};

int FindTarget(const CommandLine& line, const Console& console, Target* target)
{
    // An address that is no camera address at all is refused before anything is searched.
    if (line.address) {
        const gvcp::AddressVerdict verdict = gvcp::CheckAddressFormat(*line.address);
        if (!verdict.ok())
            return Refuse(console, verdict.reason);
    }
    if (const int code = Discover(line, console, &target->net))
        return code;
    if (const int code = FindCamera(line, target->net, console, &target->cam))
        return code;
    target->control = std::make_unique<CDeviceControl>(int(target->cam->info.interfaceIp), 0);
    return kDone;
}

// The same, for a change through the control channel: the camera must answer there.
int FindAnsweringTarget(const CommandLine& line, const Console& console, Target* target,
                        gvcp::PersistentReadout* readout)
{
    if (const int code = FindTarget(line, console, target))
        return code;
    *readout = gvcp::ReadPersistentAddress(*target->control, target->cam->info.currentIp);
    return ExpectAnswering(console, target->net, *target->cam, *readout);
}

int SetName(const CommandLine& line, const Console& console)
{
    if (line.userName.size() > gvcp::kUserNameSize)
        return Refuse(console, "a camera keeps at most 16 bytes of user name; '" + line.userName +
                                   "' has " + std::to_string(line.userName.size()) + ".");
    Target t;
    gvcp::PersistentReadout readout;
    if (const int code = FindAnsweringTarget(line, console, &t, &readout))
        return code;
    const uint32_t device = t.cam->info.currentIp;
    gvcp::CameraChange change;
    change.userName = line.userName;
    change.name = line.userName != gvcp::FieldText(t.cam->info.userName);
    if (!ShowChange(console, t.net, *t.cam, change, nullptr))
        return kDone;
    if (line.dryRun)
        return DryRunDone(console);
    const gvcp::NameWrite written =
        gvcp::WriteUserNameUnderPrivilege(*t.control, device, line.userName);
    if (written.open != gvcp::kSuccess)
        return Failure(console, "taking control of the camera", written.open);
    if (written.write != gvcp::kSuccess)
        return Failure(console, "writing the user name", written.write);
    return Written(console);
}

int SetIp(const CommandLine& line, const Console& console)
{
    Target t;
    gvcp::PersistentReadout readout;
    if (const int code = FindAnsweringTarget(line, console, &t, &readout))
        return code;
    const CamInfo& cam = t.cam->info;

    gvcp::CameraChange change;
    const uint32_t current = gvcp::CurrentIpConfig(cam) & gvcp::IPCFG_MASK;
    uint32_t bits = current;
    auto apply = [&bits](const std::optional<bool>& wanted, uint32_t bit) {
        if (wanted)
            bits = *wanted ? (bits | bit) : (bits & ~bit);
    };
    apply(line.persistent, gvcp::IPCFG_PERSISTENT);
    apply(line.dhcp, gvcp::IPCFG_DHCP);
    apply(line.lla, gvcp::IPCFG_LLA);
    if (bits == 0)
        return Refuse(console, "with Persistent IP, DHCP and LLA all off the camera would get "
                               "no address.");
    change.config = bits != current;
    change.configBits = bits;
    if (line.address) {
        change.settings = *line.address;
        const bool persisted = readout.ip == change.settings.ip &&
                               readout.mask == change.settings.mask &&
                               readout.gateway == change.settings.gateway;
        change.address = !persisted || change.settings != gvcp::CurrentSettings(cam);
        if (change.address)
            if (const int code = CheckNewAddress(line, t.net, *t.cam, *t.control, console))
                return code;
    }
    if (!ShowChange(console, t.net, *t.cam, change, &readout))
        return kDone;
    if (line.dryRun)
        return DryRunDone(console);

    if (!change.address) {
        const int result = t.control->SetIpConfiguration(cam.currentIp, change.configBits);
        return result == gvcp::kSuccess ? Written(console)
                                        : Failure(console, "writing the IP configuration", result);
    }
    const gvcp::AddressWrite written = gvcp::PersistAndTake(*t.control, cam, change);
    if (written.persistent != gvcp::kSuccess)
        return Failure(console, "writing the persistent address", written.persistent);
    if (written.force != gvcp::kSuccess) {
        console.Message("FORCEIP could not be sent: the camera takes the address when it "
                        "restarts.");
        return kNoAck;
    }
    if (const int code = AwaitNewAddress(console, t.net, *t.cam, change.settings))
        return code;
    if (written.config != gvcp::kSuccess)
        return Failure(console, "writing the IP configuration", written.config);
    return Written(console);
}

int ForceIp(const CommandLine& line, const Console& console)
{
    Target t;
    if (const int code = FindTarget(line, console, &t))
        return code;
    const CamInfo& cam = t.cam->info;
    if (const int code = CheckNewAddress(line, t.net, *t.cam, *t.control, console))
        return code;
    gvcp::CameraChange change;
    change.address = true;
    change.settings = *line.address;
    if (line.persistent) {
        change.configBits =
            (gvcp::CurrentIpConfig(cam) & gvcp::IPCFG_MASK) | gvcp::IPCFG_PERSISTENT;
        change.config = change.configBits != (gvcp::CurrentIpConfig(cam) & gvcp::IPCFG_MASK);
    }
    ShowChange(console, t.net, *t.cam, change, nullptr);
    if (line.dryRun)
        return DryRunDone(console);

    if (t.control->SetForceIP(gvcp::KnownCamera::From(cam).mac, change.settings) !=
        gvcp::kSuccess) {
        console.Message("FORCEIP could not be sent through " + t.net.HostInterfaceOf(*t.cam).name +
                        ".");
        return kNoAck;
    }
    if (const int code = AwaitNewAddress(console, t.net, *t.cam, change.settings))
        return code;
    if (!line.persistent)
        return Written(console);
    // Now at its new address, the camera keeps it as its persistent one.
    CamInfo moved = cam;
    moved.currentIp = gvcp::ToWire(change.settings.ip);
    const gvcp::AddressWrite written = gvcp::PersistAndTake(*t.control, moved, change);
    if (written.persistent != gvcp::kSuccess)
        return Failure(console, "writing the persistent address", written.persistent);
    if (written.config != gvcp::kSuccess)
        return Failure(console, "writing the IP configuration", written.config);
    return Written(console);
}

int Check(const CommandLine& line, const Console& console)
{
    const gvcp::NetworkFacts facts = gvcp::CollectNetworkFacts(line.listen);
    if (!line.interface.empty() &&
        std::none_of(facts.interfaces.begin(), facts.interfaces.end(),
                     [&](const gvcp::InterfaceFacts& i) { return i.name == line.interface; })) {
        console.Message("no physical interface " + line.interface + ".");
        return kUsage;
    }
    std::vector<gvcp::Finding> findings;
    for (const gvcp::Finding& f : gvcp::CheckNetwork(facts))
        if (line.interface.empty() || f.interface.empty() || f.interface == line.interface)
            findings.push_back(f);

    if (line.json) {
        Json list = Json::Array();
        for (const gvcp::Finding& f : findings)
            list.Add(Json::Object()
                         .Set("interface", f.interface.empty() ? Json::Null() : Json(f.interface))
                         .Set("kind", gvcp::FindingKindName(f.kind))
                         .Set("explanation", f.explanation)
                         .Set("fix", f.fix));
        console.Result(Json::Object().Set("findings", list).Dump());
    } else {
        for (const gvcp::Finding& f : findings)
            console.Result(f.explanation + "\n    " + f.fix);
        console.Result(findings.empty() ? std::string("No problems found.")
                                        : std::to_string(findings.size()) +
                                              (findings.size() == 1 ? " finding." : " findings."));
    }
    return findings.empty() ? kDone : kRefused;
}

} // namespace

void Console::Result(const std::string& text) const
{
    WriteAll(m_result, !text.empty() && text.back() == '\n' ? text : text + "\n");
}

void Console::Message(const std::string& text) const
{
    WriteAll(m_message, "orvanta-ipconfig: " + text + "\n");
}

int Run(const CommandLine& line, const Console& console)
{
    switch (line.command) {
    case Command::Help:
        console.Result(HelpText());
        return kDone;
    case Command::List:
        return List(line, console);
    case Command::SetName:
        return SetName(line, console);
    case Command::SetIp:
        return SetIp(line, console);
    case Command::ForceIp:
        return ForceIp(line, console);
    case Command::Check:
        break;
    }
    return Check(line, console);
}

} // namespace ipconfig
