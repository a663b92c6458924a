// One feature's value as a features file holds it: read from and written to a device by node
// type, turned into text and back without regard to the process locale, and compared.
#ifndef ORVANTA_FEATUREVALUE_H
#define ORVANTA_FEATUREVALUE_H

#include "backend.h"

#include <cstdint>
#include <string>

namespace orvanta {

struct FeatureValue
{
    int type =
        ORVANTA_NODE_UNKNOWN; // ORVANTA_NODE_INTEGER, _FLOAT, _BOOLEAN, _ENUMERATION, _STRING
    int64_t integer = 0;
    double number = 0;
    bool flag = false;
    std::string text;     // the entry name of an enumeration, the text of a string
    double increment = 0; // of a float read from a device: values closer than half of it match
};

// Node types a file keeps: those with a single value.
bool isValueType(int type);

int readFeatureValue(Device& device, const std::string& name, int type, FeatureValue& out);
int writeFeatureValue(Device& device, const std::string& name, const FeatureValue& value);

// Integers in decimal, floats in the shortest text that reads back to the same double,
// booleans as 1 and 0, enumerations by entry name, strings verbatim.
std::string formatFeatureValue(const FeatureValue& value);
// Reads a value of the type from a file's text (integers also in 0x hex, booleans also as
// true/false); false with the reason ("wrong type: ..." or "out of range: ...") otherwise.
bool parseFeatureValue(int type, const std::string& text, FeatureValue& out, std::string& reason);

// Whether the device's value equals the file's (floats within rounding or half an increment).
bool sameFeatureValue(const FeatureValue& file, const FeatureValue& device);

// "out of range: ..." with the value and what the device allows now.
std::string outOfRangeReason(Device& device, const std::string& name, const FeatureValue& value);

} // namespace orvanta

#endif
