#include "session/keys/SpareKeycodesX11.h"

#include "session/X11ErrorTrap.h"

#include <X11/Xutil.h>

#include <algorithm>
#include <thread>
#include <vector>

namespace {
// How long a spare keycode stays bound after its last key: time for the target window to read it.
constexpr std::chrono::milliseconds SpareKeyGrace(500);
}

SpareKeycodesX11::~SpareKeycodesX11()
{
    // Keys typed just now through spare keycodes may not have been read yet (the program may be
    // closing right after a broadcast): give their readers the same half second first.
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
}

void SpareKeycodesX11::LayoutReloaded()
{
    for (auto it = bindings.begin(); it != bindings.end();) {
        if (layout.BaseSym(it->first) != it->second.base)
            it = bindings.erase(it);
        else
            ++it;
    }
}

bool SpareKeycodesX11::Bind(KeySym sym, KeyCode& keycode)
{
    for (auto& [kc, binding] : bindings)
        if (binding.sym == sym) {
            keycode = kc;
            MarkUsed(kc);
            return true;
        }
    KeyCode chosen = 0;
    for (KeyCode kc : layout.FreeKeycodes())
        if (!bindings.count(kc) && kc > 8) {
            chosen = kc;
            break;
        }
    if (!chosen) {
        // All spare keycodes are taken: rebind the one used longest ago, once the window that
        // received its last key has had time to read it, so no character is lost.
        auto oldest = std::chrono::steady_clock::time_point::max();
        for (auto& [kc, binding] : bindings)
            if (!keys.IsDown(kc) && binding.lastUse < oldest) {
                oldest = binding.lastUse;
                chosen = kc;
            }
        if (!chosen)
            return false;
        XSync(display, False);
        std::this_thread::sleep_until(oldest + SpareKeyGrace);
        Forget(chosen);
    }
    X11ErrorTrap trap(display);
    KeySym pair[2] = {sym, sym};
    KeySym lower, upper;
    XConvertCase(sym, &lower, &upper);
    if (lower != upper)
        pair[0] = lower, pair[1] = upper;
    XChangeKeyboardMapping(display, chosen, 2, pair, 1);
    if (!trap.Succeeded())
        return false;
    bindings[chosen] = Binding{sym, pair[0], run, std::chrono::steady_clock::now()};
    layout.AddBound(sym, pair[0], chosen, sym == upper && lower != upper);
    keycode = chosen;
    return true;
}

void SpareKeycodesX11::MarkUsed(KeyCode keycode)
{
    auto it = bindings.find(keycode);
    if (it != bindings.end()) {
        it->second.lastRun = run;
        it->second.lastUse = std::chrono::steady_clock::now();
    }
}

void SpareKeycodesX11::EndRun()
{
    auto now = std::chrono::steady_clock::now();
    std::vector<KeyCode> stale;
    for (auto& [keycode, binding] : bindings)
        if (binding.lastRun < run && now - binding.lastUse > SpareKeyGrace)
            stale.push_back(keycode);
    for (KeyCode keycode : stale)
        Unbind(keycode);
}

// Drops everything known of a spare keycode we are about to rebind.
void SpareKeycodesX11::Forget(KeyCode keycode)
{
    KeySym sym = bindings[keycode].sym;
    bindings.erase(keycode);
    layout.Drop(keycode, sym);
}

void SpareKeycodesX11::Unbind(KeyCode keycode)
{
    X11ErrorTrap trap(display);
    KeySym none = NoSymbol;
    XChangeKeyboardMapping(display, keycode, 1, &none, 1);
    Forget(keycode);
}
