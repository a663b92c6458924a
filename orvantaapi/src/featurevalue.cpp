#include "featurevalue.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <type_traits>

namespace orvanta {

namespace {

std::string trimmed(const std::string& text)
{
    const size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos)
        return {};
    return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

template <class T> std::string numberText(T value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

bool equalsIgnoringCase(const std::string& a, const char* b)
{
    return a.size() == std::strlen(b) && std::equal(a.begin(), a.end(), b, [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == y;
           });
}

// The whole text as one number; from_chars ignores the locale, unlike strtod.
template <class T> std::errc parseWhole(const std::string& text, T& out, int base)
{
    const char* end = text.data() + text.size();
    std::from_chars_result result;
    if constexpr (std::is_floating_point_v<T>)
        result = std::from_chars(text.data(), end, out);
    else
        result = std::from_chars(text.data(), end, out, base);
    if (result.ec == std::errc() && result.ptr != end)
        return std::errc::invalid_argument;
    return result.ec;
}

// Decimal, or hex after 0x.
std::errc parseInteger(const std::string& text, int64_t& out)
{
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    return hex ? parseWhole(text.substr(2), out, 16) : parseWhole(text, out, 10);
}

bool parsed(std::errc ec, const std::string& text, const char* noun, std::string& reason)
{
    if (ec == std::errc::result_out_of_range)
        reason = "out of range: " + text + " is too large";
    else if (ec != std::errc())
        reason = "wrong type: \"" + text + "\" is not " + noun;
    return ec == std::errc();
}

} // namespace

bool isValueType(int type)
{
    return type == ORVANTA_NODE_INTEGER || type == ORVANTA_NODE_FLOAT ||
           type == ORVANTA_NODE_BOOLEAN || type == ORVANTA_NODE_ENUMERATION ||
           type == ORVANTA_NODE_STRING;
}

int readFeatureValue(Device& device, const std::string& name, int type, FeatureValue& out)
{
    out = FeatureValue{};
    out.type = type;
    switch (type) {
    case ORVANTA_NODE_INTEGER: {
        IntValue v;
        const int rc = device.getInt(Scope::Tree, name, v);
        out.integer = v.value;
        return rc;
    }
    case ORVANTA_NODE_FLOAT: {
        FloatValue v;
        const int rc = device.getFloat(Scope::Tree, name, v);
        out.number = v.value;
        out.increment = v.increment;
        return rc;
    }
    case ORVANTA_NODE_BOOLEAN:
        return device.getBool(Scope::Tree, name, out.flag);
    case ORVANTA_NODE_ENUMERATION:
    case ORVANTA_NODE_STRING:
        return device.getString(Scope::Tree, name, out.text);
    default:
        return ORVANTA_ERR_WRONG_NODE_TYPE;
    }
}

int writeFeatureValue(Device& device, const std::string& name, const FeatureValue& value)
{
    switch (value.type) {
    case ORVANTA_NODE_INTEGER:
        return device.setInt(Scope::Tree, name, value.integer);
    case ORVANTA_NODE_FLOAT:
        return device.setFloat(Scope::Tree, name, value.number);
    case ORVANTA_NODE_BOOLEAN:
        return device.setBool(Scope::Tree, name, value.flag);
    case ORVANTA_NODE_ENUMERATION:
        return device.setEnum(Scope::Tree, name, value.text);
    case ORVANTA_NODE_STRING:
        return device.setString(Scope::Tree, name, value.text);
    default:
        return ORVANTA_ERR_WRONG_NODE_TYPE;
    }
}

std::string formatFeatureValue(const FeatureValue& value)
{
    switch (value.type) {
    case ORVANTA_NODE_INTEGER:
        return numberText(value.integer);
    case ORVANTA_NODE_FLOAT:
        return numberText(value.number);
    case ORVANTA_NODE_BOOLEAN:
        return value.flag ? "1" : "0";
    default:
        return value.text;
    }
}

bool parseFeatureValue(int type, const std::string& text, FeatureValue& out, std::string& reason)
{
    out = FeatureValue{};
    out.type = type;
    const std::string t = trimmed(text);
    switch (type) {
    case ORVANTA_NODE_INTEGER:
        return parsed(parseInteger(t, out.integer), t, "an integer", reason);
    case ORVANTA_NODE_FLOAT:
        return parsed(parseWhole(t, out.number, 10), t, "a number", reason);
    case ORVANTA_NODE_BOOLEAN:
        if (t == "1" || equalsIgnoringCase(t, "true"))
            out.flag = true;
        else if (t != "0" && !equalsIgnoringCase(t, "false")) {
            reason = "wrong type: \"" + t + "\" is not a boolean (1 or 0)";
            return false;
        }
        return true;
    case ORVANTA_NODE_ENUMERATION:
        out.text = t;
        return true;
    case ORVANTA_NODE_STRING:
        out.text = text; // a string keeps its spaces
        return true;
    default:
        reason = "wrong type: the feature holds no value";
        return false;
    }
}

bool sameFeatureValue(const FeatureValue& file, const FeatureValue& device)
{
    if (file.type != device.type)
        return false;
    switch (file.type) {
    case ORVANTA_NODE_INTEGER:
        return file.integer == device.integer;
    case ORVANTA_NODE_FLOAT: {
        const double scale = std::max(std::fabs(file.number), std::fabs(device.number));
        const double tolerance = std::max(device.increment / 2, 1e-9 * scale);
        return std::fabs(file.number - device.number) <= tolerance;
    }
    case ORVANTA_NODE_BOOLEAN:
        return file.flag == device.flag;
    default:
        return file.text == device.text;
    }
}

std::string outOfRangeReason(Device& device, const std::string& name, const FeatureValue& value)
{
    const std::string head = "out of range: " + formatFeatureValue(value);
    switch (value.type) {
    case ORVANTA_NODE_INTEGER: {
        IntValue v;
        if (device.getInt(Scope::Tree, name, v) != ORVANTA_OK)
            return head;
        std::string step = v.increment > 1 ? ", step " + numberText(v.increment) : "";
        return head + " (allowed " + numberText(v.minimum) + " to " + numberText(v.maximum) + step +
               ")";
    }
    case ORVANTA_NODE_FLOAT: {
        FloatValue v;
        if (device.getFloat(Scope::Tree, name, v) != ORVANTA_OK)
            return head;
        return head + " (allowed " + numberText(v.minimum) + " to " + numberText(v.maximum) + ")";
    }
    case ORVANTA_NODE_ENUMERATION: {
        EnumValue v;
        if (device.getEnum(Scope::Tree, name, v) != ORVANTA_OK)
            return "out of range: no entry " + value.text;
        std::string entries;
        for (const std::string& e : v.entries)
            entries += (entries.empty() ? "" : ", ") + e;
        return "out of range: no entry " + value.text + " (entries: " + entries + ")";
    }
    case ORVANTA_NODE_STRING:
        return "out of range: the text is too long";
    default:
        return head;
    }
}

} // namespace orvanta
