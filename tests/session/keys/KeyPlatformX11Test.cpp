// The keystroke engine against a real X server: scripts typed through SendKeys must arrive in
// windows of ours exactly as written, with the layout the server has now, and leave no key down.
#include <gtest/gtest.h>  // before X11's None and Bool macros

#include "session/keys/ScriptText.h"
#include "session/keys/KeySender.h"
#include "session/keys/KeyRecorder.h"

#include <X11/XKBlib.h>
#include <X11/keysym.h>

#include <cstdlib>
#include <thread>

namespace {

// The printable ASCII range, in order.
std::string PrintableAscii() { std::string s; for (char c = 0x20; c <= 0x7E; ++c) s += c; return s; }

int Shell(const std::string& command) { return std::system(command.c_str()); }

class KeyPlatformX11Test : public ::testing::Test {
protected:
    std::unique_ptr<KeyPlatform> platform = CreateSystemKeyPlatform();
    KeySender sender{platform.get()};

    // Types script into recorder (activated first) and waits until expected has arrived.
    void TypeAndExpect(KeyRecorder& recorder, const std::string& script, const std::string& expected)
    {
        ASSERT_TRUE(ActivateWindow(*platform, recorder.window));
        recorder.Clear();
        EXPECT_TRUE(sender.SendKeys(script, false));
        recorder.WaitForText(expected);
        EXPECT_EQ(recorder.text, expected) << "script: " << script;
        EXPECT_EQ(recorder.KeysDown(), std::vector<int>{}) << "keys left down by: " << script;
    }
};

class GermanLayout : public KeyPlatformX11Test {
protected:
    void SetUp() override { ASSERT_EQ(Shell("setxkbmap de"), 0); }
    void TearDown() override { Shell("setxkbmap us"); }
};
}  // namespace

TEST_F(KeyPlatformX11Test, EveryPrintableAsciiCharacterArrivesInOrder)
{
    KeyRecorder recorder("Shellyard ascii");
    TypeAndExpect(recorder, AsScript(PrintableAscii()), PrintableAscii());
    // "}" outside a token and the grouping prefixes: +(ab)c types ABc, ^ and % held over nothing.
    TypeAndExpect(recorder, "}+(ab)c", "}ABc");
    TypeAndExpect(recorder, "ls -l{TAB 0}~", "ls -l\r");
}

TEST_F(KeyPlatformX11Test, CharactersOutsideTheLayoutArriveThroughASpareKeyAndTheKeymapIsRestored)
{
    KeyRecorder recorder("Shellyard unicode");
    int minKeycode, maxKeycode, perKeycode;
    XDisplayKeycodes(recorder.display, &minKeycode, &maxKeycode);
    auto keymap = [&] {
        KeySym* syms = XGetKeyboardMapping(recorder.display, KeyCode(minKeycode), maxKeycode - minKeycode + 1, &perKeycode);
        std::vector<KeySym> copy(syms, syms + (maxKeycode - minKeycode + 1) * perKeycode);
        XFree(syms);
        return copy;
    };
    std::vector<KeySym> before = keymap();

    const std::string text = "\xC3\xA9\xE2\x82\xAC \xC3\x89t\xC3\xA9 \xCE\xA9\xE2\x86\x92\xC3\xB1";  // é€ Été Ω→ñ
    TypeAndExpect(recorder, text, text);
    TypeAndExpect(recorder, text + "x", text + "x");  // again: the spare keys are reused

    // Bindings are kept while the keys may still be read, then given back by a later run.
    TypeAndExpect(recorder, "a", "a");
    EXPECT_TRUE(recorder.WaitFor([&] {
        sender.SendKeys("", false);
        return keymap() == before;
    }));

    TypeAndExpect(recorder, "\xC3\xA9", "\xC3\xA9");
    platform.reset();
    recorder.Drain();
    EXPECT_EQ(keymap(), before);
}

