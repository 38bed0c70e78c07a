#pragma once
// Characters and named keys the layout lacks are typed through keycodes no key uses, bound for a
// while to their keysym. Rebinding broadcasts a new keymap to every client, and a window reads it
// only when it handles the key, which may well be after we return: a binding stays until a later
// run is over and half a second has passed since its last key, and is undone when this goes.
#include "session/keys/KeyEventsX11.h"
#include "session/keys/KeyLayoutX11.h"

#include <chrono>
#include <map>

class SpareKeycodesX11 {
public:
    SpareKeycodesX11(Display* display, KeyLayoutX11& layout, const KeyEventsX11& keys)
        : display(display), layout(layout), keys(keys) {}
    // Waits until the keys typed through bindings may have been read, then undoes every binding.
    ~SpareKeycodesX11();

    void BeginRun() { ++run; }
    // After the layout was read again: only bindings it still holds survive.
    void LayoutReloaded();
    // Binds sym to a spare keycode (or finds it bound already); the layout learns the binding.
    bool Bind(KeySym sym, KeyCode& keycode);
    // A keycode typed in this run (ours or not) stays bound until the run after it.
    void MarkUsed(KeyCode keycode);
    // Undoes the bindings no run needs any more.
    void EndRun();

private:
    struct Binding {
        KeySym sym;
        KeySym base;  // what the keycode types without modifiers once bound
        unsigned lastRun;
        std::chrono::steady_clock::time_point lastUse;
    };
    void Forget(KeyCode keycode);
    void Unbind(KeyCode keycode);

    Display* display;
    KeyLayoutX11& layout;
    const KeyEventsX11& keys;
    unsigned run = 0;
    std::map<KeyCode, Binding> bindings;
};
