// A small JSON value for the tool's --json output: objects keep the order their members were
// added in, so the output is stable; text is written as UTF-8 (camera fields that are not
// valid UTF-8 are read as Latin-1).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace ipconfig {

class Json
{
public:
    static Json Null() { return Json(Kind::Null); }
    static Json Object() { return Json(Kind::Object); }
    static Json Array() { return Json(Kind::Array); }
    Json(const std::string& text);
    Json(const char* text) : Json(std::string(text)) {}
    Json(bool flag);
    Json(int64_t number);
    Json(int number) : Json(int64_t(number)) {}

    // Adds a member (objects) or an element (arrays); returns *this.
    Json& Set(const std::string& name, Json value);
    Json& Add(Json value);

    // Two-space indentation, one member per line, a newline at the end.
    std::string Dump() const;

private:
    enum class Kind
    {
        Null,
        Text,
        Flag,
        Number,
        Object,
        Array
    };
    explicit Json(Kind kind) : m_kind(kind) {}
    void Write(std::string* out, int depth) const;

    Kind m_kind;
    std::string m_scalar;                                // text, flag or number as written
    std::vector<std::pair<std::string, Json>> m_members; // arrays leave the names empty
};

// The text as a JSON string literal, quotes included.
std::string JsonString(const std::string& text);

} // namespace ipconfig
