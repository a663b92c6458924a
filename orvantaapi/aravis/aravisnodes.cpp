#include "aravisnodes.h"

#include "gobjectptr.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace orvanta {

namespace {

void copyText(const char* text, char* out, size_t size)
{
    const size_t n = text ? std::min(std::strlen(text), size - 1) : 0;
    if (n)
        std::memcpy(out, text, n);
    out[n] = '\0';
}

ArvGcFeatureNode* feature(ArvGcNode* node)
{
    return ARV_IS_GC_FEATURE_NODE(node) ? ARV_GC_FEATURE_NODE(node) : nullptr;
}

// A write is refused before it reaches the camera when the node cannot be written now.
int checkWritable(ArvGcNode* node, int type)
{
    if (arvNodeType(node) != type)
        return ORVANTA_ERR_WRONG_NODE_TYPE;
    const int access = arvNodeAccess(node);
    if (access != ORVANTA_ACCESS_READ_WRITE && access != ORVANTA_ACCESS_WRITE_ONLY)
        return ORVANTA_ERR_READ_ONLY;
    return ORVANTA_OK;
}

int checkReadable(ArvGcNode* node, int type)
{
    if (arvNodeType(node) != type)
        return ORVANTA_ERR_WRONG_NODE_TYPE;
    const int access = arvNodeAccess(node);
    if (access == ORVANTA_ACCESS_NOT_IMPLEMENTED || access == ORVANTA_ACCESS_NOT_AVAILABLE ||
        access == ORVANTA_ACCESS_WRITE_ONLY)
        return ORVANTA_ERR_READ_ONLY;
    return ORVANTA_OK;
}

int status(const GErrorSlot& error)
{
    return error ? arvErrorStatus(error.get()) : int(ORVANTA_OK);
}

} // namespace

int arvNodeType(ArvGcNode* node)
{
    if (ARV_IS_GC_CATEGORY(node))
        return ORVANTA_NODE_CATEGORY;
    if (ARV_IS_GC_COMMAND(node))
        return ORVANTA_NODE_COMMAND;
    if (ARV_IS_GC_ENUMERATION(node))
        return ORVANTA_NODE_ENUMERATION;
    if (ARV_IS_GC_BOOLEAN(node))
        return ORVANTA_NODE_BOOLEAN;
    if (ARV_IS_GC_STRING(node))
        return ORVANTA_NODE_STRING;
    if (ARV_IS_GC_FLOAT(node))
        return ORVANTA_NODE_FLOAT;
    if (ARV_IS_GC_INTEGER(node))
        return ORVANTA_NODE_INTEGER;
    if (ARV_IS_GC_REGISTER(node))
        return ORVANTA_NODE_REGISTER;
    return ORVANTA_NODE_UNKNOWN;
}

int arvNodeAccess(ArvGcNode* node)
{
    ArvGcFeatureNode* f = feature(node);
    if (!f)
        return ORVANTA_ACCESS_NOT_AVAILABLE;
    if (ARV_IS_GC_CATEGORY(node))
        return ORVANTA_ACCESS_READ_ONLY;
    GErrorSlot error;
    if (!arv_gc_feature_node_is_implemented(f, error.out()) || error)
        return ORVANTA_ACCESS_NOT_IMPLEMENTED;
    if (!arv_gc_feature_node_is_available(f, error.out()) || error)
        return ORVANTA_ACCESS_NOT_AVAILABLE;
    switch (arv_gc_feature_node_get_actual_access_mode(f)) {
    case ARV_GC_ACCESS_MODE_RW:
        return ORVANTA_ACCESS_READ_WRITE;
    case ARV_GC_ACCESS_MODE_WO:
        return ORVANTA_ACCESS_WRITE_ONLY;
    case ARV_GC_ACCESS_MODE_RO:
        return ORVANTA_ACCESS_READ_ONLY;
    default:
        return ORVANTA_ACCESS_NOT_AVAILABLE;
    }
}

