#include "session/keys/KeySender.h"

#include "session/keys/KeyNames.h"

#include <climits>
#include <cstring>

namespace {
constexpr uint8_t VK_SHIFT_KEY = 0x10, VK_CONTROL_KEY = 0x11, VK_ALT_KEY = 0x12, VK_LWIN_KEY = 0x5B;
constexpr uint8_t VK_ENTER_KEY = 0x0D, VK_NUMLOCK_KEY = 0x90, NUMLOCK_SCAN = 0x45;
constexpr uint16_t NO_KEY = 0xFFFF;
// Brace content is limited to what the original fixed buffer of 300 bytes held.
constexpr size_t MaxTokenCharacters = 299;
constexpr size_t MaxTitleBytes = 299;
constexpr char32_t InvalidChar = 0xFFFFFFFF;

// Decodes the UTF-8 character at text[pos]; returns the bytes it takes. A byte that does not start
// a well-formed sequence (stray continuation, overlong form, surrogate, beyond U+10FFFF, cut off)
// gives InvalidChar and a length of 1, so the caller skips exactly that byte.
size_t DecodeUtf8(std::string_view text, size_t pos, char32_t& out)
{
    unsigned char lead = text[pos];
    out = InvalidChar;
    size_t length;
    char32_t cp, minimum;
    if (lead < 0x80) {
        out = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, cp = lead & 0x1F, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, cp = lead & 0x0F, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, cp = lead & 0x07, minimum = 0x10000;
    } else {
        return 1;
    }
    if (pos + length > text.size())
        return 1;
    for (size_t i = 1; i < length; ++i) {
        unsigned char next = text[pos + i];
        if ((next & 0xC0) != 0x80)
            return 1;
        cp = (cp << 6) | (next & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 1;
    out = cp;
    return length;
}

size_t CountCharacters(std::string_view text, bool utf8)
{
    if (!utf8)
        return text.size();
    size_t count = 0;
    for (size_t pos = 0; pos < text.size();) {
        char32_t ch;
        pos += DecodeUtf8(text, pos, ch);
        if (ch != InvalidChar)
            ++count;
    }
    return count;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// A decimal number as atoi reads it: leading blanks, an optional sign, digits up to the first
// non-digit; no digits give 0. Out-of-range values stop at the 32-bit limits instead of wrapping.
int64_t ReadNumber(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > int64_t(INT_MAX) + 1)
            value = int64_t(INT_MAX) + 1;
    }
    value = negative ? -value : value;
    if (value > INT_MAX)
        value = INT_MAX;
    return value;
}

// Negative pauses count as none; long ones stop at a minute so a typo cannot freeze the program.
int32_t ClampDuration(int64_t milliseconds)
{
    if (milliseconds < 0)
        return 0;
    return milliseconds > KeySender::MaxDelay ? KeySender::MaxDelay : int32_t(milliseconds);
}

bool BeginsWith(std::string_view content, std::string_view word)
{
    if (content.size() < word.size())
        return false;
    for (size_t i = 0; i < word.size(); ++i) {
        char c = content[i];
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
        if (c != word[i])
            return false;
    }
    return true;
}
}  // namespace

KeySender::KeySender(KeyPlatform* platform) : platform(platform) {}

std::string KeySender::Literal(std::string_view text)
{
    std::string script;
    script.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '+': script += "{PLUS}"; break;
        case '^': script += "{CARET}"; break;
        case '%': script += "{PERCENT}"; break;
        case '@': script += "{AT}"; break;
        case '~': script += "{TILDE}"; break;
        case '(': script += "{LEFTPAREN}"; break;
        case ')': script += "{RIGHTPAREN}"; break;
        case '{': script += "{LEFTBRACE}"; break;
        case '}': script += "{RIGHTBRACE}"; break;
        default:
            if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7f)
                script += c;
            break;
        }
    }
    return script;
}