// More distinct characters than the server has spare keycodes (a Greek and a Cyrillic alphabet on
// a US layout): keycodes are reused, and not one character is lost or changed. The window reads
// its keys on a thread of its own, as a terminal in another process does while the run goes on.
TEST_F(KeyPlatformX11Test, MoreForeignCharactersThanSpareKeycodesAllArrive)
{
    KeyRecorder recorder("Shellyard alphabets");
    std::string text = "\xCE\xB1\xCE\xB2\xCE\xB3\xCE\xB4\xCE\xB5\xCE\xB6\xCE\xB7\xCE\xB8\xCE\xB9\xCE\xBA\xCE\xBB\xCE\xBC"
                       "\xCE\xBD\xCE\xBE\xCE\xBF\xCF\x80\xCF\x81\xCF\x83\xCF\x84\xCF\x85\xCF\x86\xCF\x87\xCF\x88\xCF\x89"
                       " \xD0\xB0\xD0\xB1\xD0\xB2\xD0\xB3\xD0\xB4\xD0\xB5\xD0\xB6\xD0\xB7\xD0\xB8\xD0\xBA\xD0\xBB\xD0\xBC"
                       " \xCE\xB1\xD0\xB0\xCE\xB2\xD0\xB1";
    ASSERT_TRUE(ActivateWindow(*platform, recorder.window));
    recorder.Clear();
    std::thread reader([&] { recorder.WaitForText(text, std::chrono::seconds(30)); });
    EXPECT_TRUE(sender.SendKeys(text, false));
    reader.join();
    EXPECT_EQ(recorder.text, text);
    EXPECT_EQ(recorder.KeysDown(), std::vector<int>{});
}

TEST_F(KeyPlatformX11Test, NamedKeysArriveAsThoseKeys)
{
    KeyRecorder recorder("Shellyard keys");
    ASSERT_TRUE(ActivateWindow(*platform, recorder.window));
    recorder.Clear();
    sender.SendKeys("{F5}{LEFT}{RIGHT}{UP}{DOWN}{ENTER}~{HOME}{END}{PGUP}{DEL}{BS}{ESC}{TAB}{F16}{NUMPAD5}{VKEY 65}", false);
    std::vector<KeySym> expected = {XK_F5,     XK_Left,   XK_Right,     XK_Up,  XK_Down,    XK_Return,
                                    XK_Return, XK_Home,   XK_End,       XK_Prior, XK_Delete, XK_BackSpace,
                                    XK_Escape, XK_Tab,    XK_F16,       XK_KP_5, XK_a};
    recorder.WaitFor([&] { return recorder.keys.size() >= expected.size(); });
    if (recorder.keys.size() == expected.size() && recorder.keys[15] == XK_KP_Begin)
        expected[15] = XK_KP_Begin;  // NumLock off
    EXPECT_EQ(recorder.keys, expected);
    EXPECT_EQ(recorder.KeysDown(), std::vector<int>{});
}

TEST_F(KeyPlatformX11Test, NoKeyStaysDownWhateverTheScript)
{
    KeyRecorder recorder("Shellyard modifiers");
    ASSERT_TRUE(ActivateWindow(*platform, recorder.window));
    for (std::string script : std::vector<std::string>{"+", "^%@+", "+(ab", "%(^{F4}", "+\xF0\x9F\x98\x80", "{VKEY 16}", "{VKEY 1041}",
                               "+a{" + std::string(300, 'x') + "}b", "{NUMLOCK}{NUMLOCK}", "{CAPSLOCK}{CAPSLOCK}"}) {
        sender.SendKeys(script, false);
        EXPECT_EQ(recorder.KeysDown(), std::vector<int>{}) << script;
        XkbStateRec state;
        XkbGetState(recorder.display, XkbUseCoreKbd, &state);
        EXPECT_EQ(state.mods, 0) << script;
    }
}

TEST_F(GermanLayout, PrintableAsciiAndUmlautsArriveOnAGermanLayout)
{
    KeyRecorder recorder("Shellyard deutsch");
    TypeAndExpect(recorder, AsScript(PrintableAscii()), PrintableAscii());
    TypeAndExpect(recorder, "{AT}{LEFTBRACE}{TILDE}\xC3\xA4\xC3\x9F\xE2\x82\xAC\xC3\x84yz", "@{~\xC3\xA4\xC3\x9F\xE2\x82\xAC\xC3\x84yz");
}

