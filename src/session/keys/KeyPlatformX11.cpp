// The keystroke seam on X11: XTest key events, Windows virtual keys translated against the current
// XKB layout, window lookup and activation, all on a Display connection of our own so that focus
// changes and key events reach the server in order and X errors never reach the toolkit's handler.
#include "session/keys/KeyPlatform.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <map>
#include <set>
#include <thread>
#include <unordered_map>
#include <vector>

namespace {

// ---------------------------------------------------------------------------------------------
// X errors on our connection (a window that vanished, an unviewable focus target) are expected and
// harmless. Xlib's handler is process-wide, so ours is installed only around the calls that can
// fail and hands errors of other connections (the toolkit's) to the handler it replaced.
class ErrorTrap {
public:
    explicit ErrorTrap(Display* display) : display(display)
    {
        outer = current;
        current = this;
        previous = XSetErrorHandler(&ErrorTrap::Handle);
    }
    ~ErrorTrap()
    {
        XSync(display, False);
        XSetErrorHandler(previous);
        current = outer;
    }
    bool Failed()
    {
        XSync(display, False);
        return errors > 0;
    }

private:
    static int Handle(Display* display, XErrorEvent* event)
    {
        for (ErrorTrap* trap = current; trap; trap = trap->outer)
            if (trap->display == display) {
                ++trap->errors;
                return 0;
            }
        // Not ours: the handler that was in place before our outermost trap.
        ErrorTrap* outermost = current;
        while (outermost && outermost->outer)
            outermost = outermost->outer;
        return outermost && outermost->previous ? outermost->previous(display, event) : 0;
    }

    static inline ErrorTrap* current = nullptr;
    Display* display;
    ErrorTrap* outer;
    int (*previous)(Display*, XErrorEvent*) = nullptr;
    int errors = 0;
};

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

// How long a spare keycode stays bound after its last key: time for the target window to read it.
constexpr std::chrono::milliseconds SpareKeyGrace(500);

// How to produce one keysym: the key, and the modifier keys held around it.
struct KeyStroke {
    KeyCode keycode = 0;
    bool shift = false;
    std::vector<KeyCode> extra;  // modifier keys other than Shift (e.g. ISO_Level3_Shift for AltGr)
    int cost = 1 << 30;
};

class KeyPlatformX11 : public KeyPlatform {
public:
    explicit KeyPlatformX11(Display* display) : display(display)
    {
        int event, error, major = XkbMajorVersion, minor = XkbMinorVersion, opcode;
        haveXkb = XkbQueryExtension(display, &opcode, &event, &error, &major, &minor);
        LoadLayout();
    }
    ~KeyPlatformX11() override
    {
        ReleaseAll();
        // Keys typed just now through spare keycodes may not have been read yet (the program may
        // be closing right after a broadcast): give their readers the same half second first.
        XSync(display, False);
        std::vector<KeyCode> bound;
        auto lastUse = std::chrono::steady_clock::time_point();
        for (auto& binding : bindings) {
            bound.push_back(binding.first);
            lastUse = std::max(lastUse, binding.second.lastUse);
        }
        auto settled = lastUse + SpareKeyGrace;
        if (!bound.empty() && settled > std::chrono::steady_clock::now())
            std::this_thread::sleep_until(settled);
        for (KeyCode keycode : bound)
            Unbind(keycode);
        XSync(display, False);
        XCloseDisplay(display);
    }

