#include "session/keys/KeyLayoutX11.h"

#include <X11/XKBlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>

namespace {

bool IsLockKeysym(KeySym sym)
{
    return sym == XK_Caps_Lock || sym == XK_Shift_Lock || sym == XK_Num_Lock || sym == XK_Scroll_Lock ||
           sym == XK_ISO_Level3_Lock || sym == XK_ISO_Level5_Lock || sym == XK_ISO_Lock;
}

// Keysyms for the virtual keys that do not stand for a character of the layout.
const std::map<uint8_t, std::vector<KeySym>>& NamedKeys()
{
    static const std::map<uint8_t, std::vector<KeySym>> keys = [] {
        std::map<uint8_t, std::vector<KeySym>> k = {
            {0x03, {XK_Break, XK_Pause}}, {0x08, {XK_BackSpace}}, {0x09, {XK_Tab}},
            {0x0C, {XK_KP_Begin, XK_Clear}}, {0x0D, {XK_Return}}, {0x10, {XK_Shift_L}},
            {0x11, {XK_Control_L}}, {0x12, {XK_Alt_L, XK_Meta_L}}, {0x13, {XK_Pause}},
            {0x14, {XK_Caps_Lock}}, {0x1B, {XK_Escape}}, {0x20, {XK_space}},
            {0x21, {XK_Prior}}, {0x22, {XK_Next}}, {0x23, {XK_End}}, {0x24, {XK_Home}},
            {0x25, {XK_Left}}, {0x26, {XK_Up}}, {0x27, {XK_Right}}, {0x28, {XK_Down}},
            {0x29, {XK_Select}}, {0x2A, {XK_Print}}, {0x2B, {XK_Execute}}, {0x2C, {XK_Print}},
            {0x2D, {XK_Insert}}, {0x2E, {XK_Delete}}, {0x2F, {XK_Help}},
            {0x5B, {XK_Super_L}}, {0x5C, {XK_Super_R}}, {0x5D, {XK_Menu}},
            {0x6A, {XK_KP_Multiply}}, {0x6B, {XK_KP_Add}}, {0x6C, {XK_KP_Separator, XK_KP_Decimal}},
            {0x6D, {XK_KP_Subtract}}, {0x6E, {XK_KP_Decimal}}, {0x6F, {XK_KP_Divide}},
            {0x90, {XK_Num_Lock}}, {0x91, {XK_Scroll_Lock}},
            {0xA0, {XK_Shift_L}}, {0xA1, {XK_Shift_R}}, {0xA2, {XK_Control_L}}, {0xA3, {XK_Control_R}},
            {0xA4, {XK_Alt_L}}, {0xA5, {XK_Alt_R, XK_ISO_Level3_Shift}},
        };
        for (int i = 0; i < 10; ++i)
            k[uint8_t(0x60 + i)] = {KeySym(XK_KP_0 + i)};
        for (int i = 0; i < 24; ++i)
            k[uint8_t(0x70 + i)] = {KeySym(XK_F1 + i)};
        return k;
    }();
    return keys;
}

// Character keys: letters and digits are themselves; the punctuation keys are named after the
// character they carry on a US keyboard.
KeySym CharacterKeysym(uint8_t vk)
{
    if (vk >= 'A' && vk <= 'Z')
        return XK_a + (vk - 'A');
    if (vk >= '0' && vk <= '9')
        return XK_0 + (vk - '0');
    switch (vk) {
    case 0xBA: return XK_semicolon;
    case 0xBB: return XK_equal;
    case 0xBC: return XK_comma;
    case 0xBD: return XK_minus;
    case 0xBE: return XK_period;
    case 0xBF: return XK_slash;
    case 0xC0: return XK_grave;
    case 0xDB: return XK_bracketleft;
    case 0xDC: return XK_backslash;
    case 0xDD: return XK_bracketright;
    case 0xDE: return XK_apostrophe;
    case 0xE2: return XK_less;
    default: return NoSymbol;
    }
}

// Virtual-key codes Windows leaves unassigned: the layer lends them to keys that no fixed code
// names (a level-three character, a character bound to a spare keycode) for the time of one press.
const std::vector<uint8_t>& LoanableVks()
{
    static const std::vector<uint8_t> vks = [] {
        std::vector<uint8_t> v = {0x07, 0x0A, 0x0B, 0x0E, 0x0F, 0xB8, 0xB9, 0xE0, 0xE8};
        for (int c = 0x3A; c <= 0x40; ++c)
            v.push_back(uint8_t(c));
        for (int c = 0x88; c <= 0x8F; ++c)
            v.push_back(uint8_t(c));
        for (int c = 0x97; c <= 0x9F; ++c)
            v.push_back(uint8_t(c));
        for (int c = 0xC1; c <= 0xDA; ++c)
            v.push_back(uint8_t(c));
        return v;
    }();
    return vks;
}

}  // namespace

