#pragma once
// Per-terminal fields in a broadcast command: "{%NAME%}", "{%HOST%}", "{%USER%}" and "{%PORT%}"
// stand for the site name, host, user and port of each terminal the command is typed into. A brace
// token that begins with a percent sign names no key, so no script written before meant anything
// else by it. The value is typed as text, never read as key names or modifiers.
#include <string>
#include <string_view>

struct TerminalFields {
    std::string name, host, user, port;  // UTF-8
};

class CommandFields {
public:
    // The first field the script names that is not one of the four, as written between "{%" and
    // "%}"; empty when every field is known (or there is none).
    static std::string UnknownField(std::string_view script);
    // True when the script names at least one field.
    static bool HasFields(std::string_view script);
    // The script with each field replaced by the script that types its value exactly (see
    // KeySender::Literal). Unknown fields are left as they stand; check with UnknownField first.
    static std::string Substitute(std::string_view script, const TerminalFields& fields);
};
