#include "session/keys/CommandFields.h"

#include "session/keys/KeySender.h"

#include <cctype>

namespace {
// A field is "{%", a name of letters, "%}". At position at, its name's length, or 0 when no field
// begins there.
size_t FieldAt(std::string_view script, size_t at, std::string_view& name)
{
    if (script.compare(at, 2, "{%") != 0)
        return 0;
    size_t end = at + 2;
    while (end < script.size() && std::isalpha(static_cast<unsigned char>(script[end])))
        ++end;
    if (end == at + 2 || script.compare(end, 2, "%}") != 0)
        return 0;
    name = script.substr(at + 2, end - at - 2);
    return end + 2 - at;
}

std::string Upper(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

// The value of a known field, or nullptr.
const std::string* ValueOf(std::string_view name, const TerminalFields& fields)
{
    const std::string upper = Upper(name);
    if (upper == "NAME")
        return &fields.name;
    if (upper == "HOST")
        return &fields.host;
    if (upper == "USER")
        return &fields.user;
    if (upper == "PORT")
        return &fields.port;
    return nullptr;
}
}  // namespace

std::string CommandFields::UnknownField(std::string_view script)
{
    static const TerminalFields none;
    for (size_t at = 0; at < script.size(); ++at) {
        std::string_view name;
        if (size_t length = FieldAt(script, at, name)) {
            if (!ValueOf(name, none))
                return std::string(name);
            at += length - 1;
        }
    }
    return std::string();
}

bool CommandFields::HasFields(std::string_view script)
{
    for (size_t at = 0; at < script.size(); ++at) {
        std::string_view name;
        if (FieldAt(script, at, name))
            return true;
    }
    return false;
}

std::string CommandFields::Substitute(std::string_view script, const TerminalFields& fields)
{
    std::string result;
    result.reserve(script.size());
    for (size_t at = 0; at < script.size(); ++at) {
        std::string_view name;
        if (size_t length = FieldAt(script, at, name)) {
            if (const std::string* value = ValueOf(name, fields)) {
                result += KeySender::Literal(*value);
                at += length - 1;
                continue;
            }
        }
        result += script[at];
    }
    return result;
}
