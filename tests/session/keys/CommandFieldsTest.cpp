// Per-terminal fields in a broadcast command: what each terminal is typed, run through the real
// interpreter against the recording platform (every character the layout is asked for is what
// arrives).
#include "session/keys/CommandFields.h"
#include "session/keys/KeySender.h"
#include "session/keys/RecordingKeyPlatform.h"

#include <gtest/gtest.h>

namespace {
// The characters asked for, as UTF-8 (two-byte sequences are all this test needs).
std::string Utf8Of(const std::vector<char32_t>& points)
{
    std::string out;
    for (char32_t point : points) {
        if (point < 0x80) {
            out += static_cast<char>(point);
        } else {
            out += static_cast<char>(0xC0 | (point >> 6));
            out += static_cast<char>(0x80 | (point & 0x3F));
        }
    }
    return out;
}
}  // namespace

TEST(CommandFieldsTest, EachFieldIsTypedAsItsTerminalsOwnTextExactly)
{
    // Values that would be modifiers, groups, Enter or key names in a script, non-ASCII text, and a
    // value that looks like a field itself (it is not substituted again).
    const TerminalFields fields{"db (main) {%HOST%}", "h+o^s%t~", "r\xC3\xA9mi{ENTER}", "2222"};
    const std::string script = "echo {%NAME%}:{%host%}:{%User%}:{%PORT%} {%%} {%} 50%";
    ASSERT_TRUE(CommandFields::HasFields(script));
    EXPECT_EQ(CommandFields::UnknownField(script), "");
    const std::string typed = CommandFields::Substitute(script, fields);

    RecordingKeyPlatform platform;
    KeySender sender(&platform);
    ASSERT_TRUE(sender.SendKeys(typed, false));
    // "{%%}", "{%}" are no fields and name no key (nothing is typed for them); "50%" leaves its
    // trailing percent as the Alt prefix it always was, with nothing after it.
    EXPECT_EQ(Utf8Of(platform.scanned), "echo db (main) {%HOST%}:h+o^s%t~:r\xC3\xA9mi{ENTER}:2222   50");
    for (const std::string& line : platform.calls)
        EXPECT_TRUE(line.rfind("D0D:", 0) != 0) << "no Enter key inside a value";
}

TEST(CommandFieldsTest, AnUnknownFieldIsNamedAndScriptsWithoutFieldsStayAsTheyAre)
{
    EXPECT_EQ(CommandFields::UnknownField("echo {%HOST%} {%PASSWORD%} {%NOPE%}"), "PASSWORD");
    EXPECT_EQ(CommandFields::UnknownField("{%hostname%}"), "hostname");
    for (const char* plain : {"ls -l{ENTER}", "+(abc)", "{PERCENT}HOST{PERCENT}", "{%HOST", "%HOST%}", "{% HOST %}"}) {
        EXPECT_FALSE(CommandFields::HasFields(plain)) << plain;
        EXPECT_EQ(CommandFields::UnknownField(plain), "") << plain;
        EXPECT_EQ(CommandFields::Substitute(plain, {"n", "h", "u", "p"}), plain) << plain;
    }
}
