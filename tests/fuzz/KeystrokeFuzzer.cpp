// Keystroke scripts against the recording platform, whose clock only pauses, beeps and key events
// move (a millisecond each), so nothing is slept and no script makes the fuzzer slow. Besides the
// sanitizers' findings it checks what every run promises: every key the script pressed is up again
// when the run ends, nothing is typed after the platform heard the end of the run, no run takes
// more than its minute, and a run that stops early says why and at a place inside the script.
#include "fuzz/FuzzCheck.h"
#include "session/keys/KeySender.h"
#include "session/keys/RecordingKeyPlatform.h"

#include <cstring>
#include <string>

namespace {
class FuzzKeyPlatform : public RecordingKeyPlatform {
public:
    bool ansi = false;
    bool pump = false;
    bool down[256] = {};
    bool inRun = false;

    bool ReadsUtf8() const override { return !ansi; }
    void BeginRun() override { inRun = true; }
    void EndRun() override { inRun = false; }
    void KeyEvent(uint8_t vk, uint8_t, uint32_t flags) override
    {
        FUZZ_CHECK(inRun);
        clock += 1;
        down[vk] = !(flags & KEYFLAG_KEYUP);
    }
    void SendKeyPair(uint8_t) override
    {
        FUZZ_CHECK(inRun);
        clock += 2;
    }
    void SetKeyboardState(const uint8_t table[256]) override
    {
        FUZZ_CHECK(inRun);
        clock += 1;
        numLockOn = table[0x90] & 1;
    }
    void GetKeyboardState(uint8_t table[256]) override { std::memset(table, 0, 256); }
    void PumpKeyboardMessages() override {}
    void Sleep(uint32_t ms) override { clock += ms; }
    void Beep(uint32_t, uint32_t ms) override { clock += ms; }
};

size_t Characters(const std::string& script, bool utf8)
{
    size_t count = 0;
    for (unsigned char c : script)
        count += !utf8 || (c & 0xC0) != 0x80;
    return count;
}

void CheckRun(FuzzKeyPlatform& platform, KeySender& sender, const std::string& text)
{
    const std::string script = text.c_str();  // a script ends at its first NUL
    const uint64_t start = platform.clock;
    const bool completed = sender.SendKeys(text, platform.pump);
    FUZZ_CHECK(!platform.inRun);
    for (bool isDown : platform.down)
        FUZZ_CHECK(!isDown);
    // Key-ups of what is held may follow the last check of the clock: four modifiers, three implied
    // ones and the key itself at a millisecond each.
    FUZZ_CHECK(platform.clock - start <= uint64_t(KeySender::MaxRunTime) + 8);
    FUZZ_CHECK(completed == (sender.LastRunEnd() == KeySender::RunEnd::Completed));
    if (!completed) {
        FUZZ_CHECK(sender.StoppedAt() >= 1);
        FUZZ_CHECK(sender.StoppedAt() <= Characters(script, !platform.ansi));
    }
    platform.calls.clear();
}
}  // namespace

// The first byte chooses the platform: bit 0 an ANSI code page instead of UTF-8, bits 1-2 the
// system family for NumLock, bit 3 message pumping. The rest is run twice by one sender (delays
// carry over from one run to the next): up to its first NUL, and after it.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    FuzzKeyPlatform platform;
    platform.ansi = data[0] & 1;
    static const uint32_t versions[] = {0x23F00206, 0xC0000A04, 0xC0000004, 0x0000000A};
    platform.version = versions[(data[0] >> 1) & 3];
    platform.pump = data[0] & 8;
    KeySender sender(&platform);

    std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    size_t nul = rest.find('\0');
    CheckRun(platform, sender, rest.substr(0, nul));
    if (nul != std::string::npos)
        CheckRun(platform, sender, rest.substr(nul + 1));
    return 0;
}
