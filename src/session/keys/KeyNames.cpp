#include "session/keys/KeyNames.h"

#include <algorithm>

namespace {
constexpr KeyName Vk(const char* name, uint8_t vk) { return {name, vk, false}; }
constexpr KeyName Ch(const char* name, char ch) { return {name, uint8_t(ch), true}; }

char Upper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

// Case-insensitive byte order over ASCII letters, the order the table is stored in.
int CompareNoCase(std::string_view a, std::string_view b)
{
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = Upper(a[i]), y = Upper(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}
}  // namespace

const KeyName KeyNames[KeyNameCount] = {
    Vk("ADD", 0x6B),        Vk("APPS", 0x5D),       Ch("AT", '@'),          Vk("BACKSPACE", 0x08),
    Vk("BKSP", 0x08),       Vk("BREAK", 0x03),      Vk("BS", 0x08),         Vk("CAPSLOCK", 0x14),
    Ch("CARET", '^'),       Vk("CLEAR", 0x0C),      Vk("DECIMAL", 0x6E),    Vk("DEL", 0x2E),
    Vk("DELETE", 0x2E),     Vk("DIVIDE", 0x6F),     Vk("DOWN", 0x28),       Vk("END", 0x23),
    Vk("ENTER", 0x0D),      Vk("ESC", 0x1B),        Vk("ESCAPE", 0x1B),     Vk("F1", 0x70),
    Vk("F10", 0x79),        Vk("F11", 0x7A),        Vk("F12", 0x7B),        Vk("F13", 0x7C),
    Vk("F14", 0x7D),        Vk("F15", 0x7E),        Vk("F16", 0x7F),        Vk("F2", 0x71),
    Vk("F3", 0x72),         Vk("F4", 0x73),         Vk("F5", 0x74),         Vk("F6", 0x75),
    Vk("F7", 0x76),         Vk("F8", 0x77),         Vk("F9", 0x78),         Vk("HELP", 0x2F),
    Vk("HOME", 0x24),       Vk("INS", 0x2D),        Vk("LEFT", 0x25),       Ch("LEFTBRACE", '{'),
    Ch("LEFTPAREN", '('),   Vk("LWIN", 0x5B),       Vk("MULTIPLY", 0x6A),   Vk("NUMLOCK", 0x90),
    Vk("NUMPAD0", 0x60),    Vk("NUMPAD1", 0x61),    Vk("NUMPAD2", 0x62),    Vk("NUMPAD3", 0x63),
    Vk("NUMPAD4", 0x64),    Vk("NUMPAD5", 0x65),    Vk("NUMPAD6", 0x66),    Vk("NUMPAD7", 0x67),
    Vk("NUMPAD8", 0x68),    Vk("NUMPAD9", 0x69),    Ch("PERCENT", '%'),     Vk("PGDN", 0x22),
    Vk("PGUP", 0x21),       Ch("PLUS", '+'),        Vk("PRTSC", 0x2A),      Vk("RIGHT", 0x27),
    Ch("RIGHTBRACE", '}'),  Ch("RIGHTPAREN", ')'),  Vk("RWIN", 0x5C),       Vk("SCROLL", 0x91),
    Vk("SEPARATOR", 0x6C),  Vk("SNAPSHOT", 0x2C),   Vk("SUBTRACT", 0x6D),   Vk("TAB", 0x09),
    Ch("TILDE", '~'),       Vk("UP", 0x26),         Vk("WIN", 0x5B),
};

const KeyName* FindKeyName(std::string_view content)
{
    // Try the longest candidate prefix first; each length is one bisection of the table.
    constexpr size_t longestName = 10;  // "BACKSPACE", "LEFTBRACE", "RIGHTBRACE", ...
    for (size_t length = std::min(content.size(), longestName); length > 0; --length) {
        std::string_view prefix = content.substr(0, length);
        const KeyName* end = KeyNames + KeyNameCount;
        const KeyName* row = std::lower_bound(KeyNames, end, prefix, [](const KeyName& row, std::string_view key) {
            return CompareNoCase(row.name, key) < 0;
        });
        if (row != end && CompareNoCase(row->name, prefix) == 0)
            return row;
    }
    return nullptr;
}