TEST_F(KeyPlatformX11Test, AppActivateTypesIntoTheNamedWindowOnly)
{
    KeyRecorder alpha("Shellyard Alpha window", 0, 0);
    KeyRecorder beta("Shellyard Beta window", 300, 0);
    ASSERT_TRUE(ActivateWindow(*platform, beta.window));
    ASSERT_TRUE(beta.WaitFor([&] { return beta.focused; }));

    alpha.Clear();
    beta.Clear();
    EXPECT_TRUE(sender.SendKeys("{APPACTIVATE Shellyard Alpha window}exact", false));
    EXPECT_TRUE(alpha.WaitForText("exact"));
    EXPECT_EQ(alpha.text, "exact");

    ASSERT_TRUE(ActivateWindow(*platform, beta.window));
    ASSERT_TRUE(beta.WaitFor([&] { return beta.focused; }));
    alpha.Clear();
    beta.Clear();
    EXPECT_TRUE(sender.SendKeys("{APPACTIVATE Alpha}part", false));
    EXPECT_TRUE(alpha.WaitForText("part"));
    EXPECT_EQ(alpha.text, "part");
    beta.Drain();
    EXPECT_EQ(beta.text, "");

    // No such window: the focus stays and the keys go where it is.
    EXPECT_TRUE(sender.SendKeys("{APPACTIVATE Gamma}more", false));
    EXPECT_TRUE(alpha.WaitForText("partmore"));
    EXPECT_EQ(alpha.text, "partmore");
    EXPECT_FALSE(ActivateWindowByTitle(*platform, "Gamma"));
}

TEST_F(KeyPlatformX11Test, AWindowThatIsGoneOrABeepDoesNotHurt)
{
    NativeWindow gone;
    {
        KeyRecorder closed("Shellyard closed");
        gone = closed.window;
    }
    // The errors this causes on the layer's connection never reach the process-wide handler
    // (the toolkit's, which would end the program).
    static int errorsSeen = 0;
    auto previous = XSetErrorHandler([](Display*, XErrorEvent*) { return ++errorsSeen, 0; });
    EXPECT_TRUE(ActivateWindow(*platform, gone));
    EXPECT_FALSE(ActivateWindowByTitle(*platform, "Shellyard closed"));
    EXPECT_EQ(platform->GetWindowText(gone), "");
    XSetErrorHandler(previous);
    EXPECT_EQ(errorsSeen, 0);
    EXPECT_FALSE(ActivateWindow(*platform, 0));

    KeyRecorder recorder("Shellyard after");
    auto start = std::chrono::steady_clock::now();
    TypeAndExpect(recorder, "{BEEP 440 30}{BEEP -5 -5}{BEEP 99999 1}ok", "ok");
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));  // a beep blocks
}

TEST_F(KeyPlatformX11Test, ActivatingAnEmbeddedWindowSendsKeysToItAlone)
{
    KeyRecorder frame("Shellyard frame", 0, 0);
    KeyRecorder terminalA("terminal A", 0, 0, &frame);
    KeyRecorder terminalB("terminal B", 100, 0, &frame);
    KeyRecorder other("Other program", 400, 0);

    ASSERT_TRUE(ActivateWindow(*platform, other.window));
    ASSERT_TRUE(other.WaitFor([&] { return other.focused; }));
    frame.Clear();
    other.Clear();

    // As the Multi Command Sender does: activate each terminal, type the command with Enter.
    for (KeyRecorder* terminal : {&terminalA, &terminalB}) {
        ASSERT_TRUE(ActivateWindow(*platform, terminal->window));
        sender.SendKeys("echo hi{ENTER}", false);
    }
    frame.WaitFor([&] { return terminalB.text.size() >= 8; });
    EXPECT_EQ(terminalA.text, "echo hi\r");
    EXPECT_EQ(terminalB.text, "echo hi\r");
    EXPECT_EQ(frame.text, "");
    other.Drain();
    EXPECT_EQ(other.text, "");
}