int arvErrorStatus(const GError* error)
{
    if (!error)
        return ORVANTA_OK;
    if (error->domain == ARV_GC_ERROR) {
        switch (error->code) {
        case ARV_GC_ERROR_OUT_OF_RANGE:
        case ARV_GC_ERROR_ENUM_ENTRY_NOT_FOUND:
        case ARV_GC_ERROR_INVALID_LENGTH:
            return ORVANTA_ERR_OUT_OF_RANGE;
        case ARV_GC_ERROR_READ_ONLY:
            return ORVANTA_ERR_READ_ONLY;
        case ARV_GC_ERROR_NODE_NOT_FOUND:
            return ORVANTA_ERR_NO_NODE;
        default:
            return ORVANTA_ERR_DEVICE;
        }
    }
    if (error->domain == ARV_DEVICE_ERROR) {
        switch (error->code) {
        case ARV_DEVICE_ERROR_FEATURE_NOT_FOUND:
            return ORVANTA_ERR_NO_NODE;
        case ARV_DEVICE_ERROR_WRONG_FEATURE:
            return ORVANTA_ERR_WRONG_NODE_TYPE;
        case ARV_DEVICE_ERROR_TIMEOUT:
            return ORVANTA_ERR_TIMEOUT;
        default:
            return ORVANTA_ERR_DEVICE;
        }
    }
    return ORVANTA_ERR_DEVICE;
}

int arvNodeInfo(ArvGcNode* node, const std::string& name, NodeInfo& out)
{
    out = NodeInfo{};
    out.type = arvNodeType(node);
    out.access = arvNodeAccess(node);
    if (ArvGcFeatureNode* f = feature(node)) {
        const char* display = arv_gc_feature_node_get_display_name(f);
        copyText(display ? display : name.c_str(), out.displayName, sizeof out.displayName);
        copyText(arv_gc_feature_node_get_description(f), out.description, sizeof out.description);
    }
    if (out.type == ORVANTA_NODE_FLOAT)
        copyText(arv_gc_float_get_unit(ARV_GC_FLOAT(node)), out.unit, sizeof out.unit);
    else if (out.type == ORVANTA_NODE_INTEGER)
        copyText(arv_gc_integer_get_unit(ARV_GC_INTEGER(node)), out.unit, sizeof out.unit);
    return ORVANTA_OK;
}

int arvChildren(ArvGcNode* node, std::vector<std::string>& names)
{
    names.clear();
    if (!ARV_IS_GC_CATEGORY(node))
        return ORVANTA_OK; // a leaf has no children
    for (const GSList* it = arv_gc_category_get_features(ARV_GC_CATEGORY(node)); it; it = it->next)
        names.emplace_back(static_cast<const char*>(it->data));
    return ORVANTA_OK;
}

int arvGetInt(ArvGcNode* node, IntValue& out)
{
    if (int rc = checkReadable(node, ORVANTA_NODE_INTEGER))
        return rc;
    ArvGcInteger* i = ARV_GC_INTEGER(node);
    GErrorSlot error;
    IntValue v;
    v.value = arv_gc_integer_get_value(i, error.out());
    if (!error)
        v.minimum = arv_gc_integer_get_min(i, error.out());
    if (!error)
        v.maximum = arv_gc_integer_get_max(i, error.out());
    if (!error)
        v.increment = std::max<int64_t>(arv_gc_integer_get_inc(i, error.out()), 1);
    if (!error)
        out = v;
    return status(error);
}

int arvSetInt(ArvGcNode* node, int64_t value)
{
    if (int rc = checkWritable(node, ORVANTA_NODE_INTEGER))
        return rc;
    IntValue range;
    if (arvNodeAccess(node) == ORVANTA_ACCESS_READ_WRITE) {
        if (int rc = arvGetInt(node, range))
            return rc;
        if (value < range.minimum || value > range.maximum ||
            (value - range.minimum) % range.increment != 0)
            return ORVANTA_ERR_OUT_OF_RANGE;
    }
    GErrorSlot error;
    arv_gc_integer_set_value(ARV_GC_INTEGER(node), value, error.out());
    return status(error);
}

int arvGetFloat(ArvGcNode* node, FloatValue& out)
{
    if (int rc = checkReadable(node, ORVANTA_NODE_FLOAT))
        return rc;
    ArvGcFloat* f = ARV_GC_FLOAT(node);
    GErrorSlot error;
    FloatValue v;
    v.value = arv_gc_float_get_value(f, error.out());
    if (!error)
        v.minimum = arv_gc_float_get_min(f, error.out());
    if (!error)
        v.maximum = arv_gc_float_get_max(f, error.out());
    if (!error) {
        // A node without an increment answers with an error or a non-positive value.
        GErrorSlot noIncrement;
        const double inc = arv_gc_float_get_inc(f, noIncrement.out());
        v.increment = !noIncrement && inc > 0 && std::isfinite(inc) ? inc : 0;
        out = v;
    }
    return status(error);
}

