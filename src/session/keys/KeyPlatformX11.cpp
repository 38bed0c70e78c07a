// The keystroke seam on X11: XTest key events, Windows virtual keys translated against the current
// XKB layout (KeyLayoutX11, SpareKeycodesX11), and window lookup and activation (ForeignWindowsX11).
// In the program it types on the toolkit's own connection, where the program also moves the focus
// between its pages, so that focus changes and the key events after them reach the server in the
// order they were made; without a toolkit it opens a connection of its own.
#include "session/keys/KeyPlatform.h"

#include "session/ForeignWindowsX11.h"
#include "session/X11ErrorTrap.h"
#include "session/keys/KeyEventsX11.h"
#include "session/keys/KeyLayoutX11.h"
#include "session/keys/SpareKeycodesX11.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace {

// The connection the layer types on; closed with the layer when it opened it itself.
struct Connection {
    Display* display;
    bool owned;
    ~Connection()
    {
        if (owned)
            XCloseDisplay(display);
    }
};

class KeyPlatformX11 : public KeyPlatform {
public:
    KeyPlatformX11(Display* display, bool owned)
        : connection{display, owned}, display(display), keys(display), spare(display, layout, keys)
    {
        int event, error, major = XkbMajorVersion, minor = XkbMinorVersion, opcode;
        haveXkb = XkbQueryExtension(display, &opcode, &event, &error, &major, &minor);
        LoadLayout();
    }
    // Lifts every key still down; the spare keycodes are unbound next, then the connection closes.
    ~KeyPlatformX11() override { keys.ReleaseAll(); }

    void BeginRun() override
    {
        // Mapping notices pile up on a connection nobody reads; the layout is read afresh anyway.
        // The toolkit reads its own connection.
        while (connection.owned && XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MappingNotify)
                XRefreshKeyboardMapping(&event.xmapping);
        }
        spare.BeginRun();
        LoadLayout();
    }

    void EndRun() override
    {
        keys.ReleaseAll();
        spare.EndRun();
        X11ErrorTrap trap(display);
    }

    void KeyEvent(uint8_t vk, uint8_t scan, uint32_t flags) override
    {
        const KeyStroke* stroke = StrokeForVk(vk);
        KeyStroke fromScan;
        if (!stroke && scan && scan + 8 >= layout.MinKeycode() && scan + 8 <= layout.MaxKeycode()) {
            fromScan.keycode = KeyCode(scan + 8);
            stroke = &fromScan;
        }
        if (!stroke || !stroke->keycode)
            return;
        if (flags & KEYFLAG_KEYUP) {
            keys.Fake(stroke->keycode, false);
            for (auto it = stroke->extra.rbegin(); it != stroke->extra.rend(); ++it)
                keys.Fake(*it, false);
        } else {
            for (KeyCode modifier : stroke->extra)
                keys.Fake(modifier, true);
            keys.Fake(stroke->keycode, true);
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
        const KeyStroke* found = layout.ForCharacter(ch);
        if (!found) {
            // Not on the layout: bind its keysym to a spare keycode (the binding enters the tables).
            KeySym sym = ch >= 0x20 ? xkb_utf32_to_keysym(uint32_t(ch)) : NoSymbol;
            KeyCode keycode;
            if (sym == NoSymbol || !spare.Bind(sym, keycode) || !(found = layout.ForCharacter(ch)))
                return 0xFFFF;
        }
        spare.MarkUsed(found->keycode);
        uint8_t vk = layout.VkFor(*found);
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
        char pressed[32];
        XQueryKeymap(display, pressed);
        for (int vk = 1; vk < 256; ++vk) {
            const KeyStroke* stroke = layout.Fixed(uint8_t(vk));
            if (stroke && (pressed[stroke->keycode / 8] & (1 << (stroke->keycode % 8))))
                table[vk] |= 0x80;
        }
        if (haveXkb) {
            XkbStateRec state;
            XkbGetState(display, XkbUseCoreKbd, &state);
            if (state.locked_mods & LockMask)
                table[0x14] |= 1;
            if (layout.NumLockMask() && (state.locked_mods & layout.NumLockMask()))
                table[0x90] |= 1;
        }
    }

    void SetKeyboardState(const uint8_t table[256]) override
    {
        if (!haveXkb)
            return;
        unsigned affect = LockMask | layout.NumLockMask();
        unsigned values = ((table[0x14] & 1) ? LockMask : 0) | ((table[0x90] & 1) ? layout.NumLockMask() : 0);
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
        X11ErrorTrap trap(display);
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
        for (Window window : ForeignWindows::TopLevelWindows(display))
            if (ForeignWindows::Title(display, window) == title)
                return window;
        return 0;
    }

    void EnumTopLevelWindows(const std::function<bool(NativeWindow)>& visit) override
    {
        for (Window window : ForeignWindows::TopLevelWindows(display))
            if (!visit(window))
                return;
    }

    std::string GetWindowText(NativeWindow window) override { return ForeignWindows::Title(display, Window(window)); }

    // The window menu has no X11 counterpart.
    void SendHotKeyCommand(NativeWindow) override {}

    void ShowWindow(NativeWindow window) override { ForeignWindows::Show(display, Window(window)); }

    void SetForegroundWindow(NativeWindow window) override { ForeignWindows::RaiseTopLevel(display, Window(window)); }

    void SetFocus(NativeWindow window) override
    {
        ForeignWindows::Focus(display, Window(window), std::chrono::seconds(1), false);
    }

private:
    void LoadLayout()
    {
        layout.Load(display, haveXkb);
        spare.LayoutReloaded();
    }

    // The key a virtual-key code stands for: a fixed key of the layout, a key on loan, or a named
    // key the layout lacks (F13-F24 on most layouts), bound to a spare keycode on first use.
    const KeyStroke* StrokeForVk(uint8_t vk)
    {
        if (const KeyStroke* stroke = layout.Fixed(vk)) {
            spare.MarkUsed(stroke->keycode);
            return stroke;
        }
        if (const KeyStroke* loan = layout.Loan(vk))
            return loan;
        const std::vector<KeySym>* named = KeyLayoutX11::NamedKeysyms(vk);
        KeyStroke stroke;
        if (named && spare.Bind(named->front(), stroke.keycode)) {
            layout.SetFixed(vk, stroke);
            return layout.Fixed(vk);
        }
        return nullptr;
    }

    Connection connection;  // first in, last out: the parts below still talk to the server as they go
    Display* display;
    bool haveXkb = false;
    KeyLayoutX11 layout;
    KeyEventsX11 keys;
    SpareKeycodesX11 spare;
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

std::unique_ptr<KeyPlatform> CreateSystemKeyPlatform(void* shared)
{
    int event, error, major, minor;
    if (Display* display = static_cast<Display*>(shared))
        return XTestQueryExtension(display, &event, &error, &major, &minor)
                   ? std::unique_ptr<KeyPlatform>(std::make_unique<KeyPlatformX11>(display, false))
                   : std::make_unique<NoDisplayKeyPlatform>();
    Display* display = XOpenDisplay(nullptr);
    if (display && XTestQueryExtension(display, &event, &error, &major, &minor))
        return std::make_unique<KeyPlatformX11>(display, true);
    if (display)
        XCloseDisplay(display);
    return std::make_unique<NoDisplayKeyPlatform>();
}
