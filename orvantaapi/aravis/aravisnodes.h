// Typed access to one GenICam node of an Aravis device, in the SDK's records and status codes.
// Not thread-safe: the device that owns the node serialises calls.
#ifndef ORVANTA_ARAVISNODES_H
#define ORVANTA_ARAVISNODES_H

#include "OrvantaAPI.h"
#include "nodestore.h"

#include <arv.h>

#include <string>
#include <vector>

namespace orvanta {

// ORVANTA_NODE_* of a node. Enumerations and string registers also implement the integer and
// register interfaces, so the most specific kind is reported.
int arvNodeType(ArvGcNode* node);

// ORVANTA_ACCESS_* from the node's own access mode (the device-level query misreports
// read-write nodes as write-only).
int arvNodeAccess(ArvGcNode* node);

// Status of a failed Aravis call.
int arvErrorStatus(const GError* error);

int arvNodeInfo(ArvGcNode* node, const std::string& name, NodeInfo& out);
int arvChildren(ArvGcNode* node, std::vector<std::string>& names);

int arvGetInt(ArvGcNode* node, IntValue& out);
int arvSetInt(ArvGcNode* node, int64_t value);
int arvGetFloat(ArvGcNode* node, FloatValue& out);
int arvSetFloat(ArvGcNode* node, double value);
int arvGetBool(ArvGcNode* node, bool& out);
int arvSetBool(ArvGcNode* node, bool value);
int arvGetEnum(ArvGcNode* node, EnumValue& out);
int arvSetEnum(ArvGcNode* node, const std::string& entry);
// String nodes, and the current entry of enumerations.
int arvGetString(ArvGcNode* node, std::string& out);
int arvSetString(ArvGcNode* node, const std::string& value);
int arvExecute(ArvGcNode* node);

} // namespace orvanta

#endif