const std::vector<KeySym>* KeyLayoutX11::NamedKeysyms(uint8_t vk)
{
    auto named = NamedKeys().find(vk);
    return named == NamedKeys().end() ? nullptr : &named->second;
}

// Reads the current XKB layout and group: which key and modifiers type each keysym, and which key
// each fixed virtual-key code stands for.
void KeyLayoutX11::Load(Display* display, bool haveXkb)
{
    bySym.clear();
    byCharacter.clear();
    for (auto& s : fixed)
        s = KeyStroke();
    for (auto& sym : baseSym)
        sym = NoSymbol;
    loans.clear();
    freeKeycodes.clear();
    numLockMask = 0;
    XDisplayKeycodes(display, &minKeycode, &maxKeycode);
    if (haveXkb)
        LoadXkb(display);
    else
        LoadCore(display);

    // Fixed virtual keys, first come first served for the reverse lookup: character keys
    // before named ones, so that the key typing "a" reads back as VK 'A'.
    for (auto& owner : keycodeVk)
        owner = 0;
    auto assign = [&](uint8_t vk, KeySym sym) {
        auto it = bySym.find(sym);
        if (it == bySym.end() || fixed[vk].keycode)
            return;
        fixed[vk].keycode = it->second.keycode;
        if (!keycodeVk[it->second.keycode])
            keycodeVk[it->second.keycode] = vk;
    };
    for (int vk = 0; vk < 256; ++vk)
        if (KeySym sym = CharacterKeysym(uint8_t(vk)))
            assign(uint8_t(vk), sym);
    for (auto& [vk, syms] : NamedKeys())
        for (KeySym sym : syms)
            assign(vk, sym);
}

// Offers one way of typing sym; the cheapest way wins (fewest modifiers, main keys before the
// keypad, whose keys terminals may turn into escape sequences).
void KeyLayoutX11::Offer(KeySym sym, KeyStroke stroke)
{
    if (sym == NoSymbol)
        return;
    stroke.cost = (stroke.shift ? 1 : 0) + 2 * int(stroke.extra.size()) + (IsKeypadKey(sym) ? 10 : 0);
    auto it = bySym.find(sym);
    if (it == bySym.end() || stroke.cost < it->second.cost)
        bySym[sym] = stroke;
    if (uint32_t ch = xkb_keysym_to_utf32(uint32_t(sym))) {
        auto c = byCharacter.find(ch);
        if (c == byCharacter.end() || stroke.cost < c->second.cost)
            byCharacter[ch] = stroke;
    }
}

void KeyLayoutX11::LoadXkb(Display* display)
{
    XkbDescPtr xkb = XkbGetMap(display, XkbKeyTypesMask | XkbKeySymsMask | XkbModifierMapMask, XkbUseCoreKbd);
    if (!xkb) {
        LoadCore(display);
        return;
    }
    XkbStateRec state;
    XkbGetState(display, XkbUseCoreKbd, &state);

    // A key that sets each real modifier (not a lock: pressing it would toggle it).
    KeyCode modifierKey[8] = {};
    for (int kc = xkb->min_key_code; kc <= xkb->max_key_code; ++kc) {
        unsigned char mods = xkb->map->modmap[kc];
        KeySym base = XkbKeyNumSyms(xkb, kc) ? XkbKeySymEntry(xkb, kc, 0, 0) : NoSymbol;
        if (base == XK_Num_Lock)
            numLockMask |= mods;
        if (!mods || IsLockKeysym(base) || base == NoSymbol)
            continue;
        for (int bit = 0; bit < 8; ++bit)
            if ((mods & (1 << bit)) && !modifierKey[bit])
                modifierKey[bit] = KeyCode(kc);
    }

    for (int kc = xkb->min_key_code; kc <= xkb->max_key_code; ++kc) {
        int groups = XkbKeyNumGroups(xkb, kc);
        if (groups == 0) {
            if (!xkb->map->modmap[kc])
                freeKeycodes.push_back(KeyCode(kc));
            continue;
        }
        baseSym[kc] = XkbKeySymEntry(xkb, kc, 0, 0);
        int group = state.group < groups ? state.group : state.group % groups;
        XkbKeyTypePtr type = XkbKeyKeyType(xkb, kc, group);
        for (int level = 0; level < type->num_levels; ++level) {
            KeySym sym = XkbKeySymEntry(xkb, kc, level, group);
            if (sym == NoSymbol)
                continue;
            // The modifiers that select this level; level 0 needs none.
            bool reachable = level == 0;
            unsigned mask = 0;
            for (int e = 0; e < type->map_count && level > 0; ++e) {
                const XkbKTMapEntryRec& entry = type->map[e];
                if (entry.active && entry.level == level &&
                    (!reachable || __builtin_popcount(entry.mods.mask) < __builtin_popcount(mask))) {
                    reachable = true;
                    mask = entry.mods.mask;
                }
            }
            if (!reachable || (mask & LockMask))
                continue;
            KeyStroke stroke;
            stroke.keycode = KeyCode(kc);
            stroke.shift = mask & ShiftMask;
            bool possible = true;
            for (int bit = 2; bit < 8 && possible; ++bit)
                if (mask & (1 << bit)) {
                    possible = modifierKey[bit] != 0;
                    stroke.extra.push_back(modifierKey[bit]);
                }
            if (possible)
                Offer(sym, stroke);
        }
    }
    XkbFreeKeyboard(xkb, 0, True);
}

