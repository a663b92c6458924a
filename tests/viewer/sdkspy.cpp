#include "sdkspy.h"

#include <mutex>

#include "sdk/OrvantaAPI.h"

namespace {
std::mutex g_mutex;
SdkSpy::Calls g_calls;
QMap<QString, int> g_access;
QMap<QString, QStringList> g_lists;
QStringList g_failingReads;
QMap<QString, QPair<int, int>> g_ranges;

bool readFails(const char* name)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_failingReads.contains(QString::fromUtf8(name));
}

template <typename F> void record(F&& f)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    f(g_calls);
}
} // namespace

namespace SdkSpy {
void reset()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_calls = Calls();
    g_access.clear();
    g_lists.clear();
    g_failingReads.clear();
    g_ranges.clear();
}

void forceIntRange(const QString& node, int minimum, int maximum)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_ranges[node] = qMakePair(minimum, maximum);
}

void failReads(const QString& node)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_failingReads << node;
}

Calls calls()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_calls;
}

void forceAccess(const QString& node, int access)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_access[node] = access;
}

void overrideNodeList(const QString& parent, const QStringList& names)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_lists[parent] = names;
}
} // namespace SdkSpy

extern "C" {
int __real_OrvantaGetNodeList(OrvantaHandle, const char*, NodeNameList*);
int __real_OrvantaGetNodeInfo(OrvantaHandle, const char*, NodeInfo*);
int __real_OrvantaGetNodeInt(OrvantaHandle, const char*, NodeIntInfo*);
int __real_OrvantaGetNodeEnum(OrvantaHandle, const char*, NodeEnumInfo*);
int __real_OrvantaSetNodeInt(OrvantaHandle, const char*, int64_t);
int __real_OrvantaSetNodeFloat(OrvantaHandle, const char*, double);
int __real_OrvantaSetNodeBoolean(OrvantaHandle, const char*, bool);
int __real_OrvantaSetNodeString(OrvantaHandle, const char*, const char*);
int __real_OrvantaSetNodeCommand(OrvantaHandle, const char*);
int __real_OrvantaReadRegister(OrvantaHandle, uint32_t, uint32_t*);
int __real_OrvantaWriteRegiser(OrvantaHandle, uint32_t, uint32_t);

int __wrap_OrvantaGetNodeList(OrvantaHandle h, const char* parent, NodeNameList* list)
{
    const QString parentName = QString::fromUtf8(parent);
    std::unique_lock<std::mutex> lock(g_mutex);
    g_calls.nodeListParents << parentName;
    const auto fake = g_lists.constFind(parentName);
    if (fake == g_lists.constEnd()) {
        lock.unlock();
        return __real_OrvantaGetNodeList(h, parent, list);
    }
    const uint32_t capacity = list->count;
    list->count = 0;
    for (const QString& name : fake.value()) {
        if (list->count == capacity)
            break;
        qstrncpy(list->names[list->count++], name.toUtf8().constData(), ORVANTA_NODE_TEXT_SIZE);
    }
    return ORVANTA_OK;
}

int __wrap_OrvantaGetNodeInfo(OrvantaHandle h, const char* name, NodeInfo* info)
{
    const int status = __real_OrvantaGetNodeInfo(h, name, info);
    std::lock_guard<std::mutex> lock(g_mutex);
    const auto forced = g_access.constFind(QString::fromUtf8(name));
    if (forced != g_access.constEnd() && info)
        info->access = forced.value();
    return status;
}

int __wrap_OrvantaGetNodeInt(OrvantaHandle h, const char* name, NodeIntInfo* info)
{
    if (readFails(name))
        return ORVANTA_ERR_DEVICE;
    const int status = __real_OrvantaGetNodeInt(h, name, info);
    std::lock_guard<std::mutex> lock(g_mutex);
    const auto forced = g_ranges.constFind(QString::fromUtf8(name));
    if (forced != g_ranges.constEnd() && info)
        info->minimum = forced->first, info->maximum = forced->second;
    return status;
}

int __wrap_OrvantaGetNodeEnum(OrvantaHandle h, const char* name, NodeEnumInfo* info)
{
    return readFails(name) ? int(ORVANTA_ERR_DEVICE) : __real_OrvantaGetNodeEnum(h, name, info);
}

int __wrap_OrvantaSetNodeInt(OrvantaHandle h, const char* name, int64_t value)
{
    record([&](SdkSpy::Calls& c) {
        c.intWrites << qMakePair(QString::fromUtf8(name), qint64(value));
    });
    return __real_OrvantaSetNodeInt(h, name, value);
}

int __wrap_OrvantaSetNodeFloat(OrvantaHandle h, const char* name, double value)
{
    record([&](SdkSpy::Calls& c) { c.floatWrites << qMakePair(QString::fromUtf8(name), value); });
    return __real_OrvantaSetNodeFloat(h, name, value);
}

int __wrap_OrvantaSetNodeBoolean(OrvantaHandle h, const char* name, bool value)
{
    record([&](SdkSpy::Calls& c) { c.boolWrites << qMakePair(QString::fromUtf8(name), value); });
    return __real_OrvantaSetNodeBoolean(h, name, value);
}

int __wrap_OrvantaSetNodeString(OrvantaHandle h, const char* name, const char* value)
{
    record([&](SdkSpy::Calls& c) {
        c.stringWrites << qMakePair(QString::fromUtf8(name), QString::fromUtf8(value));
    });
    return __real_OrvantaSetNodeString(h, name, value);
}

int __wrap_OrvantaSetNodeCommand(OrvantaHandle h, const char* name)
{
    record([&](SdkSpy::Calls& c) { c.commands << QString::fromUtf8(name); });
    return __real_OrvantaSetNodeCommand(h, name);
}

int __wrap_OrvantaReadRegister(OrvantaHandle h, uint32_t address, uint32_t* value)
{
    record([&](SdkSpy::Calls& c) { c.registerReads << address; });
    return __real_OrvantaReadRegister(h, address, value);
}

int __wrap_OrvantaWriteRegiser(OrvantaHandle h, uint32_t address, uint32_t value)
{
    record([&](SdkSpy::Calls& c) { c.registerWrites << qMakePair(address, value); });
    return __real_OrvantaWriteRegiser(h, address, value);
}
}
