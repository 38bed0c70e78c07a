// The main window under a window manager (openbox), which, like every desktop's, takes Alt+F4 for
// itself and sends the window a close request instead; its close box sends one too. Keys are
// pressed through the X server's test extension; the close box's request is the standard one a
// window manager acts on (_NET_CLOSE_WINDOW).
#include "support/FrameFixture.h"
#include "support/ShellCommand.h"

#include "session/TerminalWindow.h"

#include <X11/Xlib.h>

namespace {
class FrameWindowManagerTest : public FrameFixture {
protected:
    void TearDown() override
    {
        Shell("xdotool keyup alt+F4");  // never leave the keys down
        FrameFixture::TearDown();
    }
    void ShowActiveFrame()
    {
        CreateFrame();
        ASSERT_TRUE(frame && WaitFor([this] { return frame->IsActive(); })) << "the manager did not focus the frame";
    }
    // Alt+F4 as the user presses it: the manager's close request comes while both keys are down.
    void PressAltF4(int answer)
    {
        ModalScript::Get().ExpectMessage("Are you sure you want to close all loggin sites and quite?", "Shellyard",
                                         wxYES_NO, answer);
        Shell("xdotool keydown alt+F4");
        WaitFor([&] { return ModalScript::Get().AllShown() || !frame; });
        Shell("xdotool keyup alt+F4");
        ModalScript::Get().Verify();
    }
    // What the close box (or a task bar's "Close") does: asks the window manager to close the window.
    void AskManagerToClose()
    {
        Display* display = XOpenDisplay(nullptr);
        XEvent event = {};
        event.xclient.type = ClientMessage;
        event.xclient.window = static_cast<Window>(TerminalWindow::FromToolkitHandle(frame->GetHandle()));
        event.xclient.message_type = XInternAtom(display, "_NET_CLOSE_WINDOW", False);
        event.xclient.format = 32;
        event.xclient.data.l[1] = 2;  // on the user's behalf
        XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask,
                   &event);
        XCloseDisplay(display);
    }
};
}  // namespace

TEST_F(FrameWindowManagerTest, AltF4AsksFirstAndTheCloseBoxClosesAtOnce)
{
    if (Env("SHELLYARD_TEST_WM").empty())
        GTEST_SKIP() << "needs a window manager: run through tests/support/with-xvfb.sh --wm";
    CreateDatabase();
    ShowActiveFrame();
    PressAltF4(wxID_NO);
    PumpEvents();
    ASSERT_TRUE(frame) << "No keeps the window";
    PressAltF4(wxID_YES);
    EXPECT_TRUE(WaitFor([this] { return !frame; }));

    ShowActiveFrame();
    int shown = ModalScript::Get().ShownCount();
    AskManagerToClose();
    EXPECT_TRUE(WaitFor([this] { return !frame; }));
    EXPECT_EQ(ModalScript::Get().ShownCount(), shown) << "the close box asked";
}
