#include "nodestore.h"

#include <algorithm>
#include <cmath>

namespace orvanta {

namespace {
const char* const kRoot = "Root";

bool readable(const Node& n)
{
    return n.access == ORVANTA_ACCESS_READ_ONLY || n.access == ORVANTA_ACCESS_READ_WRITE;
}
} // namespace

Node& NodeStore::addFeature(const std::string& parent, Node node)
{
    const std::string name = node.name;
    if (node.displayName.empty())
        node.displayName = name;
    Node& stored = features_[name] = std::move(node);
    link(parent, name);
    return stored;
}

Node& NodeStore::addCategory(const std::string& parent, const std::string& name)
{
    Node n;
    n.name = name;
    n.type = ORVANTA_NODE_CATEGORY;
    n.access = ORVANTA_ACCESS_READ_ONLY;
    return addFeature(parent, n);
}

void NodeStore::link(const std::string& parent, const std::string& name)
{
    auto& siblings = children_[parent];
    if (std::find(siblings.begin(), siblings.end(), name) == siblings.end())
        siblings.push_back(name);
    inTree_.insert(name);
}

Node* NodeStore::feature(const std::string& name)
{
    auto it = features_.find(name);
    return it == features_.end() ? nullptr : &it->second;
}

const Node* NodeStore::feature(const std::string& name) const
{
    auto it = features_.find(name);
    return it == features_.end() ? nullptr : &it->second;
}

void NodeStore::clearTree()
{
    children_.clear();
    inTree_.clear();
    treeOnly_.clear();
}

int NodeStore::addTreeNode(const std::string& parent, const std::string& name, int type)
{
    if (name.empty() || name == kRoot || type < ORVANTA_NODE_COMMAND ||
        type > ORVANTA_NODE_REGISTER)
        return ORVANTA_ERR_BAD_ARGUMENT;
    if (parent != kRoot) {
        const Node* p = find(Scope::Tree, parent);
        if (!p)
            return ORVANTA_ERR_NO_NODE;
        if (p->type != ORVANTA_NODE_CATEGORY)
            return ORVANTA_ERR_WRONG_NODE_TYPE;
    }
    const Node* existing = feature(name);
    if (!existing || existing->type != type) {
        Node n;
        n.name = n.displayName = name;
        n.type = type;
        if (type == ORVANTA_NODE_CATEGORY)
            n.access = ORVANTA_ACCESS_READ_ONLY;
        if (type == ORVANTA_NODE_ENUMERATION)
            n.entries = {"Entry0", "Entry1"};
        if (type == ORVANTA_NODE_COMMAND)
            n.access = ORVANTA_ACCESS_WRITE_ONLY;
        treeOnly_[name] = n;
    }
    link(parent, name);
    return ORVANTA_OK;
}

const Node* NodeStore::find(Scope scope, const std::string& name) const
{
    if (scope == Scope::Feature)
        return feature(name);
    if (!inTree_.count(name))
        return nullptr;
    auto it = treeOnly_.find(name);
    return it != treeOnly_.end() ? &it->second : feature(name);
}

int NodeStore::list(const std::string& parent, std::vector<std::string>& names) const
{
    names.clear();
    if (parent != kRoot) {
        const Node* p = find(Scope::Tree, parent);
        if (!p)
            return ORVANTA_ERR_NO_NODE;
        if (p->type != ORVANTA_NODE_CATEGORY)
            return ORVANTA_ERR_WRONG_NODE_TYPE;
    }
    auto it = children_.find(parent);
    if (it != children_.end())
        names = it->second;
    return ORVANTA_OK;
}

int NodeStore::info(const std::string& name, NodeInfo& out) const
{
    const Node* n = find(Scope::Tree, name);
    if (!n)
        return ORVANTA_ERR_NO_NODE;
    out = NodeInfo{};
    out.type = n->type;
    out.access = n->access;
    // A value the camera drives itself (its auto mode on) reads as read-only meanwhile.
    if (out.access == ORVANTA_ACCESS_READ_WRITE && writeGuard &&
        writeGuard(*n) == ORVANTA_ERR_READ_ONLY)
        out.access = ORVANTA_ACCESS_READ_ONLY;
    n->displayName.copy(out.displayName, sizeof out.displayName - 1);
    n->description.copy(out.description, sizeof out.description - 1);
    n->unit.copy(out.unit, sizeof out.unit - 1);
    return ORVANTA_OK;
}

namespace {
int checkRead(const Node* n, int type)
{
    if (!n)
        return ORVANTA_ERR_NO_NODE;
    if (n->type != type)
        return ORVANTA_ERR_WRONG_NODE_TYPE;
    return readable(*n) ? ORVANTA_OK : ORVANTA_ERR_READ_ONLY;
}
} // namespace

int NodeStore::writable(Scope scope, const std::string& name, int type, Node*& node)
{
    node = find(scope, name);
    if (!node)
        return ORVANTA_ERR_NO_NODE;
    if (node->type != type)
        return ORVANTA_ERR_WRONG_NODE_TYPE;
    if (node->access != ORVANTA_ACCESS_READ_WRITE && node->access != ORVANTA_ACCESS_WRITE_ONLY)
        return ORVANTA_ERR_READ_ONLY;
    return writeGuard ? writeGuard(*node) : ORVANTA_OK;
}

int NodeStore::getInt(Scope scope, const std::string& name, IntValue& out) const
{
    const Node* n = find(scope, name);
    if (int rc = checkRead(n, ORVANTA_NODE_INTEGER))
        return rc;
    out = {n->intValue, n->intMin, n->intMax, n->intInc};
    return ORVANTA_OK;
}

int NodeStore::setInt(Scope scope, const std::string& name, int64_t value)
{
    Node* n;
    if (int rc = writable(scope, name, ORVANTA_NODE_INTEGER, n))
        return rc;
    // A node whose range goes beyond int32 (an IPv4 address) also takes the signed view of
    // its unsigned 32-bit pattern.
    if (value < 0 && value >= INT32_MIN && n->intMax > INT32_MAX)
        value = static_cast<int64_t>(static_cast<uint32_t>(value));
    if (value < n->intMin || value > n->intMax ||
        (value - n->intMin) % std::max<int64_t>(n->intInc, 1))
        return ORVANTA_ERR_OUT_OF_RANGE;
    n->intValue = value;
    if (changed)
        changed(*n);
    return ORVANTA_OK;
}

int NodeStore::getFloat(Scope scope, const std::string& name, FloatValue& out) const
{
    const Node* n = find(scope, name);
    if (int rc = checkRead(n, ORVANTA_NODE_FLOAT))
        return rc;
    out = {n->floatValue, n->floatMin, n->floatMax, n->floatInc};
    return ORVANTA_OK;
}

int NodeStore::setFloat(Scope scope, const std::string& name, double value)
{
    Node* n;
    if (int rc = writable(scope, name, ORVANTA_NODE_FLOAT, n))
        return rc;
    // Tolerate the rounding of a float that the caller read back from a double range.
    const double lowSlack = 1e-6 * std::max(1.0, std::fabs(n->floatMin));
    const double highSlack = 1e-6 * std::max(1.0, std::fabs(n->floatMax));
    if (!std::isfinite(value) || value < n->floatMin - lowSlack || value > n->floatMax + highSlack)
        return ORVANTA_ERR_OUT_OF_RANGE;
    n->floatValue = std::clamp(value, n->floatMin, n->floatMax);
    if (changed)
        changed(*n);
    return ORVANTA_OK;
}

int NodeStore::getBool(Scope scope, const std::string& name, bool& out) const
{
    const Node* n = find(scope, name);
    if (int rc = checkRead(n, ORVANTA_NODE_BOOLEAN))
        return rc;
    out = n->boolValue;
    return ORVANTA_OK;
}

int NodeStore::setBool(Scope scope, const std::string& name, bool value)
{
    Node* n;
    if (int rc = writable(scope, name, ORVANTA_NODE_BOOLEAN, n))
        return rc;
    n->boolValue = value;
    if (changed)
        changed(*n);
    return ORVANTA_OK;
}

int NodeStore::getEnum(Scope scope, const std::string& name, EnumValue& out) const
{
    const Node* n = find(scope, name);
    if (int rc = checkRead(n, ORVANTA_NODE_ENUMERATION))
        return rc;
    out = {n->entries, n->entryIndex};
    return ORVANTA_OK;
}

int NodeStore::setEnum(Scope scope, const std::string& name, const std::string& entry)
{
    Node* n;
    if (int rc = writable(scope, name, ORVANTA_NODE_ENUMERATION, n))
        return rc;
    auto it = std::find(n->entries.begin(), n->entries.end(), entry);
    if (it == n->entries.end())
        return ORVANTA_ERR_OUT_OF_RANGE;
    n->entryIndex = static_cast<size_t>(it - n->entries.begin());
    if (changed)
        changed(*n);
    return ORVANTA_OK;
}

int NodeStore::getString(Scope scope, const std::string& name, std::string& out) const
{
    const Node* n = find(scope, name);
    if (n && n->type == ORVANTA_NODE_ENUMERATION) {
        if (int rc = checkRead(n, ORVANTA_NODE_ENUMERATION))
            return rc;
        out = n->currentEntry();
        return ORVANTA_OK;
    }
    if (int rc = checkRead(n, ORVANTA_NODE_STRING))
        return rc;
    out = n->stringValue;
    return ORVANTA_OK;
}

int NodeStore::setString(Scope scope, const std::string& name, const std::string& value)
{
    const Node* probe = find(scope, name);
    if (probe && probe->type == ORVANTA_NODE_ENUMERATION)
        return setEnum(scope, name, value);
    Node* n;
    if (int rc = writable(scope, name, ORVANTA_NODE_STRING, n))
        return rc;
    if (value.size() >= ORVANTA_NODE_TEXT_SIZE)
        return ORVANTA_ERR_OUT_OF_RANGE;
    n->stringValue = value;
    if (changed)
        changed(*n);
    return ORVANTA_OK;
}

int NodeStore::execute(Scope scope, const std::string& name)
{
    Node* n;
    if (int rc = writable(scope, name, ORVANTA_NODE_COMMAND, n))
        return rc;
    return n->onExecute ? n->onExecute() : ORVANTA_OK;
}

void NodeStore::forceInt(const std::string& name, int64_t value)
{
    if (Node* n = feature(name))
        n->intValue = value;
}

void NodeStore::forceFloat(const std::string& name, double value)
{
    if (Node* n = feature(name))
        n->floatValue = value;
}

void NodeStore::forceEnum(const std::string& name, const std::string& entry)
{
    Node* n = feature(name);
    if (!n)
        return;
    auto it = std::find(n->entries.begin(), n->entries.end(), entry);
    if (it != n->entries.end())
        n->entryIndex = static_cast<size_t>(it - n->entries.begin());
}

std::vector<const Node*> NodeStore::persistentFeatures() const
{
    std::vector<const Node*> out;
    for (const auto& kv : features_)
        if (kv.second.persistent)
            out.push_back(&kv.second);
    return out;
}

} // namespace orvanta
