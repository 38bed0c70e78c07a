// Typing into a toolkit window of the program's own kind: the toolkit decodes keys with its own
// keymap, so characters bound to spare keycodes and a changed layout must reach it as well.
#include "support/GuiTest.h"

#include "session/keys/KeyRecorder.h"
#include "session/keys/KeySender.h"

#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/textctrl.h>

#include <cstdlib>

namespace {
class TypingFrame {
public:
    explicit TypingFrame(const wxString& title)
    {
        frame = new wxFrame(nullptr, wxID_ANY, title, wxPoint(0, 0), wxSize(500, 200));
        text = new wxTextCtrl(frame, wxID_ANY, "", wxDefaultPosition, wxDefaultSize, wxTE_MULTILINE);
        frame->Show();
        WaitFor([&] { return frame->IsShownOnScreen() && gtk_widget_get_realized(frame->GetHandle()); });
        text->SetFocus();
        PumpEvents();
    }
    ~TypingFrame() { frame->Destroy(); PumpEvents(); }
    NativeWindow Window() const { return GDK_WINDOW_XID(gtk_widget_get_window(frame->GetHandle())); }

    wxFrame* frame;
    wxTextCtrl* text;
};
}  // namespace

TEST(KeySenderInToolkitWindow, TypedTextArrivesInATextControlWithAnyLayout)
{
    auto platform = CreateSystemKeyPlatform();
    KeySender sender(platform.get());
    TypingFrame window("Shellyard typing target");

    const std::string typed = "ls -l /tmp | grep 'x' && echo \"$HOME\" # 100% {ok} (a+b)^2 ~ @ \xC3\xA9\xE2\x82\xAC";
    const std::string script =
        "ls -l /tmp | grep 'x' && echo \"$HOME\" # 100{PERCENT} {LEFTBRACE}ok{RIGHTBRACE} {LEFTPAREN}a{PLUS}b{RIGHTPAREN}"
        "{CARET}2 {TILDE} {AT} \xC3\xA9\xE2\x82\xAC";
    for (const char* layout : {"us", "de", "fr", "us"}) {
        ASSERT_EQ(std::system((std::string("setxkbmap ") + layout).c_str()), 0);
        window.text->Clear();
        ASSERT_TRUE(ActivateWindow(*platform, window.Window()));
        sender.SendKeys(script + "{ENTER}", false);
        EXPECT_TRUE(WaitFor([&] { return window.text->GetValue().utf8_str().length() >= typed.size() + 1; }, std::chrono::seconds(5)));
        EXPECT_EQ(std::string(window.text->GetValue().utf8_str()), typed + "\n") << "layout " << layout;
    }
}

TEST(KeySenderInToolkitWindow, AppActivateFindsAToolkitFrameByItsTitle)
{
    auto platform = CreateSystemKeyPlatform();
    KeySender sender(platform.get());
    TypingFrame first("Shellyard first frame");
    TypingFrame second("Shellyard second frame");
    ASSERT_TRUE(ActivateWindow(*platform, second.Window()));
    sender.SendKeys("{APPACTIVATE first frame}one", false);
    EXPECT_TRUE(WaitFor([&] { return first.text->GetValue() == "one"; }));
    EXPECT_EQ(second.text->GetValue(), "");
}

// As a terminal tab holds PuTTY: another program's window inside a panel of our frame. Activating
// it must give it the keys even when another window had the focus and a window manager runs.
TEST(KeySenderInToolkitWindow, AnEmbeddedForeignWindowGetsTheKeysAfterActivation)
{
    auto platform = CreateSystemKeyPlatform();
    KeySender sender(platform.get());
    TypingFrame other("Shellyard other frame");
    wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "Shellyard with terminals", wxPoint(0, 250), wxSize(500, 300));
    wxPanel* tab = new wxPanel(frame);
    frame->Show();
    ASSERT_TRUE(WaitFor([&] { return frame->IsShownOnScreen() && gtk_widget_get_realized(tab->GetHandle()); }));
    GdkWindow* tabWindow = gtk_widget_get_window(tab->GetHandle());
    gdk_window_ensure_native(tabWindow);
    gdk_display_sync(gdk_window_get_display(tabWindow));  // the panel's window exists on the server
    KeyRecorder terminal("terminal", 0, 0, nullptr, GDK_WINDOW_XID(tabWindow));

    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(ActivateWindow(*platform, other.Window()));
        other.text->Clear();
        terminal.Clear();
        ASSERT_TRUE(ActivateWindow(*platform, terminal.window));
        sender.SendKeys("echo hi{ENTER}", false);
        EXPECT_TRUE(WaitFor([&] {
            terminal.Drain();
            return terminal.text.size() >= 8;
        }));
        EXPECT_EQ(terminal.text, "echo hi\r") << "round " << round;
        PumpEvents();
        EXPECT_EQ(other.text->GetValue(), "");
    }

    // A broadcast over two terminals of the same frame, again and again: with the frame already
    // active, no late focus change of the window manager may take keys away from a terminal.
    KeyRecorder second("terminal 2", 250, 0, nullptr, GDK_WINDOW_XID(tabWindow));
    terminal.Clear();
    second.Clear();
    for (int round = 0; round < 6; ++round) {
        for (KeyRecorder* target : {&terminal, &second}) {
            ActivateWindow(*platform, target->window);
            sender.SendKeys(target == &terminal ? "one " : "two ", false);
            PumpEvents();
        }
    }
    EXPECT_TRUE(WaitFor([&] {
        terminal.Drain();
        second.Drain();
        return terminal.text.size() + second.text.size() >= 48;
    }));
    EXPECT_EQ(terminal.text, "one one one one one one ");
    EXPECT_EQ(second.text, "two two two two two two ");
    frame->Destroy();
    PumpEvents();
}
