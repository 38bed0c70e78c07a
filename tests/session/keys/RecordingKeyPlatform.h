#pragma once
// A KeyPlatform that types nothing: it records every call as a short line ("D41:1e", "U26+:48",
// "sleep 10", "focus 7", ...) and answers layout questions like a US keyboard on Windows. Pauses
// are not slept: they move a clock of its own, which key events move too when asked to.
#include "session/keys/KeyPlatform.h"

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

class RecordingKeyPlatform : public KeyPlatform {
public:
    std::vector<std::string> calls;
    uint32_t version = 0x23F00206;  // NT family
    bool numLockOn = false;
    bool recordRuns = false;        // also record BeginRun/EndRun
    std::vector<std::pair<NativeWindow, std::string>> windows;  // top-level windows, enumeration order
    std::vector<char32_t> scanned;  // every character VkKeyScan was asked about
    uint64_t clock = 0;             // milliseconds
    uint32_t millisecondsPerEvent = 0;

    // Events only: key downs and ups, as "D<vk>:<scan>" / "U<vk>:<scan>", "+" after vk when extended.
    std::vector<std::string> Events() const
    {
        std::vector<std::string> out;
        for (auto& c : calls)
            if (c[0] == 'D' || c[0] == 'U')
                out.push_back(c);
        return out;
    }
    // Key downs only, as two hex digits each ("414243" for abc).
    std::string Downs() const
    {
        std::string out;
        for (auto& c : calls)
            if (c[0] == 'D')
                out += c.substr(1, 2);
        return out;
    }

    static uint8_t ScanOf(uint32_t vk)
    {
        static const std::map<uint32_t, uint8_t> scans = {
            {0x10, 0x2A}, {0x11, 0x1D}, {0x12, 0x38}, {0x5B, 0x5B}, {0x0D, 0x1C}, {0x09, 0x0F}, {0x41, 0x1E},
            {0x42, 0x30}, {0x43, 0x2E}, {0x25, 0x4B}, {0x26, 0x48}, {0x70, 0x3B}, {0x90, 0x45}};
        auto it = scans.find(vk);
        return it == scans.end() ? uint8_t(vk ^ 0x80) : it->second;
    }

    void BeginRun() override
    {
        if (recordRuns)
            calls.push_back("begin");
    }
    void EndRun() override
    {
        if (recordRuns)
            calls.push_back("end");
    }
    void KeyEvent(uint8_t vk, uint8_t scan, uint32_t flags) override
    {
        clock += millisecondsPerEvent;
        char line[32];
        std::snprintf(line, sizeof line, "%c%02X%s:%02x%s", (flags & KEYFLAG_KEYUP) ? 'U' : 'D', vk,
                      (flags & KEYFLAG_EXTENDED) ? "+" : "", scan, (flags & ~3u) ? "?" : "");
        calls.push_back(line);
    }
    void SendKeyPair(uint8_t vk) override { calls.push_back("pair " + Hex(vk)); }
    uint32_t MapVirtualKey(uint32_t vk) override { return ScanOf(vk); }
    uint16_t VkKeyScan(char32_t ch) override
    {
        scanned.push_back(ch);
        if (ch >= 'a' && ch <= 'z')
            return uint16_t(ch - 'a' + 'A');
        if (ch >= 'A' && ch <= 'Z')
            return uint16_t(0x100 | ch);
        if (ch >= '0' && ch <= '9')
            return uint16_t(ch);
        static const std::map<char32_t, uint16_t> others = {
            {' ', 0x20},   {'-', 0xBD},   {'@', 0x132},  {'{', 0x1DB},  {'}', 0x1DD}, {'(', 0x139},
            {')', 0x130},  {'~', 0x1C0},  {'^', 0x136},  {'%', 0x135},  {'+', 0x1BB}, {'.', 0xBE},
            {0x20AC, 0x645} /* € as Ctrl+Alt+E, as a German layout gives it */};
        auto it = others.find(ch);
        return it == others.end() ? 0xFFFF : it->second;
    }
    uint32_t GetVersion() override { return version; }
    int16_t GetKeyState(int vk) override { return vk == 0x90 && numLockOn ? 1 : 0; }
    void GetKeyboardState(uint8_t table[256]) override
    {
        for (int i = 0; i < 256; ++i)
            table[i] = 0;
        table[0x90] = numLockOn ? 1 : 0;
        calls.push_back("getstate");
    }
    void SetKeyboardState(const uint8_t table[256]) override
    {
        numLockOn = table[0x90] & 1;
        calls.push_back(std::string("setstate numlock=") + (numLockOn ? "1" : "0"));
    }
    void PumpKeyboardMessages() override { calls.push_back("pump"); }
    void Sleep(uint32_t ms) override
    {
        clock += ms;
        calls.push_back("sleep " + std::to_string(ms));
    }
    uint64_t Milliseconds() override { return clock; }
    void Beep(uint32_t frequency, uint32_t ms) override
    {
        clock += ms;
        calls.push_back("beep " + std::to_string(frequency) + " " + std::to_string(ms));
    }
    NativeWindow FindWindowByTitle(const std::string& title) override
    {
        calls.push_back("find " + title);
        for (auto& w : windows)
            if (w.second == title)
                return w.first;
        return 0;
    }
    void EnumTopLevelWindows(const std::function<bool(NativeWindow)>& visit) override
    {
        calls.push_back("enum");
        for (auto& w : windows)
            if (!visit(w.first))
                break;
    }
    std::string GetWindowText(NativeWindow window) override
    {
        calls.push_back("title " + std::to_string(window));
        for (auto& w : windows)
            if (w.first == window)
                return w.second;
        return "";
    }
    void SendHotKeyCommand(NativeWindow w) override { calls.push_back("hotkey " + std::to_string(w)); }
    void ShowWindow(NativeWindow w) override { calls.push_back("show " + std::to_string(w)); }
    void SetForegroundWindow(NativeWindow w) override { calls.push_back("foreground " + std::to_string(w)); }
    void SetFocus(NativeWindow w) override { calls.push_back("focus " + std::to_string(w)); }

private:
    static std::string Hex(unsigned v)
    {
        char text[8];
        std::snprintf(text, sizeof text, "%02X", v);
        return text;
    }
};
