// The keystroke seam on Windows: each operation is the user32/kernel32 call it is named after.
#include <windows.h>
// The seam keeps the plain names of three calls that <windows.h> turns into A/W macros.
#undef GetWindowText
#undef MapVirtualKey
#undef VkKeyScan

#include "session/keys/KeyPlatform.h"

#include <string>

namespace {

class KeyPlatformWin32 : public KeyPlatform {
public:
    // Scripts arrive in the ANSI code page: every byte is one character.
    bool ReadsUtf8() const override { return false; }

    void KeyEvent(uint8_t vk, uint8_t scan, uint32_t flags) override { keybd_event(vk, scan, flags, 0); }

    void SendKeyPair(uint8_t vk) override
    {
        INPUT inputs[2] = {};
        inputs[0].type = INPUT_KEYBOARD;
        inputs[0].ki.wVk = vk;
        inputs[1].type = INPUT_KEYBOARD;
        inputs[1].ki.wVk = vk;
        inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, inputs, sizeof(INPUT));
    }

    uint32_t MapVirtualKey(uint32_t vk) override { return MapVirtualKeyA(vk, 0 /* MAPVK_VK_TO_VSC */); }

    uint16_t VkKeyScan(char32_t ch) override
    {
        if (ch <= 0xFF)
            return static_cast<uint16_t>(VkKeyScanA(static_cast<CHAR>(static_cast<unsigned char>(ch))));
        if (ch <= 0xFFFF)
            return static_cast<uint16_t>(VkKeyScanW(static_cast<WCHAR>(ch)));
        return 0xFFFF;
    }

    uint32_t GetVersion() override { return ::GetVersion(); }
    int16_t GetKeyState(int vk) override { return ::GetKeyState(vk); }
    void GetKeyboardState(uint8_t table[256]) override { ::GetKeyboardState(table); }
    void SetKeyboardState(const uint8_t table[256]) override
    {
        BYTE copy[256];
        for (int i = 0; i < 256; ++i)
            copy[i] = table[i];
        ::SetKeyboardState(copy);
    }

    // Only keyboard messages (WM_KEYFIRST 0x0100 to 0x0109) are taken; the rest stay queued.
    void PumpKeyboardMessages() override
    {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0x0100, 0x0109, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }

    void Sleep(uint32_t milliseconds) override { ::Sleep(milliseconds); }
    void Beep(uint32_t frequency, uint32_t milliseconds) override { ::Beep(frequency, milliseconds); }

    NativeWindow FindWindowByTitle(const std::string& title) override
    {
        return reinterpret_cast<NativeWindow>(FindWindowA(nullptr, title.c_str()));
    }

    void EnumTopLevelWindows(const std::function<bool(NativeWindow)>& visit) override
    {
        EnumWindows(&KeyPlatformWin32::VisitWindow, reinterpret_cast<LPARAM>(&visit));
    }

    std::string GetWindowText(NativeWindow window) override
    {
        char title[300];
        int length = GetWindowTextA(Handle(window), title, sizeof title);
        return std::string(title, length > 0 ? size_t(length) : 0);
    }

    void SendHotKeyCommand(NativeWindow window) override
    {
        SendMessageA(Handle(window), WM_SYSCOMMAND, SC_HOTKEY, static_cast<LPARAM>(window));
    }
    void ShowWindow(NativeWindow window) override { ::ShowWindow(Handle(window), SW_SHOW); }
    void SetForegroundWindow(NativeWindow window) override { ::SetForegroundWindow(Handle(window)); }
    void SetFocus(NativeWindow window) override { ::SetFocus(Handle(window)); }

private:
    static HWND Handle(NativeWindow window) { return reinterpret_cast<HWND>(window); }

    static BOOL CALLBACK VisitWindow(HWND window, LPARAM context)
    {
        auto& visit = *reinterpret_cast<const std::function<bool(NativeWindow)>*>(context);
        return visit(reinterpret_cast<NativeWindow>(window)) ? TRUE : FALSE;
    }
};

}  // namespace

std::unique_ptr<KeyPlatform> CreateSystemKeyPlatform(void*) { return std::make_unique<KeyPlatformWin32>(); }
