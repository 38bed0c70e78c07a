#pragma once
// The one seam between the keystroke interpreter and the system: key events, scan codes, the
// layout's key for a character, pauses, beeps and window activation, in Windows' virtual-key terms.
// KeyPlatformX11.cpp and KeyPlatformWin32.cpp implement it; the tests record the calls.
#include <cstdint>
#include <memory>
#include <string>

// A native top-level or child window: an X11 Window id or a Win32 HWND.
using NativeWindow = std::uintptr_t;

class KeyPlatform {
public:
    virtual ~KeyPlatform() = default;
};

// The implementation for the system the program runs on.
std::unique_ptr<KeyPlatform> CreateSystemKeyPlatform();
