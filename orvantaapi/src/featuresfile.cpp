#include "featuresfile.h"

#include "featurevalue.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <set>

#ifndef ORVANTA_VERSION_TEXT
#define ORVANTA_VERSION_TEXT "unknown"
#endif

namespace orvanta {

namespace {

// The first pass and up to three retries: enough for chains such as Width -> OffsetX.
constexpr int kPasses = 4;
// A features file is a few kilobytes; anything far larger is not one.
constexpr off_t kMaxFileSize = 4 << 20;

const char* const kMissing = "missing on this camera";
const char* const kReadOnly = "read-only";

// Statuses after which the camera cannot be trusted to answer further calls.
bool fatal(int rc)
{
    return rc == ORVANTA_ERR_DEVICE || rc == ORVANTA_ERR_INVALID_HANDLE ||
           rc == ORVANTA_ERR_NOT_INITIALIZED || rc == ORVANTA_ERR_TIMEOUT;
}

bool startsWith(const std::string& text, const char* prefix)
{
    return text.rfind(prefix, 0) == 0;
}

// Transport-layer settings (addresses, packet size) belong to the network the camera sits in,
// not to its picture; a file never carries them to another camera.
bool transportLayerName(const std::string& name)
{
    return name == "TransportLayerControl" || startsWith(name, "Gev");
}

struct Feature
{
    std::string name;
    int type = ORVANTA_NODE_UNKNOWN;
};

// The camera's features as a file sees them: those saved, in tree order, and the ones of the
// transport layer.
struct Catalogue
{
    std::vector<Feature> saved;
    std::set<std::string> transportLayer;
    std::set<std::string> seen; // a feature listed in several categories counts once
};

int walk(Device& device, const std::string& category, bool transport, Catalogue& out)
{
    std::vector<std::string> children;
    const int rc = device.list(category, children);
    if (rc != ORVANTA_OK)
        return fatal(rc) ? rc : int(ORVANTA_OK); // a category that cannot be listed is skipped
    for (const std::string& name : children) {
        if (!out.seen.insert(name).second)
            continue;
        NodeInfo info{};
        const int r = device.info(name, info);
        if (fatal(r))
            return r;
        if (r != ORVANTA_OK)
            continue;
        const bool inTransport = transport || transportLayerName(name);
        if (info.type == ORVANTA_NODE_CATEGORY) {
            if (const int sub = walk(device, name, inTransport, out))
                return sub;
        } else if (inTransport) {
            out.transportLayer.insert(name);
        } else if (isValueType(info.type) && info.access == ORVANTA_ACCESS_READ_WRITE) {
            out.saved.push_back({name, info.type});
        }
    }
    return ORVANTA_OK;
}

int catalogue(Device& device, Catalogue& out)
{
    return walk(device, "Root", false, out);
}

// Comment text on one line.
std::string oneLine(std::string text)
{
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r' || c == '\t'; }, ' ');
    return text;
}

std::string identity(Device& device, const char* feature)
{
    std::string text;
    if (device.getString(Scope::Feature, feature, text) != ORVANTA_OK || text.empty())
        return "unknown";
    return oneLine(text);
}

// The program that writes the file: the process's short name, where the C library keeps it.
std::string programName()
{
#ifdef __GLIBC__
    const char* name = program_invocation_short_name;
#else
    const char* name = nullptr;
#endif
    return name && *name ? oneLine(name) : "unknown";
}

std::string header(Device& device)
{
    char date[64] = "unknown";
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local))
        std::strftime(date, sizeof date, "%Y-%m-%d %H:%M:%S %z", &local);
    return "# Orvanta camera features: one \"Name<TAB>Value\" line per feature\n"
           "# Model: " +
           identity(device, "DeviceVendorName") + " " + identity(device, "DeviceModelName") +
           "\n# Serial number: " + identity(device, "DeviceSerialNumber") + "\n# Saved: " + date +
           "\n# Program: " + programName() + ", OrvantaAPI " ORVANTA_VERSION_TEXT "\n";
}

class FileDescriptor
{
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            ::close(fd_); // only after a failure; its status no longer matters
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return fd_; }
    bool close()
    {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

bool writeAll(int fd, const std::string& data)
{
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

// Writes a temporary beside the file and renames it over the file once complete.
bool replaceFile(const std::string& path, const std::string& data)
{
    static std::atomic<unsigned> serial{0};
    const std::string temporary =
        path + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(serial++);
    FileDescriptor fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (fd.get() < 0)
        return false;
    const bool written = writeAll(fd.get(), data) && ::fsync(fd.get()) == 0 && fd.close() &&
                         ::rename(temporary.c_str(), path.c_str()) == 0;
    if (!written)
        ::unlink(temporary.c_str()); // nothing to do when this fails too
    return written;
}

bool readFile(const std::string& path, std::string& text, std::string& reason)
{
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st
    {};
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0) {
        reason = std::string("cannot be read: ") + std::strerror(errno);
        return false;
    }
    if (!S_ISREG(st.st_mode) || st.st_size > kMaxFileSize) {
        reason = "not a features file (not a regular file of at most 4 MiB)";
        return false;
    }
    text.clear();
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            reason = std::string("cannot be read: ") + std::strerror(errno);
            return false;
        }
        if (n == 0 || text.size() + size_t(n) > size_t(kMaxFileSize))
            break;
        text.append(buffer, size_t(n));
    }
    return true;
}

