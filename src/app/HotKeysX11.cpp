#include "app/HotKeys.h"

#include "session/X11ErrorTrap.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <vector>

namespace {
const unsigned int kLocks[] = {0, LockMask, Mod2Mask, LockMask | Mod2Mask};

// A connection of our own, so that GDK never sees the grabbed key events (nor our X errors: a
// grab another client holds already is refused with BadAccess, and GDK would end the program).
class HotKeysX11 : public HotKeys {
public:
    HotKeysX11(Display* display, std::function<void(int)> onKey) : display(display), onKey(std::move(onKey)) {}
    ~HotKeysX11() override { XCloseDisplay(display); }

    bool Attach(NativeWindow topLevel) override
    {
        if (grabbed == topLevel)
            return true;
        if (!topLevel || !Viewable(topLevel))
            return false;  // a grab on a window not yet mapped was seen to take no keys
        grabbed = topLevel;
        combinations.clear();
        combinations.push_back({XKeysymToKeycode(display, XK_Tab), ControlMask, NextTab});
        combinations.push_back({XKeysymToKeycode(display, XK_Tab), ControlMask | ShiftMask, PreviousTab});
        // Shift+Tab is ISO_Left_Tab on many layouts: its key is Tab's, so the grab above covers it.
        combinations.push_back({XKeysymToKeycode(display, XK_Escape), 0, Escape});
        for (int n = 0; n < 9; ++n)
            combinations.push_back({XKeysymToKeycode(display, XK_1 + n), Mod1Mask, n});
        {
            X11ErrorTrap trap(display);
            // As for Escape (see TakeEscape), every mix of Caps Lock and Num Lock.
            for (const Combination& c : combinations) {
                if (!c.keycode || c.action == Escape)
                    continue;  // Escape only while TakeEscape says so
                for (unsigned int lock : kLocks)
                    XGrabKey(display, c.keycode, c.modifiers | lock, static_cast<Window>(topLevel), False,
                             GrabModeAsync, GrabModeAsync);
            }
        }
        // Waiting for the server's answers may have read key events off the connection, which then
        // no longer makes the descriptor readable: they are handed over now.
        Poll();
        return true;
    }

    void SetActive(bool) override {}

    void TakeEscape(bool take) override
    {
        if (!grabbed || take == escapeTaken)
            return;
        escapeTaken = take;
        const KeyCode escape = XKeysymToKeycode(display, XK_Escape);
        {
            X11ErrorTrap trap(display);
            // Caps Lock and Num Lock change the state a key arrives with: each combination is
            // grabbed with every mix of them.
            for (unsigned int lock : kLocks) {
                if (take)
                    XGrabKey(display, escape, lock, static_cast<Window>(grabbed), False, GrabModeAsync,
                             GrabModeAsync);
                else
                    XUngrabKey(display, escape, lock, static_cast<Window>(grabbed));
            }
        }
        Poll();  // as in Attach
    }

    int Descriptor() const override { return ConnectionNumber(display); }

    void Poll() override
    {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type != KeyPress)
                continue;
            const unsigned int state = event.xkey.state & (ControlMask | ShiftMask | Mod1Mask | Mod4Mask);
            for (const Combination& c : combinations) {
                if (c.keycode == event.xkey.keycode && c.modifiers == state) {
                    onKey(c.action);
                    break;
                }
            }
        }
    }

private:
    struct Combination {
        KeyCode keycode;
        unsigned int modifiers;
        int action;
    };

    bool Viewable(NativeWindow window)
    {
        X11ErrorTrap trap(display);
        XWindowAttributes attributes;
        return XGetWindowAttributes(display, static_cast<Window>(window), &attributes) &&
               attributes.map_state == IsViewable;
    }

    Display* display;
    std::function<void(int)> onKey;
    NativeWindow grabbed = 0;
    bool escapeTaken = false;
    std::vector<Combination> combinations;
};
}  // namespace

std::unique_ptr<HotKeys> HotKeys::Create(std::function<void(int)> onKey)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return nullptr;
    return std::make_unique<HotKeysX11>(display, std::move(onKey));
}