    void BeginRun() override
    {
        // Mapping notices pile up on a connection nobody reads; the layout is read afresh anyway.
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MappingNotify)
                XRefreshKeyboardMapping(&event.xmapping);
        }
        ++run;
        LoadLayout();
    }

    void EndRun() override
    {
        ReleaseAll();
        // A spare keycode typed in this run stays bound at least until a later run is over and
        // half a second has passed: the target window reads the keymap only when it handles the
        // keys, which may well be after we return.
        auto now = std::chrono::steady_clock::now();
        std::vector<KeyCode> stale;
        for (auto& [keycode, binding] : bindings)
            if (binding.lastRun < run && now - binding.lastUse > SpareKeyGrace)
                stale.push_back(keycode);
        for (KeyCode keycode : stale)
            Unbind(keycode);
        ErrorTrap trap(display);
    }

    void KeyEvent(uint8_t vk, uint8_t scan, uint32_t flags) override
    {
        const KeyStroke* stroke = StrokeForVk(vk);
        KeyStroke fromScan;
        if (!stroke && scan && scan + 8 >= minKeycode && scan + 8 <= maxKeycode) {
            fromScan.keycode = KeyCode(scan + 8);
            stroke = &fromScan;
        }
        if (!stroke || !stroke->keycode)
            return;
        if (flags & KEYFLAG_KEYUP) {
            Fake(stroke->keycode, false);
            for (auto it = stroke->extra.rbegin(); it != stroke->extra.rend(); ++it)
                Fake(*it, false);
        } else {
            for (KeyCode modifier : stroke->extra)
                Fake(modifier, true);
            Fake(stroke->keycode, true);
        }
    }

    void SendKeyPair(uint8_t vk) override
    {
        KeyEvent(vk, 0, 0);
        KeyEvent(vk, 0, KEYFLAG_KEYUP);
    }

    uint32_t MapVirtualKey(uint32_t vk) override
    {
        const KeyStroke* stroke = vk < 256 ? StrokeForVk(uint8_t(vk)) : nullptr;
        return stroke && stroke->keycode >= 8 ? uint32_t(stroke->keycode - 8) & 0xFF : 0;
    }

    uint16_t VkKeyScan(char32_t ch) override
    {
        if (ch == '\n')
            ch = '\r';  // a line break in a command is the Enter key
        const KeyStroke* found = nullptr;
        auto it = byCharacter.find(ch);
        if (it != byCharacter.end())
            found = &it->second;
        if (!found) {
            // Not on the layout: bind its keysym to a spare keycode (the binding enters the tables).
            KeySym sym = ch >= 0x20 ? xkb_utf32_to_keysym(uint32_t(ch)) : NoSymbol;
            KeyCode keycode;
            if (sym == NoSymbol || !BindSpare(sym, keycode) || (it = byCharacter.find(ch)) == byCharacter.end())
                return 0xFFFF;
            found = &it->second;
        }
        uint8_t vk = VkForStroke(*found);
        if (!vk)
            return 0xFFFF;
        return uint16_t((found->shift ? 0x100 : 0) | vk);
    }

    uint32_t GetVersion() override { return 0x0000000A; }  // reports the NT family: NumLock is a key press

    int16_t GetKeyState(int vk) override
    {
        uint8_t table[256];
        GetKeyboardState(table);
        return int16_t(((table[vk & 0xFF] & 0x80) ? 0x8000 : 0) | (table[vk & 0xFF] & 1));
    }

    void GetKeyboardState(uint8_t table[256]) override
    {
        std::memset(table, 0, 256);
        char keys[32];
        XQueryKeymap(display, keys);
        for (int vk = 1; vk < 256; ++vk) {
            const KeyStroke* stroke = FixedStroke(uint8_t(vk));
            if (stroke && (keys[stroke->keycode / 8] & (1 << (stroke->keycode % 8))))
                table[vk] |= 0x80;
        }
        if (haveXkb) {
            XkbStateRec state;
            XkbGetState(display, XkbUseCoreKbd, &state);
            if (state.locked_mods & LockMask)
                table[0x14] |= 1;
            if (numLockMask && (state.locked_mods & numLockMask))
                table[0x90] |= 1;
        }
    }

    void SetKeyboardState(const uint8_t table[256]) override
    {
        if (!haveXkb)
            return;
        unsigned affect = LockMask | numLockMask;
        unsigned values = ((table[0x14] & 1) ? LockMask : 0) | ((table[0x90] & 1) ? numLockMask : 0);
        XkbLockModifiers(display, XkbUseCoreKbd, affect, values);
        XFlush(display);
    }

    // The toolkit's own queue is not ours to dispatch; sending what we queued is what keeps the
    // order of events for the windows that read them.
    void PumpKeyboardMessages() override { XFlush(display); }

    void Sleep(uint32_t milliseconds) override
    {
        XFlush(display);
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }

    void Beep(uint32_t frequency, uint32_t milliseconds) override
    {
        ErrorTrap trap(display);
        XKeyboardState old;
        XGetKeyboardControl(display, &old);
        XKeyboardControl control;
        control.bell_pitch = int(std::min<uint32_t>(frequency, 32767));
        control.bell_duration = int(std::min<uint32_t>(milliseconds, 60000));
        XChangeKeyboardControl(display, KBBellPitch | KBBellDuration, &control);
        XBell(display, 0);
        control.bell_pitch = int(old.bell_pitch);
        control.bell_duration = int(old.bell_duration);
        XChangeKeyboardControl(display, KBBellPitch | KBBellDuration, &control);
        XSync(display, False);
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }

    NativeWindow FindWindowByTitle(const std::string& title) override
    {
        for (Window window : TopLevelWindows())
            if (WindowTitle(window) == title)
                return window;
        return 0;
    }

    void EnumTopLevelWindows(const std::function<bool(NativeWindow)>& visit) override
    {
        for (Window window : TopLevelWindows())
            if (!visit(window))
                return;
    }

    std::string GetWindowText(NativeWindow window) override { return WindowTitle(Window(window)); }

    // The window menu has no X11 counterpart.
    void SendHotKeyCommand(NativeWindow) override {}

    void ShowWindow(NativeWindow window) override
    {
        ErrorTrap trap(display);
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, Window(window), &attributes) && attributes.map_state == IsUnmapped)
            XMapWindow(display, Window(window));
    }

    void SetForegroundWindow(NativeWindow window) override { RaiseTopLevel(Window(window)); }

    void SetFocus(NativeWindow window) override { FocusWindow(Window(window)); }

