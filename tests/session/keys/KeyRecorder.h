#pragma once
// A plain X window of the test's own, on its own connection, that records every key press it
// receives: the keysym and text of each against the server's current layout, which it reads in
// full whenever the keymap changes (as toolkits do; Xlib's own cache updates only the keys named
// in each notice and can fall behind a burst of changes).
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <xkbcommon/xkbcommon.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

class KeyRecorder {
public:
    // A top-level window titled title; with parentRecorder, a child window of that recorder's
    // window on its connection; with foreignParent, a child of another program's window (as an
    // embedded terminal is) on a connection of its own.
    explicit KeyRecorder(const std::string& title, int x = 0, int y = 0, KeyRecorder* parentRecorder = nullptr,
                         Window foreignParent = 0)
    {
        ownsDisplay = parentRecorder == nullptr;
        display = ownsDisplay ? XOpenDisplay(nullptr) : parentRecorder->display;
        Window parent = !ownsDisplay ? parentRecorder->window : foreignParent ? foreignParent : DefaultRootWindow(display);
        window = XCreateSimpleWindow(display, parent, x, y, 200, 100, 0, 0, 0xFFFFFF);
        XSelectInput(display, window, KeyPressMask | KeyReleaseMask | StructureNotifyMask | FocusChangeMask);
        XStoreName(display, window, title.c_str());
        Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
        XChangeProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False), utf8, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(title.data()), int(title.size()));
        if (ownsDisplay) {
            int opcode, error, major = XkbMajorVersion, minor = XkbMinorVersion;
            XkbQueryExtension(display, &opcode, &xkbEventBase, &error, &major, &minor);
            XkbSelectEvents(display, XkbUseCoreKbd, XkbMapNotifyMask | XkbNewKeyboardNotifyMask,
                            XkbMapNotifyMask | XkbNewKeyboardNotifyMask);
        }
        LoadKeymap();
        XMapWindow(display, window);
        if (!ownsDisplay)
            parentRecorder->children.push_back(this);
        WaitFor([&] { return mapped; });
    }
    ~KeyRecorder()
    {
        if (keymap)
            XkbFreeKeyboard(keymap, 0, True);
        XDestroyWindow(display, window);
        XSync(display, False);
        if (ownsDisplay)
            XCloseDisplay(display);
    }

    // Reads what has arrived until condition() holds or the deadline passes.
    bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds deadline = std::chrono::seconds(5))
    {
        auto end = std::chrono::steady_clock::now() + deadline;
        for (;;) {
            Drain();
            if (condition())
                return true;
            if (std::chrono::steady_clock::now() >= end)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    bool WaitForText(const std::string& expected, std::chrono::milliseconds deadline = std::chrono::seconds(5))
    {
        return WaitFor([&] { return text.size() >= expected.size(); }, deadline);
    }
    // Reads everything the server has for us now.
    void Drain()
    {
        XSync(display, False);
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (XFilterEvent(&event, None))
                continue;
            Handle(event);
        }
    }
    void Clear()
    {
        Drain();
        text.clear();
        keys.clear();
        for (KeyRecorder* child : children)
            child->text.clear(), child->keys.clear();
    }
    // Keycodes the server has down right now.
    std::vector<int> KeysDown()
    {
        char map[32];
        XQueryKeymap(display, map);
        std::vector<int> down;
        for (int kc = 0; kc < 256; ++kc)
            if (map[kc / 8] & (1 << (kc % 8)))
                down.push_back(kc);
        return down;
    }

    Display* display;
    Window window;
    std::string text;          // decoded text of every key press, in order
    std::vector<KeySym> keys;  // keysym of every key press, in order
    bool mapped = false;
    bool focused = false;

private:
    void Handle(XEvent& event)
    {
        // As every X client must: a changed keymap is read afresh before the next key is decoded.
        if (event.type == MappingNotify || (xkbEventBase && event.type == xkbEventBase)) {
            if (event.type == MappingNotify)
                XRefreshKeyboardMapping(&event.xmapping);
            LoadKeymap();
            for (KeyRecorder* child : children)
                child->LoadKeymap();
            return;
        }
        KeyRecorder* target = this;
        for (KeyRecorder* child : children)
            if (event.xany.window == child->window)
                target = child;
        if (event.xany.window != target->window)
            return;
        switch (event.type) {
        case MapNotify: target->mapped = true; break;
        case FocusIn: target->focused = true; break;
        case FocusOut: target->focused = false; break;
        case KeyPress: target->Record(event.xkey); break;
        default: break;
        }
    }
    void LoadKeymap()
    {
        if (keymap)
            XkbFreeKeyboard(keymap, 0, True);
        keymap = XkbGetMap(display, XkbKeyTypesMask | XkbKeySymsMask | XkbModifierMapMask, XkbUseCoreKbd);
    }
    void Record(XKeyEvent& event)
    {
        KeySym sym = NoSymbol;
        unsigned consumed = 0;
        if (keymap)
            XkbTranslateKeyCode(keymap, KeyCode(event.keycode), event.state, &consumed, &sym);
        keys.push_back(sym);
        char buffer[16];
        int length = sym == NoSymbol ? 0 : xkb_keysym_to_utf8(uint32_t(sym), buffer, sizeof buffer);
        if (length > 1)
            text.append(buffer, size_t(length - 1));  // without its terminating NUL
    }

    bool ownsDisplay;
    XkbDescPtr keymap = nullptr;
    int xkbEventBase = 0;
    std::vector<KeyRecorder*> children;
};
