#pragma once
// Turns a keystroke script ("ls -l{ENTER}", "+(abc)", "{DELAY=50}", ...) into key events for the
// window that holds the keyboard focus. The interpreter decides what happens in which order and
// talks to the system only through a KeyPlatform (not owned).
#include "session/keys/KeyPlatform.h"

#include <cstdint>
#include <string>
#include <string_view>

class KeySender {
public:
    explicit KeySender(KeyPlatform* platform = nullptr);
    KeySender(const KeySender&) = delete;
    KeySender& operator=(const KeySender&) = delete;

    void SetPlatform(KeyPlatform* platform) { this->platform = platform; }
    // Types the script synchronously. Returns false only when a brace token is 300 characters or
    // longer (everything before it has been sent); true otherwise. Whatever happens, no key and no
    // modifier pressed by the script is left down when it returns.
    bool SendKeys(const std::string& text, bool pumpMessages);

    // Longest pause a {DELAY} may ask for, and longest {BEEP}, in milliseconds.
    static constexpr int32_t MaxDelay = 60000;

private:
    bool Run(std::string_view text);
    // Returns false when the token is too long and the run has to stop.
    bool BraceToken(std::string_view content);
    void PressWithModifiers(uint16_t key, uint32_t count);
    void PressKey(uint8_t vk, uint32_t count, bool withKeyUp, bool withDelay);
    void ToggleNumLock(uint32_t count, bool withDelay);
    void KeyUp(uint8_t vk);
    void ReleaseHeldModifiers();
    void Wait();
    void SendEvent(uint8_t vk, uint8_t scan, uint32_t flags);
    void HoldModifier(bool& held, uint8_t vk);

    KeyPlatform* platform;
    bool pumpMessages = false;
    bool groupOpen = false;
    bool shiftHeld = false;
    bool altHeld = false;
    bool ctrlHeld = false;
    bool winHeld = false;
    int32_t defaultDelay = 0;
    int32_t nextDelay = 0;
};

// Brings the window to the foreground with the keyboard focus. False for a null window; true
// otherwise, whatever the individual platform calls report.
bool ActivateWindow(KeyPlatform& platform, NativeWindow window);
// Activates the first top-level window whose title equals title or, failing that, contains it
// (case-sensitive). False, and the focus stays where it is, when none matches or title is empty.
bool ActivateWindowByTitle(KeyPlatform& platform, const std::string& title);