struct FileLine
{
    int line = 0;
    std::string name, value;
};

bool featureName(const std::string& name)
{
    return !name.empty() && name.size() < ORVANTA_NODE_TEXT_SIZE &&
           std::all_of(name.begin(), name.end(), [](char c) {
               return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
           });
}

// Splits the file into feature lines; comments and blank lines are skipped, malformed lines
// become problems.
void parseLines(const std::string& text, std::vector<FileLine>& lines,
                std::vector<FeatureProblem>& problems)
{
    int number = 0;
    for (size_t begin = 0; begin < text.size();) {
        size_t end = text.find('\n', begin);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(begin, end - begin);
        begin = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back(); // written on Windows
        const size_t content = line.find_first_not_of(" \t");
        if (content == std::string::npos || line[content] == '#')
            continue;
        const size_t first = line.find_first_not_of(' ');
        const size_t tab = line.find('\t', first);
        std::string name = line.substr(first, tab == std::string::npos ? tab : tab - first);
        name.erase(name.find_last_not_of(' ') + 1);
        if (tab == std::string::npos)
            problems.push_back({number, "", "malformed line: no tab between name and value"});
        else if (!featureName(name))
            problems.push_back({number, "", "malformed line: not a feature name"});
        else if (line.find('\0') != std::string::npos)
            problems.push_back({number, name, "malformed line: holds a NUL character"});
        else
            lines.push_back({number, name, line.substr(tab + 1)});
    }
}

const char* typeNoun(int type)
{
    switch (type) {
    case ORVANTA_NODE_COMMAND:
        return "a command";
    case ORVANTA_NODE_CATEGORY:
        return "a category";
    case ORVANTA_NODE_REGISTER:
        return "a register";
    default:
        return "of an unknown type";
    }
}

// One feature line on its way to the camera.
struct Entry
{
    const FileLine* line = nullptr;
    bool last = false;    // the last line of its feature, the one whose value must stay
    bool applied = false; // written, and (when last) reads back so
    bool final = false;   // refused for a reason that later passes cannot change
    bool parsed = false;
    FeatureValue value;
    std::string reason;
};

class Loader
{
public:
    Loader(Device& device, const Catalogue& catalogue) : device_(device), catalogue_(catalogue) {}

    // Tries every pending entry once; progress tells whether one was applied.
    int pass(std::vector<Entry>& entries, bool& progress)
    {
        progress = false;
        for (Entry& e : entries) {
            if (e.applied || e.final)
                continue;
            if (const int rc = apply(e))
                return rc;
            progress = progress || e.applied;
        }
        return verify(entries);
    }

private:
    void refuse(Entry& e, std::string reason, bool final)
    {
        e.reason = std::move(reason);
        e.final = final;
    }

    int apply(Entry& e)
    {
        const std::string& name = e.line->name;
        if (catalogue_.transportLayer.count(name) || transportLayerName(name)) {
            refuse(e, "transport-layer setting, never loaded from a file", true);
            return ORVANTA_OK;
        }
        NodeInfo info{};
        int rc = device_.info(name, info);
        if (fatal(rc))
            return rc;
        if (rc == ORVANTA_ERR_NO_NODE || info.access == ORVANTA_ACCESS_NOT_IMPLEMENTED) {
            refuse(e, kMissing, true);
            return ORVANTA_OK;
        }
        if (rc) {
            refuse(e, OrvantaStatusText(rc), true);
            return ORVANTA_OK;
        }
        if (!isValueType(info.type)) {
            refuse(e, std::string("wrong type: the camera's feature is ") + typeNoun(info.type),
                   true);
            return ORVANTA_OK;
        }
        if (!e.parsed) {
            std::string reason;
            if (!parseFeatureValue(info.type, e.line->value, e.value, reason)) {
                refuse(e, reason, true);
                return ORVANTA_OK;
            }
            e.parsed = true;
        }
        if (info.access != ORVANTA_ACCESS_READ_WRITE && info.access != ORVANTA_ACCESS_WRITE_ONLY) {
            refuse(e, kReadOnly, false); // access can follow another feature (auto modes)
            return ORVANTA_OK;
        }
        rc = writeFeatureValue(device_, name, e.value);
        switch (rc) {
        case ORVANTA_OK:
            e.applied = true;
            e.reason.clear();
            return ORVANTA_OK;
        case ORVANTA_ERR_OUT_OF_RANGE:
            refuse(e, outOfRangeReason(device_, name, e.value), false);
            return ORVANTA_OK;
        case ORVANTA_ERR_READ_ONLY:
            refuse(e, kReadOnly, false);
            return ORVANTA_OK;
        case ORVANTA_ERR_WRONG_NODE_TYPE:
            refuse(e, "wrong type", true);
            return ORVANTA_OK;
        case ORVANTA_ERR_ACQUIRING:
            refuse(e, "not writable while acquiring", true);
            return ORVANTA_OK;
        default:
            if (fatal(rc))
                return rc;
            refuse(e, OrvantaStatusText(rc), true);
            return ORVANTA_OK;
        }
    }

