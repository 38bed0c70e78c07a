#pragma once
// The one seam between the keystroke interpreter and the system: key events, scan codes, the
// layout's key for a character, pauses, beeps and window activation, in Windows' virtual-key terms.
// KeyPlatformX11.cpp and KeyPlatformWin32.cpp implement it; the tests record the calls.
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// A native top-level or child window: an X11 Window id or a Win32 HWND.
using NativeWindow = std::uintptr_t;

// Flags of a key event, as keybd_event takes them.
constexpr uint32_t KEYFLAG_EXTENDED = 1;
constexpr uint32_t KEYFLAG_KEYUP = 2;

class KeyPlatform {
public:
    virtual ~KeyPlatform() = default;

    // Called at the start and at the very end of every script run (also when the run fails). The
    // X11 layer picks up the current keyboard layout at the start and, at the end, lifts any key
    // still down and flushes its connection.
    virtual void BeginRun() {}
    virtual void EndRun() {}
    // True when scripts are UTF-8 and each decoded code point is one character; false when every
    // byte is a character of the ANSI code page.
    virtual bool ReadsUtf8() const { return true; }

    // keybd_event(vk, scan, flags, 0): one key-down or key-up for the focused window.
    virtual void KeyEvent(uint8_t vk, uint8_t scan, uint32_t flags) = 0;
    // SendInput with two keyboard inputs: vk down (flags 0), then vk up (KEYFLAG_KEYUP).
    virtual void SendKeyPair(uint8_t vk) = 0;
    // MapVirtualKey(vk, MAPVK_VK_TO_VSC): the scan code in the low byte, 0 when unknown.
    virtual uint32_t MapVirtualKey(uint32_t vk) = 0;
    // VkKeyScan(ch): the virtual key in the low byte and shift bits (1 Shift, 2 Ctrl, 4 Alt) in
    // the high byte for the key that types ch in the current layout; 0xFFFF when none can.
    // ch is a Unicode code point (or, when !ReadsUtf8(), a byte of the ANSI code page).
    virtual uint16_t VkKeyScan(char32_t ch) = 0;
    // GetVersion(): high bit set = older consumer family; bits 8-15 = minor version.
    virtual uint32_t GetVersion() = 0;
    // GetKeyState(vk): bit 0 = toggled, high bit = down.
    virtual int16_t GetKeyState(int vk) = 0;
    // GetKeyboardState / SetKeyboardState over a 256-byte table (bit 0 = toggled, bit 7 = down).
    virtual void GetKeyboardState(uint8_t table[256]) = 0;
    virtual void SetKeyboardState(const uint8_t table[256]) = 0;
    // Takes the calling thread's queued keyboard messages and dispatches them.
    virtual void PumpKeyboardMessages() = 0;
    virtual void Sleep(uint32_t milliseconds) = 0;
    // A steady clock in milliseconds, by which a run keeps to its time limit. The tests' recording
    // platform keeps a clock of its own that its pauses move, so a minute passes in no time.
    virtual uint64_t Milliseconds()
    {
        using namespace std::chrono;
        return uint64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    }
    // Sounds a tone; blocks for its duration.
    virtual void Beep(uint32_t frequency, uint32_t milliseconds) = 0;

    // FindWindow(NULL, title): a top-level window whose title equals title, or 0.
    virtual NativeWindow FindWindowByTitle(const std::string& title) = 0;
    // EnumWindows: visits the top-level windows in the platform's order until visit returns false.
    virtual void EnumTopLevelWindows(const std::function<bool(NativeWindow)>& visit) = 0;
    // GetWindowText: the window's title (the interpreter keeps at most 299 bytes of it).
    virtual std::string GetWindowText(NativeWindow window) = 0;
    // The four activation steps: the window-menu hot-key command, show, foreground, focus.
    virtual void SendHotKeyCommand(NativeWindow window) = 0;
    virtual void ShowWindow(NativeWindow window) = 0;
    virtual void SetForegroundWindow(NativeWindow window) = 0;
    virtual void SetFocus(NativeWindow window) = 0;
};

// The implementation for the system the program runs on. connection: the toolkit's connection to
// the window system (TerminalWindow::ToolkitConnection()), so that the focus changes the program
// makes there and the keys typed next reach the server in order; null opens one of the layer's own
// (programs without a toolkit: tests, benchmarks). Windows has no connection and ignores it.
std::unique_ptr<KeyPlatform> CreateSystemKeyPlatform(void* connection = nullptr);
