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
    // Types the script synchronously. Returns false when the run stopped before the end of the
    // script: at a brace token of 300 characters or more, or when it had taken MaxRunTime (a pause
    // that would run past it is cut short). Everything before that point has been sent; LastRunEnd
    // and StoppedAt tell why and where. Whatever happens, no key and no modifier pressed by the
    // script is left down when it returns.
    bool SendKeys(const std::string& text, bool pumpMessages);

    // The script that types text (UTF-8) exactly as it stands: every character that scripts read
    // specially (+ ^ % @ ~ ( ) { }) becomes its key name in braces. Control characters, which no
    // one types as text, are left out.
    static std::string Literal(std::string_view text);

    enum class RunEnd { Completed, TokenTooLong, OutOfTime };
    RunEnd LastRunEnd() const { return lastEnd; }
    // Where the last run stopped when it did not complete: the position, counted in characters
    // from 1, of the character or brace token whose key press, pause, beep or activation it cut
    // short or left out.
    size_t StoppedAt() const { return stoppedAt; }

    // Longest pause a {DELAY} may ask for, and longest {BEEP}, in milliseconds.
    static constexpr int32_t MaxDelay = 60000;
    // Longest a whole run may take, in milliseconds, so that no script can hold the program.
    static constexpr int32_t MaxRunTime = 60000;

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
    // Sleeps or beeps for at most what is left of the run's time; a longer request is cut short
    // and ends the run.
    void Pause(uint32_t milliseconds);
    void Beep(uint32_t frequency, uint32_t milliseconds);
    uint64_t TimeLeft();
    // True once the run has used its time: from then on no key goes down, only key-ups are sent.
    bool OutOfTime();
    void StopHere(RunEnd why);
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

    // The run in progress: its script, the byte offset of the character or token being typed and
    // the platform clock at its start; and how the last run ended.
    std::string_view script;
    size_t elementStart = 0;
    uint64_t runStart = 0;
    bool outOfTime = false;
    RunEnd lastEnd = RunEnd::Completed;
    size_t stoppedAt = 0;
};

// Brings the window to the foreground with the keyboard focus. False for a null window; true
// otherwise, whatever the individual platform calls report.
bool ActivateWindow(KeyPlatform& platform, NativeWindow window);
// Activates the first top-level window whose title equals title or, failing that, contains it
// (case-sensitive). False, and the focus stays where it is, when none matches or title is empty.
bool ActivateWindowByTitle(KeyPlatform& platform, const std::string& title);