private:
    struct Binding {
        KeySym sym;
        KeySym base;  // what the keycode types without modifiers once bound
        unsigned lastRun;
        std::chrono::steady_clock::time_point lastUse;
    };

    // ---- layout ------------------------------------------------------------------------------

    // Reads the current XKB layout and group: which key and modifiers type each keysym, and which
    // key each fixed virtual-key code stands for.
    void LoadLayout()
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
            LoadXkbLayout();
        else
            LoadCoreLayout();

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

        // Our spare bindings survive only if the layout still holds them.
        for (auto it = bindings.begin(); it != bindings.end();) {
            if (baseSym[it->first] != it->second.base)
                it = bindings.erase(it);
            else
                ++it;
        }
    }

    // Offers one way of typing sym; the cheapest way wins (fewest modifiers, main keys before the
    // keypad, whose keys terminals may turn into escape sequences).
    void Offer(KeySym sym, KeyStroke stroke)
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

    void LoadXkbLayout()
    {
        XkbDescPtr xkb = XkbGetMap(display, XkbKeyTypesMask | XkbKeySymsMask | XkbModifierMapMask, XkbUseCoreKbd);
        if (!xkb) {
            LoadCoreLayout();
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
    void LoadCoreLayout()
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

    const KeyStroke* FixedStroke(uint8_t vk) const { return fixed[vk].keycode ? &fixed[vk] : nullptr; }

    // The key a virtual-key code stands for: a fixed key of the layout, a key on loan, or a named
    // key the layout lacks (F13-F24 on most layouts), bound to a spare keycode on first use.
    const KeyStroke* StrokeForVk(uint8_t vk)
    {
        if (const KeyStroke* stroke = FixedStroke(vk)) {
            MarkUsed(stroke->keycode);
            return stroke;
        }
        auto loan = loans.find(vk);
        if (loan != loans.end())
            return &loan->second;
        auto named = NamedKeys().find(vk);
        KeyStroke stroke;
        if (named != NamedKeys().end() && BindSpare(named->second.front(), stroke.keycode)) {
            fixed[vk] = stroke;
            return &fixed[vk];
        }
        return nullptr;
    }

    // The virtual-key code under which the interpreter will hand the stroke back to KeyEvent.
    uint8_t VkForStroke(const KeyStroke& stroke)
    {
        MarkUsed(stroke.keycode);
        if (stroke.extra.empty() && keycodeVk[stroke.keycode])
            return keycodeVk[stroke.keycode];
        for (auto& [vk, loan] : loans)
            if (loan.keycode == stroke.keycode && loan.extra == stroke.extra)
                return vk;
        // Lend the next unassigned code; the oldest loan is long over by the time it comes round.
        const auto& pool = LoanableVks();
        for (size_t tries = 0; tries < pool.size(); ++tries) {
            uint8_t vk = pool[nextLoan++ % pool.size()];
            if (FixedStroke(vk))
                continue;
            KeyStroke loan = stroke;
            loan.shift = false;
            loans[vk] = loan;
            return vk;
        }
        return 0;
    }

    // Binds sym to a keycode that no key of the layout uses (reusing our own binding of it).
    bool BindSpare(KeySym sym, KeyCode& keycode)
    {
        for (auto& [kc, binding] : bindings)
            if (binding.sym == sym) {
                keycode = kc;
                MarkUsed(kc);
                return true;
            }
        KeyCode chosen = 0;
        for (KeyCode kc : freeKeycodes)
            if (!bindings.count(kc) && kc > 8) {
                chosen = kc;
                break;
            }
        if (!chosen) {
            // All spare keycodes are taken: rebind the one used longest ago, once the window
            // that received its last key has had time to read it, so no character is lost.
            auto oldest = std::chrono::steady_clock::time_point::max();
            for (auto& [kc, binding] : bindings)
                if (!IsDown(kc) && binding.lastUse < oldest) {
                    oldest = binding.lastUse;
                    chosen = kc;
                }
            if (!chosen)
                return false;
            XSync(display, False);
            std::this_thread::sleep_until(oldest + SpareKeyGrace);
            Forget(chosen);
        }
        ErrorTrap trap(display);
        KeySym pair[2] = {sym, sym};
        KeySym lower, upper;
        XConvertCase(sym, &lower, &upper);
        if (lower != upper)
            pair[0] = lower, pair[1] = upper;
        XChangeKeyboardMapping(display, chosen, 2, pair, 1);
        if (trap.Failed())
            return false;
        bindings[chosen] = Binding{sym, pair[0], run, std::chrono::steady_clock::now()};
        baseSym[chosen] = pair[0];
        KeyStroke stroke;
        stroke.keycode = chosen;
        stroke.shift = sym == upper && lower != upper;
        stroke.cost = 0;
        bySym[sym] = stroke;
        if (uint32_t ch = xkb_keysym_to_utf32(uint32_t(sym)))
            byCharacter[ch] = stroke;
        keycode = chosen;
        return true;
    }

    // A spare keycode typed in this run must stay bound until the run after it.
    void MarkUsed(KeyCode keycode)
    {
        auto it = bindings.find(keycode);
        if (it != bindings.end()) {
            it->second.lastRun = run;
            it->second.lastUse = std::chrono::steady_clock::now();
        }
    }

    // Drops everything the tables know about a spare keycode we are about to rebind.
    void Forget(KeyCode keycode)
    {
        KeySym sym = bindings[keycode].sym;
        bindings.erase(keycode);
        bySym.erase(sym);
        if (uint32_t ch = xkb_keysym_to_utf32(uint32_t(sym)))
            byCharacter.erase(ch);
        for (auto& s : fixed)
            if (s.keycode == keycode)
                s = KeyStroke();
        for (auto it = loans.begin(); it != loans.end();)
            it = it->second.keycode == keycode ? loans.erase(it) : std::next(it);
    }

    void Unbind(KeyCode keycode)
    {
        ErrorTrap trap(display);
        KeySym none = NoSymbol;
        XChangeKeyboardMapping(display, keycode, 1, &none, 1);
        Forget(keycode);
    }

    // ---- key events --------------------------------------------------------------------------

    bool IsDown(KeyCode keycode) const { return down.count(keycode) != 0; }

    void Fake(KeyCode keycode, bool press)
    {
        XTestFakeKeyEvent(display, keycode, press ? True : False, CurrentTime);
        if (press)
            down.insert(keycode);
        else
            down.erase(keycode);
    }

    // Lifts every key this layer pressed and has not released: no run ends with a key down.
    void ReleaseAll()
    {
        std::vector<KeyCode> keys(down.begin(), down.end());
        for (KeyCode keycode : keys)
            Fake(keycode, false);
        XFlush(display);
    }

    // ---- windows -----------------------------------------------------------------------------

    Atom Intern(const char* name) { return XInternAtom(display, name, False); }

    bool HasProperty(Window window, Atom property)
    {
        Atom type = None;
        int format;
        unsigned long items, after;
        unsigned char* data = nullptr;
        bool has = XGetWindowProperty(display, window, property, 0, 0, False, AnyPropertyType, &type, &format, &items,
                                      &after, &data) == Success &&
                   type != None;
        if (data)
            XFree(data);
        return has;
    }

    Window WindowProperty(Window window, Atom property)
    {
        Atom type = None;
        int format = 0;
        unsigned long items = 0, after;
        unsigned char* data = nullptr;
        Window value = 0;
        if (XGetWindowProperty(display, window, property, 0, 1, False, XA_WINDOW, &type, &format, &items, &after,
                               &data) == Success &&
            type == XA_WINDOW && format == 32 && items == 1)
            value = *reinterpret_cast<Window*>(data);
        if (data)
            XFree(data);
        return value;
    }

    // An EWMH window manager runs when the root names a check window that names itself.
    bool WindowManagerRuns()
    {
        ErrorTrap trap(display);
        Atom check = Intern("_NET_SUPPORTING_WM_CHECK");
        Window wm = WindowProperty(DefaultRootWindow(display), check);
        return wm && WindowProperty(wm, check) == wm && !trap.Failed();
    }

    std::string WindowTitle(Window window)
    {
        ErrorTrap trap(display);
        Atom type = None;
        int format = 0;
        unsigned long items = 0, after;
        unsigned char* data = nullptr;
        std::string title;
        if (XGetWindowProperty(display, window, Intern("_NET_WM_NAME"), 0, 4096, False, Intern("UTF8_STRING"), &type,
                               &format, &items, &after, &data) == Success &&
            data && format == 8 && type == Intern("UTF8_STRING"))
            title.assign(reinterpret_cast<char*>(data), items);
        if (data)
            XFree(data);
        if (!title.empty())
            return title;
        XTextProperty text;
        if (XGetWMName(display, window, &text) && text.value) {
            char** list = nullptr;
            int count = 0;
            if (Xutf8TextPropertyToTextList(display, &text, &list, &count) >= Success && list && count > 0)
                title = list[0];
            else
                title.assign(reinterpret_cast<char*>(text.value), text.nitems);
            if (list)
                XFreeStringList(list);
            XFree(text.value);
        }
        return title;
    }

    // The windows a user sees as top-level, topmost first: the window manager's client list in
    // stacking order when one runs (one request instead of a walk through its frames), else the
    // mapped children of the root.
    std::vector<Window> TopLevelWindows()
    {
        std::vector<Window> result;
        Window root = DefaultRootWindow(display);
        if (WindowManagerRuns()) {
            ErrorTrap trap(display);
            for (const char* name : {"_NET_CLIENT_LIST_STACKING", "_NET_CLIENT_LIST"}) {
                Atom type = None;
                int format = 0;
                unsigned long items = 0, after;
                unsigned char* data = nullptr;
                if (XGetWindowProperty(display, root, Intern(name), 0, 65536, False, XA_WINDOW, &type, &format, &items,
                                       &after, &data) == Success &&
                    type == XA_WINDOW && format == 32 && data)
                    result.assign(reinterpret_cast<Window*>(data), reinterpret_cast<Window*>(data) + items);
                if (data)
                    XFree(data);
                if (!result.empty()) {
                    std::reverse(result.begin(), result.end());
                    return result;
                }
            }
        }
        ErrorTrap trap(display);
        Window parent, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display, root, &root, &parent, &children, &count))
            return result;
        std::vector<Window> tops(children, children + count);
        if (children)
            XFree(children);
        for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
            XWindowAttributes attributes;
            if (XGetWindowAttributes(display, *it, &attributes) && !attributes.override_redirect &&
                attributes.map_state == IsViewable)
                result.push_back(*it);
        }
        return result;
    }

    // The managed top-level window that holds window (itself, or the frame an embedded window was
    // re-parented into), and the root's child above it. False when the window does not exist.
    bool TopLevelOf(Window window, Window& client, Window& rootChild)
    {
        Atom wmState = Intern("WM_STATE");
        client = 0;
        rootChild = window;
        Window current = window;
        for (int depth = 0; depth < 64; ++depth) {
            if (HasProperty(current, wmState))
                client = current;
            Window root, parent, *children = nullptr;
            unsigned count = 0;
            if (!XQueryTree(display, current, &root, &parent, &children, &count)) {
                if (depth == 0)
                    return false;
                break;
            }
            if (children)
                XFree(children);
            rootChild = current;
            if (parent == root || parent == 0)
                break;
            current = parent;
        }
        if (!client)
            client = rootChild;
        return true;
    }

    // Brings the window's top-level to the front. A window manager is asked through
    // _NET_ACTIVE_WINDOW (as a pager, so that focus-stealing prevention lets it through) and given
    // up to a second to do it, so that its own focus change cannot land after ours.
    void RaiseTopLevel(Window window)
    {
        Window client, rootChild;
        {
            ErrorTrap trap(display);
            if (!TopLevelOf(window, client, rootChild))
                return;  // gone
        }
        Window root = DefaultRootWindow(display);
        if (!WindowManagerRuns()) {
            ErrorTrap trap(display);
            XRaiseWindow(display, rootChild);
            return;
        }
        Atom active = Intern("_NET_ACTIVE_WINDOW");
        auto focusIn = [&](Window& focus) {
            ErrorTrap trap(display);
            int revert;
            XGetInputFocus(display, &focus, &revert);
            return WindowProperty(root, active) == client && IsInside(focus, rootChild);
        };
        // Asking again for the active window makes the manager focus its frame once more, later,
        // in the middle of the typing: only a window that is not active yet is asked for.
        Window focus = None;
        if (focusIn(focus))
            return;
        {
            ErrorTrap trap(display);
            XEvent event{};
            event.xclient.type = ClientMessage;
            event.xclient.window = client;
            event.xclient.message_type = active;
            event.xclient.format = 32;
            event.xclient.data.l[0] = 2;
            event.xclient.data.l[1] = CurrentTime;
            XSendEvent(display, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
        }
        // Done when the focus has been inside the window for a moment: the program that owns it
        // may still move the focus within its own windows when the manager hands it over.
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        Window settledOn = None;
        auto settledSince = std::chrono::steady_clock::now();
        while (std::chrono::steady_clock::now() < deadline) {
            bool inside = focusIn(focus);
            if (!inside || focus != settledOn) {
                settledOn = inside ? focus : None;
                settledSince = std::chrono::steady_clock::now();
            } else if (std::chrono::steady_clock::now() - settledSince >= std::chrono::milliseconds(30)) {
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    bool IsInside(Window window, Window ancestor)
    {
        for (int depth = 0; depth < 64 && window && window != PointerRoot; ++depth) {
            if (window == ancestor)
                return true;
            Window root, parent, *children = nullptr;
            unsigned count = 0;
            if (!XQueryTree(display, window, &root, &parent, &children, &count))
                return false;
            if (children)
                XFree(children);
            if (parent == root)
                return false;
            window = parent;
        }
        return false;
    }

    // Gives window the keyboard focus. X refuses the focus to a window that is not viewable, so a
    // window that was just mapped is given a moment to appear.
    void FocusWindow(Window window)
    {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        for (;;) {
            ErrorTrap trap(display);
            XWindowAttributes attributes;
            if (!XGetWindowAttributes(display, window, &attributes))
                return;  // gone
            if (attributes.map_state == IsViewable || std::chrono::steady_clock::now() >= deadline)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        ErrorTrap trap(display);
        XSetInputFocus(display, window, RevertToParent, CurrentTime);
    }

    Display* display;
    bool haveXkb = false;
    int minKeycode = 8, maxKeycode = 255;
    unsigned run = 0;
    unsigned numLockMask = 0;
    std::unordered_map<KeySym, KeyStroke> bySym;
    std::unordered_map<uint32_t, KeyStroke> byCharacter;
    KeyStroke fixed[256];
    uint8_t keycodeVk[256] = {};
    KeySym baseSym[256] = {};
    std::map<uint8_t, KeyStroke> loans;
    size_t nextLoan = 0;
    std::vector<KeyCode> freeKeycodes;
    std::map<KeyCode, Binding> bindings;
    std::set<KeyCode> down;
};

// Stands in when there is no X display: types nothing, finds no window.
class NoDisplayKeyPlatform : public KeyPlatform {
public:
    void KeyEvent(uint8_t, uint8_t, uint32_t) override {}
    void SendKeyPair(uint8_t) override {}
    uint32_t MapVirtualKey(uint32_t) override { return 0; }
    uint16_t VkKeyScan(char32_t) override { return 0xFFFF; }
    uint32_t GetVersion() override { return 0x0000000A; }
    int16_t GetKeyState(int) override { return 0; }
    void GetKeyboardState(uint8_t table[256]) override { std::memset(table, 0, 256); }
    void SetKeyboardState(const uint8_t*) override {}
    void PumpKeyboardMessages() override {}
    void Sleep(uint32_t milliseconds) override { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }
    void Beep(uint32_t, uint32_t milliseconds) override { Sleep(milliseconds); }
    NativeWindow FindWindowByTitle(const std::string&) override { return 0; }
    void EnumTopLevelWindows(const std::function<bool(NativeWindow)>&) override {}
    std::string GetWindowText(NativeWindow) override { return ""; }
    void SendHotKeyCommand(NativeWindow) override {}
    void ShowWindow(NativeWindow) override {}
    void SetForegroundWindow(NativeWindow) override {}
    void SetFocus(NativeWindow) override {}
};

}  // namespace

std::unique_ptr<KeyPlatform> CreateSystemKeyPlatform()
{
    Display* display = XOpenDisplay(nullptr);
    int event, error, major, minor;
    if (display && XTestQueryExtension(display, &event, &error, &major, &minor))
        return std::make_unique<KeyPlatformX11>(display);
    if (display)
        XCloseDisplay(display);
    return std::make_unique<NoDisplayKeyPlatform>();
}
