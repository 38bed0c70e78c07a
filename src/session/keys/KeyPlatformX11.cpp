// Placeholder until the X11 keystroke layer lands: types nothing.
#include "session/keys/KeyPlatform.h"

namespace {
class NullKeyPlatform : public KeyPlatform {
public:
    void KeyEvent(uint8_t, uint8_t, uint32_t) override {}
    void SendKeyPair(uint8_t) override {}
    uint32_t MapVirtualKey(uint32_t) override { return 0; }
    uint16_t VkKeyScan(char32_t) override { return 0xFFFF; }
    uint32_t GetVersion() override { return 0; }
    int16_t GetKeyState(int) override { return 0; }
    void GetKeyboardState(uint8_t table[256]) override {}
    void SetKeyboardState(const uint8_t table[256]) override {}
    void PumpKeyboardMessages() override {}
    void Sleep(uint32_t) override {}
    void Beep(uint32_t, uint32_t) override {}
    NativeWindow FindWindowByTitle(const std::string&) override { return 0; }
    void EnumTopLevelWindows(const std::function<bool(NativeWindow)>&) override {}
    std::string GetWindowText(NativeWindow) override { return ""; }
    void SendHotKeyCommand(NativeWindow) override {}
    void ShowWindow(NativeWindow) override {}
    void SetForegroundWindow(NativeWindow) override {}
    void SetFocus(NativeWindow) override {}
};
}  // namespace

std::unique_ptr<KeyPlatform> CreateSystemKeyPlatform() { return std::make_unique<NullKeyPlatform>(); }