bool KeySender::SendKeys(const std::string& text, bool pump)
{
    pumpMessages = pump;
    groupOpen = shiftHeld = altHeld = ctrlHeld = winHeld = false;
    lastEnd = RunEnd::Completed;
    stoppedAt = 0;
    if (!platform)
        return true;

    // Whatever stops the run (a too long token, an exception from below), the modifiers the script
    // holds are released and the platform gets its end-of-run call.
    struct EndOfRun {
        KeySender& sender;
        ~EndOfRun()
        {
            sender.groupOpen = false;
            sender.ReleaseHeldModifiers();
            sender.platform->EndRun();
        }
    };
    platform->BeginRun();
    EndOfRun end{*this};
    script = std::string_view(text.c_str());  // the script ends at its first NUL
    elementStart = 0;
    outOfTime = false;
    runStart = platform->Milliseconds();
    return Run(script) && !outOfTime;
}

void KeySender::StopHere(RunEnd why)
{
    if (lastEnd != RunEnd::Completed)
        return;
    lastEnd = why;
    stoppedAt = CountCharacters(script.substr(0, elementStart), platform->ReadsUtf8()) + 1;
}

uint64_t KeySender::TimeLeft()
{
    uint64_t now = platform->Milliseconds();
    uint64_t spent = now > runStart ? now - runStart : 0;
    return spent >= uint64_t(MaxRunTime) ? 0 : uint64_t(MaxRunTime) - spent;
}

bool KeySender::OutOfTime()
{
    if (!outOfTime && TimeLeft() == 0) {
        outOfTime = true;
        StopHere(RunEnd::OutOfTime);
    }
    return outOfTime;
}

void KeySender::Pause(uint32_t milliseconds)
{
    uint64_t left = TimeLeft();
    if (milliseconds <= left) {
        platform->Sleep(milliseconds);
        return;
    }
    if (left > 0)
        platform->Sleep(uint32_t(left));
    outOfTime = true;
    StopHere(RunEnd::OutOfTime);
}

void KeySender::Beep(uint32_t frequency, uint32_t milliseconds)
{
    uint64_t left = TimeLeft();
    if (milliseconds <= left) {
        platform->Beep(frequency, milliseconds);
        return;
    }
    if (left > 0)
        platform->Beep(frequency, uint32_t(left));
    outOfTime = true;
    StopHere(RunEnd::OutOfTime);
}

bool KeySender::Run(std::string_view text)
{
    const bool utf8 = platform->ReadsUtf8();
    size_t pos = 0;
    while (pos < text.size()) {
        // Time is checked before each thing that acts (a key press, a pause, a beep, an
        // activation); once one has been refused, the rest of the script is not read.
        elementStart = pos;
        if (outOfTime)
            return false;
        switch (text[pos]) {
        case '+':
            HoldModifier(shiftHeld, VK_SHIFT_KEY);
            ++pos;
            continue;
        case '^':
            HoldModifier(ctrlHeld, VK_CONTROL_KEY);
            ++pos;
            continue;
        case '%':
            HoldModifier(altHeld, VK_ALT_KEY);
            ++pos;
            continue;
        case '@':
            HoldModifier(winHeld, VK_LWIN_KEY);
            ++pos;
            continue;
        case '(':
            groupOpen = true;
            ++pos;
            continue;
        case ')':
            groupOpen = false;
            ReleaseHeldModifiers();
            ++pos;
            continue;
        case '~':
            PressKey(VK_ENTER_KEY, 1, true, false);
            ReleaseHeldModifiers();
            ++pos;
            continue;
        case '{': {
            size_t close = text.find('}', pos + 1);
            std::string_view content = text.substr(pos + 1, close == std::string_view::npos ? std::string_view::npos : close - pos - 1);
            if (!BraceToken(content))
                return false;
            pos = close == std::string_view::npos ? text.size() : close + 1;
            continue;
        }
        default:
            break;
        }
        char32_t ch;
        if (utf8) {
            pos += DecodeUtf8(text, pos, ch);
            if (ch == InvalidChar)
                continue;
        } else {
            ch = static_cast<unsigned char>(text[pos++]);
        }
        uint16_t key = platform->VkKeyScan(ch);
        if (key == NO_KEY)
            continue;  // the layout cannot type it; held modifiers stay for the next key
        PressWithModifiers(key, 1);
        ReleaseHeldModifiers();
    }
    return true;
}