    // A later write may have moved an earlier feature (a range that shrank clamps its value):
    // such a feature goes back to the pending ones.
    int verify(std::vector<Entry>& entries)
    {
        for (Entry& e : entries) {
            if (!e.applied || !e.last)
                continue;
            FeatureValue now;
            const int rc = readFeatureValue(device_, e.line->name, e.value.type, now);
            if (fatal(rc))
                return rc;
            if (rc == ORVANTA_OK && !sameFeatureValue(e.value, now)) {
                e.applied = false;
                refuse(e, "did not keep the value: reads " + formatFeatureValue(now), false);
            }
        }
        return ORVANTA_OK;
    }

    Device& device_;
    const Catalogue& catalogue_;
};

std::string reportLine(const FeatureProblem& p)
{
    return std::to_string(p.line) + '\t' + oneLine(p.name) + '\t' + oneLine(p.reason) + '\n';
}

std::string moreLine(size_t count)
{
    return reportLine({0, "", std::to_string(count) + " more not listed"});
}

} // namespace

int saveFeatureFile(Device& device, const std::string& path)
{
    Catalogue features;
    if (const int rc = catalogue(device, features))
        return rc;
    std::string text = header(device);
    for (const Feature& f : features.saved) {
        FeatureValue value;
        const int rc = readFeatureValue(device, f.name, f.type, value);
        if (fatal(rc))
            return rc;
        if (rc != ORVANTA_OK)
            text += "# " + f.name + " not saved: " + OrvantaStatusText(rc) + "\n";
        else if (value.text.find_first_of("\r\n") != std::string::npos)
            text += "# " + f.name + " not saved: its value holds a line break\n";
        else
            text += f.name + '\t' + formatFeatureValue(value) + '\n';
    }
    return replaceFile(path, text) ? ORVANTA_OK : ORVANTA_ERR_FILE;
}

int loadFeatureFile(Device& device, const std::string& path, std::vector<FeatureProblem>& problems)
{
    problems.clear();
    std::string text, reason;
    if (!readFile(path, text, reason)) {
        problems.push_back({0, "", reason});
        return ORVANTA_ERR_FILE;
    }
    if (text.rfind("\xEF\xBB\xBF", 0) == 0)
        text.erase(0, 3); // the byte-order mark some editors write
    std::vector<FileLine> lines;
    parseLines(text, lines, problems);
    if (lines.empty() && problems.empty()) {
        problems.push_back({0, "", "the file holds no features"});
        return ORVANTA_ERR_PARTIAL;
    }
    Catalogue features;
    if (const int rc = catalogue(device, features))
        return rc;

    std::vector<Entry> entries(lines.size());
    std::set<std::string> later;
    for (size_t i = lines.size(); i-- > 0;) {
        entries[i].line = &lines[i];
        entries[i].last = later.insert(lines[i].name).second;
    }
    Loader loader(device, features);
    for (int pass = 0; pass < kPasses; ++pass) {
        bool progress = false;
        if (const int rc = loader.pass(entries, progress))
            return rc;
        if (!progress)
            break; // nothing changed, so another pass cannot do better
    }
    for (const Entry& e : entries)
        if (!e.applied)
            problems.push_back({e.line->line, e.line->name, e.reason});
    std::stable_sort(
        problems.begin(), problems.end(),
        [](const FeatureProblem& a, const FeatureProblem& b) { return a.line < b.line; });
    return problems.empty() ? ORVANTA_OK : ORVANTA_ERR_PARTIAL;
}

void writeFeatureReport(const std::vector<FeatureProblem>& problems, char* out, size_t capacity)
{
    if (!out || capacity == 0)
        return;
    std::string report;
    for (size_t i = 0; i < problems.size(); ++i) {
        const std::string line = reportLine(problems[i]);
        const size_t after = problems.size() - i - 1;
        const size_t reserve = after ? moreLine(after).size() : 0;
        if (report.size() + line.size() + reserve >= capacity) {
            const std::string more = moreLine(problems.size() - i);
            if (report.size() + more.size() < capacity)
                report += more;
            break;
        }
        report += line;
    }
    std::memcpy(out, report.data(), report.size());
    out[report.size()] = '\0';
}

} // namespace orvanta
