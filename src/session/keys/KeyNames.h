#pragma once
// The key names a script may use in braces ({ENTER}, {F5}, {LEFTBRACE}, ...), sorted by name so
// that the longest name a token begins with is found by bisection.
#include <cstddef>
#include <cstdint>
#include <string_view>

struct KeyName {
    const char* name;  // upper-case ASCII
    uint8_t key;       // a virtual-key code, or with `character` a character typed through the layout
    bool character;
};

constexpr size_t KeyNameCount = 71;
extern const KeyName KeyNames[KeyNameCount];

// The row whose name is the longest one that content begins with (ASCII letters compared without
// regard to case), or nullptr.
const KeyName* FindKeyName(std::string_view content);

// The ten navigation keys whose events carry the extended-key flag, as the bytes of their codes.
constexpr std::string_view ExtendedKeys{"&(%'$#!\"-.", 10};
inline bool IsExtendedKey(uint8_t vk) { return vk != 0 && ExtendedKeys.find(char(vk)) != std::string_view::npos; }
