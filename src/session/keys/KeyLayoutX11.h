#pragma once
// The current keyboard layout as the keystroke layer needs it: which key and modifiers type each
// keysym and character, which key each fixed Windows virtual-key code stands for, and the
// unassigned virtual-key codes lent for a while to keys no fixed code names. Read afresh from XKB
// (or the core keymap) at the start of every run.
#include <X11/Xlib.h>

#include <cstdint>
#include <map>
#include <unordered_map>
#include <vector>

// How to produce one keysym: the key, and the modifier keys held around it.
struct KeyStroke {
    KeyCode keycode = 0;
    bool shift = false;
    std::vector<KeyCode> extra;  // modifier keys other than Shift (e.g. ISO_Level3_Shift for AltGr)
    int cost = 1 << 30;
};

class KeyLayoutX11 {
public:
    // The keysyms a named virtual key (one that stands for no character) may be found under.
    static const std::vector<KeySym>* NamedKeysyms(uint8_t vk);

    void Load(Display* display, bool haveXkb);

    int MinKeycode() const { return minKeycode; }
    int MaxKeycode() const { return maxKeycode; }
    unsigned NumLockMask() const { return numLockMask; }
    // What the keycode types without modifiers, NoSymbol for a keycode no key uses.
    KeySym BaseSym(KeyCode keycode) const { return baseSym[keycode]; }
    // Keycodes no key of the layout uses: room for characters the layout lacks.
    const std::vector<KeyCode>& FreeKeycodes() const { return freeKeycodes; }

    // The key of a fixed virtual-key code, or null.
    const KeyStroke* Fixed(uint8_t vk) const { return fixed[vk].keycode ? &fixed[vk] : nullptr; }
    void SetFixed(uint8_t vk, const KeyStroke& stroke) { fixed[vk] = stroke; }
    // The key on loan under vk, or null.
    const KeyStroke* Loan(uint8_t vk) const;
    // The cheapest key that types ch, or null.
    const KeyStroke* ForCharacter(char32_t ch) const;
    // The virtual-key code under which the interpreter will hand the stroke back (lending one when
    // no fixed code stands for it); 0 when none is left.
    uint8_t VkFor(const KeyStroke& stroke);

    // A keycode of ours now types sym (with Shift when shifted).
    void AddBound(KeySym sym, KeySym base, KeyCode keycode, bool shifted);
    // Drops everything known of a keycode of ours that typed sym.
    void Drop(KeyCode keycode, KeySym sym);

private:
    void Offer(KeySym sym, KeyStroke stroke);
    void LoadXkb(Display* display);
    void LoadCore(Display* display);

    int minKeycode = 8, maxKeycode = 255;
    unsigned numLockMask = 0;
    std::unordered_map<KeySym, KeyStroke> bySym;
    std::unordered_map<uint32_t, KeyStroke> byCharacter;
    KeyStroke fixed[256];
    uint8_t keycodeVk[256] = {};
    KeySym baseSym[256] = {};
    std::map<uint8_t, KeyStroke> loans;
    size_t nextLoan = 0;
    std::vector<KeyCode> freeKeycodes;
};
