// The keystroke interpreter against a recording platform: which events, pauses, beeps and
// activations a script produces, in which order.
#include "session/keys/KeyNames.h"
#include "session/keys/KeySender.h"
#include "session/keys/RecordingKeyPlatform.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

namespace {
using Lines = std::vector<std::string>;

class KeySenderTest : public ::testing::Test {
protected:
    RecordingKeyPlatform platform;
    KeySender sender{&platform};

    // Runs one script and returns every recorded call of that run.
    Lines Run(const std::string& script, bool expectedResult = true)
    {
        platform.calls.clear();
        EXPECT_EQ(expectedResult, sender.SendKeys(script, false)) << script;
        return platform.calls;
    }
    std::string Downs(const std::string& script)
    {
        Run(script);
        return platform.Downs();
    }
};

// A whole press of a key without modifiers, as the recorder writes it.
Lines Press(const std::string& vk, const std::string& scan, bool extended = false)
{
    std::string x = extended ? "+" : "";
    return {"D" + vk + x + ":" + scan, "U" + vk + x + ":" + scan};
}
Lines Join(std::initializer_list<Lines> parts)
{
    Lines out;
    for (auto& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}
}  // namespace

TEST_F(KeySenderTest, ShiftPrefixWrapsTheKeyWithScanCodesAndTheDelayGoesAfterTheShift)
{
    EXPECT_EQ(Run("+a"), (Lines{"D10:2a", "D41:1e", "U41:1e", "U10:2a"}));
    EXPECT_EQ(Run("{DELAY=10}+a"), (Lines{"D10:2a", "sleep 10", "D41:1e", "U41:1e", "U10:2a"}));
}

TEST_F(KeySenderTest, TildeIsEnterWithoutThePauseThatEnterInBracesWaits)
{
    Run("{DELAY=5}");
    Lines typed = Join({{"sleep 5"}, Press("4C", "cc"), {"sleep 5"}, Press("53", "d3"), {"sleep 5"}, Press("20", "a0"),
                        {"sleep 5"}, Press("BD", "3d"), {"sleep 5"}, Press("4C", "cc")});
    EXPECT_EQ(Run("ls -l~"), Join({typed, Press("0D", "1c")}));
    EXPECT_EQ(Run("ls -l{ENTER}"), Join({typed, {"sleep 5"}, Press("0D", "1c")}));
}

TEST_F(KeySenderTest, KeyNamesPressTheirKeysWithTheExtendedFlagOnDownAndUp)
{
    const std::map<std::string, Lines> cases = {
        {"{F1}", Press("70", "3b")},
        {"{F16}", Press("7F", "ff")},
        {"{f10}", Press("79", "f9")},
        {"{LEFT}", Press("25", "4b", true)},
        {"{up}", Press("26", "48", true)},
        {"{ENTER}", Press("0D", "1c")},
        {"{DEL}", Press("2E", "ae", true)},
        {"{DELETE}", Press("2E", "ae", true)},
        {"{ESCAPE}", Press("1B", "9b")},
        {"{LWIN}", Press("5B", "5b")},
        {"{NUMPAD7}", Press("67", "e7")},
        {"{LEFTBRACE}", Join({{"D10:2a"}, Press("DB", "5b"), {"U10:2a"}})},
        {"{RIGHTPAREN}", Join({{"D10:2a"}, Press("30", "b0"), {"U10:2a"}})},
        {"{TILDE}", Join({{"D10:2a"}, Press("C0", "40"), {"U10:2a"}})},
        {"{VKEY 65}", Press("41", "1e")},
        {"{VKEY 321}", Join({{"D10:2a"}, Press("41", "1e"), {"U10:2a"}})},
        {"{VKEY -1}", {}},
        {"{VKEY 65535}", {}},
        {"{}", {}},
        {"{ENT}", {}},
        {"{NOSUCHKEY}", {}},
        {"}", Join({{"D10:2a"}, Press("DD", "5d"), {"U10:2a"}})},
        {"^{END}", Join({{"D11:1d"}, Press("23", "a3", true), {"U11:1d"}})},
        {"%{F4}", Join({{"D12:38"}, Press("73", "f3"), {"U12:38"}})},
        // The key's own modifiers go around it even under a prefix holding the same one.
        {"+A", Join({{"D10:2a", "D10:2a"}, Press("41", "1e"), {"U10:2a", "U10:2a"}})},
        // Ctrl+Alt from the layout (AltGr characters), released in Shift, Ctrl, Alt order.
        {"+\xE2\x82\xAC", Join({{"D10:2a", "D11:1d", "D12:38"}, Press("45", "c5"), {"U11:1d", "U12:38", "U10:2a"}})},
    };
    for (auto& [script, expected] : cases)
        EXPECT_EQ(Run(script), expected) << script;
}

TEST_F(KeySenderTest, RepeatCountsFollowTheNameWithOrWithoutABlank)
{
    Run("{DELAY=7}");
    Lines tab = Join({{"sleep 7"}, Press("09", "0f")});
    Lines three = Join({tab, tab, tab});
    EXPECT_EQ(Run("{TAB 3}"), three);
    EXPECT_EQ(Run("{tab3}"), three);
    EXPECT_EQ(Run("{Tab   3}"), three);
    EXPECT_EQ(Run("{TAB 0}"), Lines{});
    EXPECT_EQ(Run("{TABLE}"), Lines{});
    EXPECT_EQ(Run("{LEFT 2}"), Join({{"sleep 7"}, Press("25", "4b", true), {"sleep 7"}, Press("25", "4b", true)}));
    // The count is an unsigned 16-bit number; a negative one types nothing.
    Run("{DELAY=0}");
    EXPECT_EQ(Downs("{TAB 65536}"), "");
    EXPECT_EQ(Run("{TAB 65535}").size(), 65535u * 2);
    EXPECT_EQ(Run("{TAB -1}"), Lines{});
}

TEST_F(KeySenderTest, DefaultDelayPersistsAcrossRunsAndNextDelayIsUsedOnce)
{
    Run("{DELAY=50}abc");
    EXPECT_EQ(std::count(platform.calls.begin(), platform.calls.end(), "sleep 50"), 3);
    EXPECT_EQ(Run("x")[0], "sleep 50");

    Lines run = Run("{DELAY 500}ab");
    EXPECT_EQ(run[0], "sleep 500");
    EXPECT_EQ(run[3], "sleep 50");
    EXPECT_EQ(Run("{DELAY500}a")[0], "sleep 500");
    EXPECT_EQ(Run("{DELAY 0}a")[0], "sleep 50");

    // A one-time delay left over at the end of a run is used by the next run's first key.
    Run("{DELAY 300}");
    EXPECT_EQ(Run("a")[0], "sleep 300");
    EXPECT_EQ(Run("a")[0], "sleep 50");

    // Modifier presses, "~" and key-ups never wait.
    EXPECT_EQ(Run("+~"), Join({{"D10:2a"}, Press("0D", "1c"), {"U10:2a"}}));
}

TEST_F(KeySenderTest, NegativeAndHugeNumbersGiveNoPauseOrAMinuteAtMost)
{
    EXPECT_EQ(Run("{DELAY=-5}a"), Press("41", "1e"));
    EXPECT_EQ(Run("{DELAY -5}a"), Press("41", "1e"));
    EXPECT_EQ(Run("{DELAY 99999999999999}a")[0], "sleep 60000");
    Run("{DELAY=4000000000}");
    EXPECT_EQ(Run("a")[0], "sleep 60000");
    Run("{DELAY=0}");

    EXPECT_EQ(Run("{BEEP 800 200}"), Lines{"beep 800 200"});
    EXPECT_EQ(Run("{beep 440 999999}"), Lines{"beep 440 60000"});
    EXPECT_EQ(Run("{BEEP -1 -1}"), Lines{"beep 0 0"});
    EXPECT_EQ(Run("{BEEP 800}"), Lines{});
    EXPECT_EQ(Run("{BEEP}"), Lines{});
    EXPECT_EQ(Run("{BEEP }"), Lines{});
}

// A run ends once it has taken a minute on the platform's clock (the recorder's moves with its pauses
// and beeps, and here also with key events): a pause or beep that would end later is cut short,
// nothing more goes down, every key held comes up, and the run says where it stopped.
TEST_F(KeySenderTest, NoRunTakesLongerThanAMinuteAndItSaysWhereItStopped)
{
    platform.recordRuns = true;
    auto timedRun = [&](const std::string& script) {
        uint64_t start = platform.clock;
        Lines run = Run(script, false);
        EXPECT_LE(platform.clock - start, 60000u) << script;
        EXPECT_EQ(sender.LastRunEnd(), KeySender::RunEnd::OutOfTime) << script;
        return run;
    };

    // 65,535 Tabs a second apart inside a Shift group: 58 fit after a and b, then Shift comes up.
    Run("{DELAY=1000}");
    Lines run = timedRun("+(ab{TAB 65535}c)");
    EXPECT_EQ(std::count(run.begin(), run.end(), "D09:0f"), 58);
    EXPECT_EQ(Lines(run.end() - 3, run.end()), (Lines{"U09:0f", "U10:2a", "end"}));
    EXPECT_EQ(sender.StoppedAt(), 5u);

    Run("{DELAY=0}");
    EXPECT_EQ(timedRun("{DELAY 50000}a^{DELAY 50000}b"),
              Join({{"begin", "sleep 50000"}, Press("41", "1e"), {"D11:1d", "sleep 10000", "U11:1d", "end"}}));
    EXPECT_EQ(sender.StoppedAt(), 29u);
    EXPECT_EQ(timedRun("{BEEP 440 50000}x{BEEP 440 50000}y"),
              Join({{"begin", "beep 440 50000"}, Press("58", "d8"), {"beep 440 10000", "end"}}));
    EXPECT_EQ(sender.StoppedAt(), 18u);
    // A key typed just as the minute is up is the last; positions count characters, not bytes.
    EXPECT_EQ(timedRun("\xC3\xA9{DELAY 60000}ab"), Join({{"begin", "sleep 60000"}, Press("41", "1e"), {"end"}}));
    EXPECT_EQ(sender.StoppedAt(), 16u);

    // Without pauses a long run stops as well: 30,000 Tabs of two 1 ms events, no NumLock flip.
    platform.millisecondsPerEvent = 1;
    run = timedRun("{TAB 65535}{NUMLOCK 65535}");
    EXPECT_EQ(run.size(), 60002u);
    EXPECT_EQ(run[run.size() - 2], "U09:0f");
    EXPECT_EQ(sender.StoppedAt(), 1u);
    platform.millisecondsPerEvent = 0;

    // The next run has its own minute; a completed one reports no stop, also when the minute
    // is up with nothing left to type or wait for.
    EXPECT_TRUE(sender.SendKeys("a", false));
    EXPECT_EQ(sender.LastRunEnd(), KeySender::RunEnd::Completed);
    EXPECT_EQ(sender.StoppedAt(), 0u);
    EXPECT_TRUE(sender.SendKeys("{DELAY 60000}+(a){DELAY 5}{XYZ}\xAF", false));
    EXPECT_EQ(sender.LastRunEnd(), KeySender::RunEnd::Completed);
    EXPECT_FALSE(sender.SendKeys("{" + std::string(300, 'x') + "}", false));
    EXPECT_EQ(sender.LastRunEnd(), KeySender::RunEnd::TokenTooLong);
    EXPECT_EQ(sender.StoppedAt(), 1u);
}

TEST_F(KeySenderTest, GroupsKeepPrefixModifiersDownUntilTheyClose)
{
    EXPECT_EQ(Run("+(ab)c"), Join({{"D10:2a"}, Press("41", "1e"), Press("42", "30"), {"U10:2a"}, Press("43", "2e")}));
    EXPECT_EQ(Run("+{DELAY 10}a"), Join({{"D10:2a", "sleep 10"}, Press("41", "1e"), {"U10:2a"}}));
    EXPECT_EQ(Run("+abc"), Join({{"D10:2a"}, Press("41", "1e"), {"U10:2a"}, Press("42", "30"), Press("43", "2e")}));
    // Nested "(" only sets the flag again: the first ")" closes the group.
    EXPECT_EQ(Run("^((a)b)"), Join({{"D11:1d"}, Press("41", "1e"), {"U11:1d"}, Press("42", "30")}));
    // ")" without "(" releases; a missing ")" is closed at the end of the text.
    EXPECT_EQ(Run(")a)"), Press("41", "1e"));
    EXPECT_EQ(Run("%(ab"), Join({{"D12:38"}, Press("41", "1e"), Press("42", "30"), {"U12:38"}}));
    // A character the layout cannot type leaves the modifier for the next key.
    EXPECT_EQ(Run("+\xC3\xA9" "a"), Join({{"D10:2a"}, Press("41", "1e"), {"U10:2a"}}));
    // Commands and unknown names do not release either.
    EXPECT_EQ(Run("^{BEEP 1 2}{XYZ}a"), Join({{"D11:1d", "beep 1 2"}, Press("41", "1e"), {"U11:1d"}}));
}

TEST_F(KeySenderTest, LonePrefixesAtTheEndAreReleasedInShiftCtrlAltWinOrder)
{
    EXPECT_EQ(Run("a@%^+"), Join({Press("41", "1e"), {"D5B:5b", "D12:38", "D11:1d", "D10:2a"},
                                  {"U10:2a", "U11:1d", "U12:38", "U5B:5b"}}));
    EXPECT_EQ(Run("+("), (Lines{"D10:2a", "U10:2a"}));
}

TEST_F(KeySenderTest, NumLockFlipsOnEveryFamily)
{
    platform.version = 0x23F00206;  // NT: a down and an up with scan 0x45 and the extended flag
    EXPECT_EQ(Run("{NUMLOCK}"), (Lines{"D90+:45", "U90+:45"}));
    EXPECT_EQ(Run("{NUMLOCK 2}"), (Lines{"D90+:45", "U90+:45", "D90+:45", "U90+:45"}));

    platform.version = 0xC0000A04;  // consumer family, minor 10: one SendInput pair per flip
    EXPECT_EQ(Run("{numlock 2}"), (Lines{"pair 90", "pair 90"}));

    platform.version = 0xC0000004;  // oldest: the key-state table's toggle bit is flipped
    platform.numLockOn = false;
    EXPECT_EQ(Run("{NUMLOCK}"), (Lines{"getstate", "setstate numlock=1"}));
    EXPECT_EQ(Run("{NUMLOCK 2}"), (Lines{"getstate", "setstate numlock=0", "getstate", "setstate numlock=1"}));

    // Messages are not pumped after a NumLock flip, but after every other event.
    platform.version = 0x23F00206;
    platform.calls.clear();
    sender.SendKeys("{NUMLOCK}a", true);
    EXPECT_EQ(platform.calls, (Lines{"D90+:45", "U90+:45", "D41:1e", "pump", "U41:1e", "pump"}));
}

TEST_F(KeySenderTest, BraceContentOf300CharactersStopsTheRunAfterReleasingModifiers)
{
    std::string tab299 = "TAB" + std::string(295, ' ') + "2";  // 299 characters: two Tabs
    EXPECT_EQ(Downs("{" + tab299 + "}"), "0909");

    std::string tab300 = "TAB" + std::string(296, ' ') + "2";
    platform.recordRuns = true;
    EXPECT_EQ(Run("a+(b{" + tab300 + "}c", false),
              Join({{"begin"}, Press("41", "1e"), {"D10:2a"}, Press("42", "30"), {"U10:2a", "end"}}));
    platform.recordRuns = false;
    // Unterminated, the rest of the text is the content: the limit applies to it as well.
    EXPECT_EQ(Run("x{" + tab300, false), Press("58", "d8"));
    // Characters, not bytes, count: 299 two-byte characters are still one token.
    std::string title;
    for (int i = 0; i < 287; ++i)
        title += "\xC3\xA9";
    EXPECT_EQ(Run("{APPACTIVATE " + title + "}a"), Join({{"find " + title, "enum"}, Press("41", "1e")}));
}

TEST_F(KeySenderTest, UnterminatedBracesTakeTheRestOfTheText)
{
    EXPECT_EQ(Downs("ab{TAB 2"), "41420909");
    EXPECT_EQ(Downs("ab{"), "4142");
    EXPECT_EQ(Downs("{ENTER{a}b"), "42");  // "ENTER{a" names no key
}

TEST_F(KeySenderTest, Utf8CharactersReachTheLayoutAsCodePointsAndBadBytesAreSkipped)
{
    platform.scanned.clear();
    Run("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(platform.scanned, (std::vector<char32_t>{0xE9, 0x20AC, 0x1F600}));

    // Stray continuation, overlong, surrogate, beyond U+10FFFF, invalid lead, cut-off sequences.
    platform.scanned.clear();
    Run("\x80" "a\xC0\xAF" "b\xED\xA0\x80" "c\xF4\x90\x80\x80\xFF" "d\xE2\x82");
    EXPECT_EQ(platform.scanned, (std::vector<char32_t>{'a', 'b', 'c', 'd'}));
    EXPECT_EQ(platform.Downs(), "41424344");

    // The script ends at the first NUL.
    EXPECT_EQ(Downs(std::string("a\0b", 3)), "41");
}

TEST_F(KeySenderTest, AppActivatePrefersTheExactTitleThenTheFirstThatContainsIt)
{
    platform.windows = {{11, "Untitled - Notepad"}, {12, "Untitled"}, {13, "Another Untitled"}};
    EXPECT_EQ(Run("{APPACTIVATE Untitled}a"),
              Join({{"find Untitled", "hotkey 12", "show 12", "foreground 12", "focus 12"}, Press("41", "1e")}));

    platform.windows = {{11, "notes"}, {12, "bash - Untitled - x"}, {13, "Untitled 2"}};
    EXPECT_EQ(Run("{appactivate Untitled}"),
              (Lines{"find Untitled", "enum", "title 11", "title 12", "hotkey 12", "show 12", "foreground 12", "focus 12"}));

    // Case counts; no match leaves the focus alone and typing goes on.
    EXPECT_EQ(Run("{APPACTIVATE untitled}b"),
              Join({{"find untitled", "enum", "title 11", "title 12", "title 13"}, Press("42", "30")}));
    // An empty title activates nothing.
    EXPECT_EQ(Run("{APPACTIVATE}{APPACTIVATE }"), Lines{});
    EXPECT_FALSE(ActivateWindowByTitle(platform, ""));

    // Only the first 299 bytes of a title are searched.
    platform.windows = {{21, std::string(299, 'x') + "tail"}};
    EXPECT_FALSE(ActivateWindowByTitle(platform, "tail"));
    EXPECT_TRUE(ActivateWindowByTitle(platform, std::string(298, 'x')));
}

TEST_F(KeySenderTest, ActivateWindowRunsTheFourStepsUnlessTheWindowIsNull)
{
    platform.calls.clear();
    EXPECT_FALSE(ActivateWindow(platform, 0));
    EXPECT_TRUE(platform.calls.empty());
    EXPECT_TRUE(ActivateWindow(platform, 42));
    EXPECT_EQ(platform.calls, (Lines{"hotkey 42", "show 42", "foreground 42", "focus 42"}));
}

// Whatever the script, every key that went down comes up again before SendKeys returns, and the
// platform hears about the end of the run last. A second down of a key that is down only repeats
// it, so the state of each key is down or up.
TEST_F(KeySenderTest, RandomScriptsNeverLeaveAKeyDown)
{
    const std::vector<std::string> pieces = {"+", "^", "%", "@", "(", ")", "~", "{", "}", "a", "B", "1", " ",
                                             "\xC3\xA9", "\xE2\x82\xAC", "\xFF", "{TAB 2}", "{DELAY 1}", "{VKEY 321}",
                                             "{VKEY 1041}", "{LEFT}", "{NUMLOCK}", "{BEEP 1 1}", "{F5", "{PLUS}",
                                             "{" + std::string(300, 'x') + "}"};
    std::mt19937 random(1234);
    platform.recordRuns = true;
    for (int run = 0; run < 3000; ++run) {
        std::string script;
        int length = random() % 12;
        for (int i = 0; i < length; ++i)
            script += pieces[random() % pieces.size()];
        platform.calls.clear();
        sender.SendKeys(script, run % 2 == 0);
        std::map<std::string, bool> down;
        for (auto& call : platform.calls)
            if (call[0] == 'D' || call[0] == 'U')
                down[call.substr(1, 2)] = call[0] == 'D';
        for (auto& [vk, isDown] : down)
            EXPECT_FALSE(isDown) << "key " << vk << " after " << script;
        ASSERT_EQ(platform.calls.front(), "begin");
        ASSERT_EQ(platform.calls.back(), "end") << script;
    }
}

TEST(KeyNames, TableIsSortedForBisectionAndEveryNameFindsItself)
{
    for (size_t i = 1; i < KeyNameCount; ++i)
        EXPECT_LT(std::string(KeyNames[i - 1].name), std::string(KeyNames[i].name)) << i;
    for (size_t i = 0; i < KeyNameCount; ++i) {
        EXPECT_EQ(FindKeyName(KeyNames[i].name), &KeyNames[i]) << KeyNames[i].name;
        std::string lower = KeyNames[i].name;
        for (char& c : lower)
            c = char(std::tolower(c));
        EXPECT_EQ(FindKeyName(lower + " 12"), &KeyNames[i]) << lower;
    }
    EXPECT_EQ(FindKeyName("LEFTPAREN"), FindKeyName("leftparenthesis"));
    EXPECT_STREQ(FindKeyName("LEFTB")->name, "LEFT");
    EXPECT_EQ(FindKeyName("EN"), nullptr);
    EXPECT_EQ(FindKeyName(""), nullptr);
    for (uint8_t vk : {0x26, 0x28, 0x25, 0x27, 0x24, 0x23, 0x21, 0x22, 0x2D, 0x2E})
        EXPECT_TRUE(IsExtendedKey(vk)) << int(vk);
    int extended = 0;
    for (int vk = 0; vk < 256; ++vk)
        extended += IsExtendedKey(uint8_t(vk));
    EXPECT_EQ(extended, 10);
}