int arvSetFloat(ArvGcNode* node, double value)
{
    if (int rc = checkWritable(node, ORVANTA_NODE_FLOAT))
        return rc;
    if (!std::isfinite(value))
        return ORVANTA_ERR_OUT_OF_RANGE;
    FloatValue range;
    if (arvNodeAccess(node) == ORVANTA_ACCESS_READ_WRITE) {
        if (int rc = arvGetFloat(node, range))
            return rc;
        if (value < range.minimum || value > range.maximum)
            return ORVANTA_ERR_OUT_OF_RANGE;
    }
    GErrorSlot error;
    arv_gc_float_set_value(ARV_GC_FLOAT(node), value, error.out());
    return status(error);
}

int arvGetBool(ArvGcNode* node, bool& out)
{
    if (int rc = checkReadable(node, ORVANTA_NODE_BOOLEAN))
        return rc;
    GErrorSlot error;
    const gboolean v = arv_gc_boolean_get_value(ARV_GC_BOOLEAN(node), error.out());
    if (!error)
        out = v != FALSE;
    return status(error);
}

int arvSetBool(ArvGcNode* node, bool value)
{
    if (int rc = checkWritable(node, ORVANTA_NODE_BOOLEAN))
        return rc;
    GErrorSlot error;
    arv_gc_boolean_set_value(ARV_GC_BOOLEAN(node), value, error.out());
    return status(error);
}

int arvGetEnum(ArvGcNode* node, EnumValue& out)
{
    if (int rc = checkReadable(node, ORVANTA_NODE_ENUMERATION))
        return rc;
    ArvGcEnumeration* e = ARV_GC_ENUMERATION(node);
    GErrorSlot error;
    guint count = 0;
    const char** entries = arv_gc_enumeration_dup_available_string_values(e, &count, error.out());
    std::unique_ptr<const char*, decltype(&g_free)> owned(entries, &g_free);
    if (error)
        return status(error);
    const char* current = arv_gc_enumeration_get_string_value(e, error.out());
    if (error)
        return status(error);
    EnumValue v;
    for (guint i = 0; i < count; ++i) {
        v.entries.emplace_back(entries[i]);
        if (current && v.entries.back() == current)
            v.index = i;
    }
    out = std::move(v);
    return ORVANTA_OK;
}

int arvSetEnum(ArvGcNode* node, const std::string& entry)
{
    if (int rc = checkWritable(node, ORVANTA_NODE_ENUMERATION))
        return rc;
    EnumValue available;
    if (arvNodeAccess(node) == ORVANTA_ACCESS_READ_WRITE) {
        if (int rc = arvGetEnum(node, available))
            return rc;
        if (std::find(available.entries.begin(), available.entries.end(), entry) ==
            available.entries.end())
            return ORVANTA_ERR_OUT_OF_RANGE;
    }
    GErrorSlot error;
    arv_gc_enumeration_set_string_value(ARV_GC_ENUMERATION(node), entry.c_str(), error.out());
    return status(error);
}

int arvGetString(ArvGcNode* node, std::string& out)
{
    if (arvNodeType(node) == ORVANTA_NODE_ENUMERATION) {
        if (int rc = checkReadable(node, ORVANTA_NODE_ENUMERATION))
            return rc;
        GErrorSlot error;
        const char* current =
            arv_gc_enumeration_get_string_value(ARV_GC_ENUMERATION(node), error.out());
        if (!error)
            out = current ? current : "";
        return status(error);
    }
    if (int rc = checkReadable(node, ORVANTA_NODE_STRING))
        return rc;
    GErrorSlot error;
    const char* v = arv_gc_string_get_value(ARV_GC_STRING(node), error.out());
    if (!error)
        out = v ? v : "";
    return status(error);
}

int arvSetString(ArvGcNode* node, const std::string& value)
{
    if (arvNodeType(node) == ORVANTA_NODE_ENUMERATION)
        return arvSetEnum(node, value);
    if (int rc = checkWritable(node, ORVANTA_NODE_STRING))
        return rc;
    GErrorSlot error;
    const gint64 maxLength = arv_gc_string_get_max_length(ARV_GC_STRING(node), error.out());
    if (!error && maxLength > 0 && gint64(value.size()) > maxLength)
        return ORVANTA_ERR_OUT_OF_RANGE;
    arv_gc_string_set_value(ARV_GC_STRING(node), value.c_str(), error.out());
    return status(error);
}

int arvExecute(ArvGcNode* node)
{
    if (int rc = checkWritable(node, ORVANTA_NODE_COMMAND))
        return rc;
    GErrorSlot error;
    arv_gc_command_execute(ARV_GC_COMMAND(node), error.out());
    return status(error);
}

} // namespace orvanta