bool KeySender::BraceToken(std::string_view content)
{
    if (CountCharacters(content, platform->ReadsUtf8()) > MaxTokenCharacters) {
        StopHere(RunEnd::TokenTooLong);
        groupOpen = false;
        ReleaseHeldModifiers();
        return false;
    }

    if (BeginsWith(content, "VKEY")) {
        uint16_t key = static_cast<uint16_t>(ReadNumber(content.substr(4)));
        if (key != NO_KEY) {
            PressWithModifiers(key, 1);
            ReleaseHeldModifiers();
        }
    } else if (BeginsWith(content, "BEEP")) {
        // "BEEP", one separator, then "<frequency> <duration>".
        if (content.size() <= 5)
            return true;
        std::string_view rest = content.substr(5);
        size_t blank = rest.find(' ');
        if (blank == std::string_view::npos)
            return true;
        int64_t frequency = ReadNumber(rest.substr(0, blank));
        int32_t duration = ClampDuration(ReadNumber(rest.substr(blank + 1)));
        Beep(frequency < 0 ? 0 : uint32_t(frequency), uint32_t(duration));
    } else if (BeginsWith(content, "APPACTIVATE")) {
        if (content.size() > 12 && !OutOfTime())
            ActivateWindowByTitle(*platform, std::string(content.substr(12)));
    } else if (BeginsWith(content, "DELAY")) {
        if (content.size() > 5 && content[5] == '=')
            defaultDelay = ClampDuration(ReadNumber(content.substr(6)));
        else
            nextDelay = ClampDuration(ReadNumber(content.substr(content.size() > 5 ? 5 : content.size())));
    } else if (const KeyName* row = FindKeyName(content)) {
        size_t nameLength = std::strlen(row->name);
        uint32_t count = 1;
        if (content.size() > nameLength) {
            // An unsigned 16-bit count: a negative one types nothing rather than 65,535 presses.
            int64_t number = ReadNumber(content.substr(nameLength));
            count = number < 0 ? 0 : static_cast<uint16_t>(number);
        }
        uint16_t key = row->character ? platform->VkKeyScan(char32_t(row->key)) : row->key;
        if (key != NO_KEY) {
            PressWithModifiers(key, count);
            ReleaseHeldModifiers();
        }
    }
    return true;
}

void KeySender::HoldModifier(bool& held, uint8_t vk)
{
    PressKey(vk, 1, false, false);
    held = held || !outOfTime;
}

void KeySender::PressWithModifiers(uint16_t key, uint32_t count)
{
    if (count == 0 || OutOfTime())
        return;
    unsigned bits = key >> 8;
    uint8_t vk = key & 0xFF;
    // The key's own modifiers go down and up around it even when a prefix already holds the same one.
    if (bits & 1)
        PressKey(VK_SHIFT_KEY, 1, false, false);
    if (bits & 2)
        PressKey(VK_CONTROL_KEY, 1, false, false);
    if (bits & 4)
        PressKey(VK_ALT_KEY, 1, false, false);
    PressKey(vk, count, true, true);
    if (bits & 1)
        KeyUp(VK_SHIFT_KEY);
    if (bits & 2)
        KeyUp(VK_CONTROL_KEY);
    if (bits & 4)
        KeyUp(VK_ALT_KEY);
}

