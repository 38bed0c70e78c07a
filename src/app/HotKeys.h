#pragma once
// Keys that switch terminal tabs while a terminal has the keyboard focus: PuTTY, a program of its
// own, gets every key pressed in its window, so the combinations are taken before it sees them
// (X11: passive grabs on our top-level window, an ancestor of every embedded terminal; Win32: hot
// keys registered only while our window is the active one). Ctrl+Tab and Ctrl+Shift+Tab go to the
// next and previous tab, Alt+1 to Alt+9 to the n-th; PuTTY uses none of them by default. While
// sites are being connected one after the other, Escape is taken too, to stop them.
#include <cstdint>
#include <functional>
#include <memory>

class HotKeys {
public:
    using NativeWindow = std::uintptr_t;
    // What a combination asks for: the next or previous tab, or tab n (0 for the first).
    static constexpr int NextTab = -1;
    static constexpr int PreviousTab = -2;
    static constexpr int Escape = -3;

    // Null when the system offers no way to take the keys.
    static std::unique_ptr<HotKeys> Create(std::function<void(int)> onKey);
    virtual ~HotKeys() = default;

    // Takes the combinations within this top-level window (once it is on screen); true when done
    // or done already.
    virtual bool Attach(NativeWindow topLevel) = 0;
    // Our window became active or inactive (the Win32 hot keys are system-wide while registered).
    virtual void SetActive(bool active) = 0;
    // Takes Escape (true) or gives it back.
    virtual void TakeEscape(bool take) = 0;
    // Hands the combinations pressed since the last call to onKey; call from the event loop whenever
    // Descriptor() is readable, or often where there is none. Attach and TakeEscape may hand some
    // over too, so onKey must not act at once.
    virtual void Poll() = 0;
    // A descriptor that becomes readable when combinations were pressed; -1 where there is none.
    virtual int Descriptor() const { return -1; }
};
