// The main window under a window manager (openbox), which, like every desktop's, takes Alt+F4 for
// itself and sends the window a close request instead; its close box sends one too. Keys are
// pressed through the X server's test extension; the close box's request is the standard one a
// window manager acts on (_NET_CLOSE_WINDOW). A second start of the real program comes to this
// window.
#include "support/FrameFixture.h"
#include "support/ShellCommand.h"
#include "support/WindowManagerActions.h"

#include "app/ShellyardApp.h"
#include "app/SingleInstance.h"
#include "session/TerminalWindow.h"

#include <algorithm>
#include <filesystem>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

extern char** environ;

namespace {
class FrameWindowManagerTest : public FrameFixture {
protected:
    void TearDown() override
    {
        Shell("xdotool keyup alt+F4");  // never leave the keys down
        FrameFixture::TearDown();
        SingleInstance::Release();
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

// The real program, started as the user starts it, from the working directory of the test.
long StartProgram()
{
    pid_t pid = 0;
    char* argv[] = {const_cast<char*>(SHELLYARD_PROGRAM), nullptr};
    return posix_spawn(&pid, SHELLYARD_PROGRAM, nullptr, nullptr, argv, environ) == 0 ? pid : 0;
}

// Handles events until the process ends; its wait status, or -1 when it did not end in time.
int WaitForEnd(long pid, std::chrono::milliseconds deadline)
{
    int status = -1;
    if (!WaitFor([&] { return waitpid(static_cast<pid_t>(pid), &status, WNOHANG) == pid; }, deadline)) {
        kill(static_cast<pid_t>(pid), SIGKILL);
        waitpid(static_cast<pid_t>(pid), nullptr, 0);
        return -1;
    }
    return status;
}

// The top-level windows the window manager manages for the process.
std::vector<NativeWindow> ManagedWindowsOf(long pid)
{
    std::vector<NativeWindow> found;
    Display* display = XOpenDisplay(nullptr);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, DefaultRootWindow(display), XInternAtom(display, "_NET_CLIENT_LIST", False), 0,
                           4096, False, XA_WINDOW, &type, &format, &count, &remaining, &data) == Success && data) {
        for (unsigned long i = 0; i < count; ++i) {
            NativeWindow window = reinterpret_cast<unsigned long*>(data)[i];
            if (TerminalWindow::ProcessOf(window) == pid)
                found.push_back(window);
        }
        XFree(data);
    }
    XCloseDisplay(display);
    return found;
}
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

// Started again on the same data folder, Shellyard brings the running window to the front (even
// from the task bar) and ends at once with status 0, without a window of its own; started on another
// data folder it runs as usual.
TEST_F(FrameWindowManagerTest, ASecondStartBringsTheRunningWindowToTheFrontAndEnds)
{
    if (Env("SHELLYARD_TEST_WM").empty())
        GTEST_SKIP() << "needs a window manager: run through tests/support/with-xvfb.sh --wm";
    CreateDatabase();
    int status = -1;
    ASSERT_TRUE(ClaimDataFolder(status)) << "no other Shellyard holds the test's folder";
    ShowActiveFrame();
    const NativeWindow window = TerminalWindow::FromToolkitHandle(frame->GetHandle());
    frame->Iconize(true);
    ASSERT_TRUE(WaitFor([&] { return !TerminalWindow::IsOnScreen(window); })) << "the manager did not iconify it";

    long second = StartProgram();
    ASSERT_NE(second, 0);
    status = WaitForEnd(second, std::chrono::seconds(15));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wait status " << status;
    EXPECT_TRUE(WaitFor([&] { return TerminalWindow::IsOnScreen(window) && frame->IsActive(); }))
        << "the running window did not come to the front";
    const std::string line = "Shellyard was started again on its data folder: its window comes to the front";
    std::string log = ReadFile(workDir + "/Shellyard.txt");
    EXPECT_NE(log.find(line), std::string::npos) << log;
    EXPECT_EQ(log.find(line), log.rfind(line)) << log;

    // Another data folder (with a database of its own, so that it starts without a message) has a
    // Shellyard of its own; the running one is not asked.
    const std::string otherHome = root + "/other";
    std::filesystem::create_directories(otherHome + "/shellyard");
    std::filesystem::copy_file(DatabasePath(), otherHome + "/shellyard/Shellyard.db");
    setenv("XDG_DATA_HOME", otherHome.c_str(), 1);
    long other = StartProgram();
    setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
    ASSERT_NE(other, 0);
    EXPECT_TRUE(WaitFor([&] { return !ManagedWindowsOf(other).empty(); }, std::chrono::seconds(15)))
        << "the start on another folder showed no window";
    kill(static_cast<pid_t>(other), SIGTERM);
    status = WaitForEnd(other, std::chrono::seconds(10));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + SIGTERM) << "wait status " << status;
    log = ReadFile(workDir + "/Shellyard.txt");
    EXPECT_EQ(log.find(line), log.rfind(line)) << log;
}
