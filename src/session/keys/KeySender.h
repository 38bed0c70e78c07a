#pragma once
// Turns a keystroke script ("ls -l{ENTER}", "+(abc)", "{DELAY=50}", ...) into key events for the
// window that holds the keyboard focus. The interpreter decides what happens in which order and
// talks to the system only through a KeyPlatform (not owned).
#include <cstdint>
#include <string>

class KeyPlatform;

class KeySender {
public:
    explicit KeySender(KeyPlatform* platform = nullptr);
    KeySender(const KeySender&) = delete;
    KeySender& operator=(const KeySender&) = delete;

    void SetPlatform(KeyPlatform* platform) { this->platform = platform; }
    // Returns false only when a brace token is 300 characters or longer.
    bool SendKeys(const std::string& text, bool pumpMessages);

private:
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
