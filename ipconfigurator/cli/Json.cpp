#include "Json.h"

#include <cstdio>

namespace ipconfig {

namespace {

// Length of the valid UTF-8 sequence starting at text[i], or 0.
size_t Utf8Length(const std::string& text, size_t i)
{
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    const size_t length = lead < 0x80           ? 1
                          : (lead >> 5) == 0x6  ? 2
                          : (lead >> 4) == 0xE  ? 3
                          : (lead >> 3) == 0x1E ? 4
                                                : 0;
    if (length == 0 || i + length > text.size())
        return 0;
    for (size_t k = 1; k < length; ++k)
        if ((byte(i + k) >> 6) != 0x2)
            return 0;
    return length;
}

bool ValidUtf8(const std::string& text)
{
    for (size_t i = 0; i < text.size();) {
        const size_t length = Utf8Length(text, i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

std::string Latin1ToUtf8(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out += c;
        } else {
            out += char(0xC0 | (byte >> 6));
            out += char(0x80 | (byte & 0x3F));
        }
    }
    return out;
}

void Indent(std::string* out, int depth)
{
    out->append(size_t(depth) * 2, ' ');
}

} // namespace

std::string JsonString(const std::string& raw)
{
    const std::string text = ValidUtf8(raw) ? raw : Latin1ToUtf8(raw);
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", unsigned(c));
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

Json::Json(const std::string& text) : m_kind(Kind::Text), m_scalar(JsonString(text)) {}

Json::Json(bool flag) : m_kind(Kind::Flag), m_scalar(flag ? "true" : "false") {}

Json::Json(int64_t number) : m_kind(Kind::Number), m_scalar(std::to_string(number)) {}

Json& Json::Set(const std::string& name, Json value)
{
    m_members.emplace_back(name, std::move(value));
    return *this;
}

Json& Json::Add(Json value)
{
    return Set(std::string(), std::move(value));
}

std::string Json::Dump() const
{
    std::string out;
    Write(&out, 0);
    return out + "\n";
}

void Json::Write(std::string* out, int depth) const
{
    if (m_kind == Kind::Null) {
        *out += "null";
        return;
    }
    if (m_kind != Kind::Object && m_kind != Kind::Array) {
        *out += m_scalar;
        return;
    }
    const bool object = m_kind == Kind::Object;
    *out += object ? '{' : '[';
    for (size_t i = 0; i < m_members.size(); ++i) {
        *out += i == 0 ? "\n" : ",\n";
        Indent(out, depth + 1);
        if (object)
            *out += JsonString(m_members[i].first) + ": ";
        m_members[i].second.Write(out, depth + 1);
    }
    if (!m_members.empty()) {
        *out += '\n';
        Indent(out, depth);
    }
    *out += object ? '}' : ']';
}

} // namespace ipconfig