// Without XKB: the core keymap's first two columns (plain and shifted).
void KeyLayoutX11::LoadCore(Display* display)
{
    int perKeycode = 0;
    int count = maxKeycode - minKeycode + 1;
    KeySym* syms = XGetKeyboardMapping(display, KeyCode(minKeycode), count, &perKeycode);
    if (!syms)
        return;
    for (int i = 0; i < count; ++i) {
        KeyCode kc = KeyCode(minKeycode + i);
        baseSym[kc] = syms[i * perKeycode];
        bool empty = true;
        for (int column = 0; column < perKeycode; ++column)
            empty = empty && syms[i * perKeycode + column] == NoSymbol;
        if (empty) {
            freeKeycodes.push_back(kc);
            continue;
        }
        for (int column = 0; column < std::min(perKeycode, 2); ++column) {
            KeyStroke stroke;
            stroke.keycode = kc;
            stroke.shift = column == 1;
            Offer(syms[i * perKeycode + column], stroke);
        }
    }
    XFree(syms);
}

// The virtual-key code under which the interpreter will hand the stroke back to KeyEvent.
uint8_t KeyLayoutX11::VkFor(const KeyStroke& stroke)
{
    if (stroke.extra.empty() && keycodeVk[stroke.keycode])
        return keycodeVk[stroke.keycode];
    for (auto& [vk, loan] : loans)
        if (loan.keycode == stroke.keycode && loan.extra == stroke.extra)
            return vk;
    // Lend the next unassigned code; the oldest loan is long over by the time it comes round.
    const auto& pool = LoanableVks();
    for (size_t tries = 0; tries < pool.size(); ++tries) {
        uint8_t vk = pool[nextLoan++ % pool.size()];
        if (Fixed(vk))
            continue;
        KeyStroke loan = stroke;
        loan.shift = false;
        loans[vk] = loan;
        return vk;
    }
    return 0;
}

const KeyStroke* KeyLayoutX11::Loan(uint8_t vk) const
{
    auto loan = loans.find(vk);
    return loan == loans.end() ? nullptr : &loan->second;
}

const KeyStroke* KeyLayoutX11::ForCharacter(char32_t ch) const
{
    auto it = byCharacter.find(uint32_t(ch));
    return it == byCharacter.end() ? nullptr : &it->second;
}

void KeyLayoutX11::AddBound(KeySym sym, KeySym base, KeyCode keycode, bool shifted)
{
    baseSym[keycode] = base;
    KeyStroke stroke;
    stroke.keycode = keycode;
    stroke.shift = shifted;
    stroke.cost = 0;
    bySym[sym] = stroke;
    if (uint32_t ch = xkb_keysym_to_utf32(uint32_t(sym)))
        byCharacter[ch] = stroke;
}

void KeyLayoutX11::Drop(KeyCode keycode, KeySym sym)
{
    bySym.erase(sym);
    if (uint32_t ch = xkb_keysym_to_utf32(uint32_t(sym)))
        byCharacter.erase(ch);
    for (auto& s : fixed)
        if (s.keycode == keycode)
            s = KeyStroke();
    for (auto it = loans.begin(); it != loans.end();)
        it = it->second.keycode == keycode ? loans.erase(it) : std::next(it);
}