void KeySender::PressKey(uint8_t vk, uint32_t count, bool withKeyUp, bool withDelay)
{
    if (count == 0)
        return;
    if (vk == VK_NUMLOCK_KEY) {
        ToggleNumLock(count, withDelay);
        return;
    }
    uint8_t scan = platform->MapVirtualKey(vk) & 0xFF;
    uint32_t flags = IsExtendedKey(vk) ? KEYFLAG_EXTENDED : 0;
    for (uint32_t i = 0; i < count; ++i) {
        if (OutOfTime())
            return;
        if (withDelay) {
            Wait();
            if (outOfTime)
                return;
        }
        SendEvent(vk, scan, flags);
        if (withKeyUp)
            SendEvent(vk, scan, flags | KEYFLAG_KEYUP);
    }
}

void KeySender::ToggleNumLock(uint32_t count, bool withDelay)
{
    // Each system family flips NumLock its own way; every flip is a whole press, never pumped.
    uint32_t version = platform->GetVersion();
    bool consumerFamily = (version & 0x80000000u) != 0;
    unsigned minor = (version >> 8) & 0xFF;
    for (uint32_t i = 0; i < count; ++i) {
        if (OutOfTime())
            return;
        if (withDelay) {
            Wait();
            if (outOfTime)
                return;
        }
        if (!consumerFamily) {
            platform->KeyEvent(VK_NUMLOCK_KEY, NUMLOCK_SCAN, KEYFLAG_EXTENDED);
            platform->KeyEvent(VK_NUMLOCK_KEY, NUMLOCK_SCAN, KEYFLAG_EXTENDED | KEYFLAG_KEYUP);
        } else if (minor >= 10) {
            platform->SendKeyPair(VK_NUMLOCK_KEY);
        } else {
            bool on = (platform->GetKeyState(VK_NUMLOCK_KEY) & 1) != 0;
            uint8_t table[256] = {};
            platform->GetKeyboardState(table);
            if (on)
                table[VK_NUMLOCK_KEY] &= ~1;
            else
                table[VK_NUMLOCK_KEY] |= 1;
            platform->SetKeyboardState(table);
        }
    }
}

void KeySender::KeyUp(uint8_t vk)
{
    uint8_t scan = platform->MapVirtualKey(vk) & 0xFF;
    SendEvent(vk, scan, (IsExtendedKey(vk) ? KEYFLAG_EXTENDED : 0) | KEYFLAG_KEYUP);
}

void KeySender::ReleaseHeldModifiers()
{
    if (groupOpen)
        return;
    if (shiftHeld)
        KeyUp(VK_SHIFT_KEY);
    if (ctrlHeld)
        KeyUp(VK_CONTROL_KEY);
    if (altHeld)
        KeyUp(VK_ALT_KEY);
    if (winHeld)
        KeyUp(VK_LWIN_KEY);
    shiftHeld = ctrlHeld = altHeld = winHeld = false;
}

void KeySender::Wait()
{
    if (nextDelay == 0)
        nextDelay = defaultDelay;
    uint32_t delay = uint32_t(nextDelay);
    nextDelay = 0;
    if (delay != 0)
        Pause(delay);
}

void KeySender::SendEvent(uint8_t vk, uint8_t scan, uint32_t flags)
{
    platform->KeyEvent(vk, scan, flags);
    if (pumpMessages)
        platform->PumpKeyboardMessages();
}

bool ActivateWindow(KeyPlatform& platform, NativeWindow window)
{
    if (!window)
        return false;
    platform.SendHotKeyCommand(window);
    platform.ShowWindow(window);
    platform.SetForegroundWindow(window);
    platform.SetFocus(window);
    return true;
}

bool ActivateWindowByTitle(KeyPlatform& platform, const std::string& title)
{
    if (title.empty())
        return false;
    NativeWindow found = platform.FindWindowByTitle(title);
    if (!found) {
        platform.EnumTopLevelWindows([&](NativeWindow window) {
            std::string text = platform.GetWindowText(window);
            if (text.size() > MaxTitleBytes)
                text.resize(MaxTitleBytes);
            if (text.find(title) == std::string::npos)
                return true;
            found = window;
            return false;
        });
    }
    return found ? ActivateWindow(platform, found) : false;
}
