// GenICam-like feature nodes of one camera: the values (the camera's state) and the tree that
// lists them. Not thread-safe; the owning camera serialises access.
#ifndef ORVANTA_NODESTORE_H
#define ORVANTA_NODESTORE_H

#include "OrvantaAPI.h"

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace orvanta {

struct Node
{
    std::string name;
    int type = ORVANTA_NODE_INTEGER;
    int access = ORVANTA_ACCESS_READ_WRITE;
    std::string displayName, description, unit;
    bool lockedWhileAcquiring = false; // writes refused with ORVANTA_ERR_ACQUIRING
    bool persistent = false;           // part of a user set

    int64_t intValue = 0, intMin = 0, intMax = 100, intInc = 1;
    double floatValue = 0, floatMin = 0, floatMax = 1, floatInc = 0;
    bool boolValue = false;
    std::string stringValue;
    std::vector<std::string> entries;
    size_t entryIndex = 0;
    std::function<int()> onExecute; // command nodes

    const std::string& currentEntry() const { return entries.at(entryIndex); }
};

// Where a name is looked up: the tree as listed (node calls) or every feature of the camera
// (feature-family calls, which keep working when a test replaced the tree).
enum class Scope
{
    Tree,
    Feature
};

struct IntValue
{
    int64_t value = 0, minimum = 0, maximum = 0, increment = 1;
};
struct FloatValue
{
    double value = 0, minimum = 0, maximum = 0, increment = 0;
};
struct EnumValue
{
    std::vector<std::string> entries;
    size_t index = 0;
};

class NodeStore
{
public:
    // Called before a write is applied (may refuse it with a status) and after it was applied.
    std::function<int(const Node&)> writeGuard;
    std::function<void(const Node&)> changed;

    Node& addFeature(const std::string& parent, Node node);
    Node& addCategory(const std::string& parent, const std::string& name);
    Node* feature(const std::string& name);
    const Node* feature(const std::string& name) const;

    void clearTree();
    int addTreeNode(const std::string& parent, const std::string& name, int type);

    int list(const std::string& parent, std::vector<std::string>& names) const;
    int info(const std::string& name, NodeInfo& out) const;
    int getInt(Scope, const std::string& name, IntValue& out) const;
    int setInt(Scope, const std::string& name, int64_t value);
    int getFloat(Scope, const std::string& name, FloatValue& out) const;
    int setFloat(Scope, const std::string& name, double value);
    int getBool(Scope, const std::string& name, bool& out) const;
    int setBool(Scope, const std::string& name, bool value);
    int getEnum(Scope, const std::string& name, EnumValue& out) const;
    int setEnum(Scope, const std::string& name, const std::string& entry);
    int getString(Scope, const std::string& name, std::string& out) const;
    int setString(Scope, const std::string& name, const std::string& value);
    int execute(Scope, const std::string& name);

    // Direct writes that skip access checks (the camera's own updates: ranges, auto values).
    void forceInt(const std::string& name, int64_t value);
    void forceFloat(const std::string& name, double value);
    void forceEnum(const std::string& name, const std::string& entry);

    std::vector<const Node*> persistentFeatures() const;

private:
    const Node* find(Scope, const std::string& name) const;
    Node* find(Scope scope, const std::string& name)
    {
        return const_cast<Node*>(static_cast<const NodeStore*>(this)->find(scope, name));
    }
    int writable(Scope, const std::string& name, int type, Node*& node);
    void link(const std::string& parent, const std::string& name);

    std::map<std::string, Node> features_;
    std::map<std::string, Node> treeOnly_; // nodes a test added that are not features
    std::map<std::string, std::vector<std::string>> children_;
    std::set<std::string> inTree_;
};

} // namespace orvanta

#endif
