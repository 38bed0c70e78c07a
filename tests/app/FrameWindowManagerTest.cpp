// The main window under a window manager (openbox), which, like every desktop's, takes Alt+F4 for
// itself and sends the window a close request instead; its close box sends one too. Keys are
// pressed through the X server's test extension; the close box's request is the standard one a
// window manager acts on (_NET_CLOSE_WINDOW).
#include "support/FrameFixture.h"
#include "support/ShellCommand.h"
#include "support/WindowManagerActions.h"

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
    AskWindowManagerToClose(frame);
    EXPECT_TRUE(WaitFor([this] { return !frame; }));
    EXPECT_EQ(ModalScript::Get().ShownCount(), shown) << "the close box asked";
}
