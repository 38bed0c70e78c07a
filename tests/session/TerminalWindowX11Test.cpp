// The X11 terminal window layer against windows this test makes itself on the private X server:
// which window of a process counts as its terminal, and waking a wait when a window appears.
#include "support/GuiTest.h"

#include "session/TerminalWindow.h"

#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <gdk/gdkx.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

// A client of its own, as PuTTY would be: the windows it makes look like PuTTY's to the finder.
class FakeClient {
public:
    FakeClient() : display(XOpenDisplay(nullptr)) {}
    ~FakeClient()
    {
        if (display)
            XCloseDisplay(display);
    }

    Window Make(const char* windowClass, long pid, bool overrideRedirect = false)
    {
        XSetWindowAttributes attributes{};
        attributes.override_redirect = overrideRedirect;
        Window window = XCreateWindow(display, DefaultRootWindow(display), 0, 0, 200, 100, 0, CopyFromParent,
                                      InputOutput, CopyFromParent, CWOverrideRedirect, &attributes);
        XClassHint hint{const_cast<char*>("putty"), const_cast<char*>(windowClass)};
        XSetClassHint(display, window, &hint);
        unsigned long owner = static_cast<unsigned long>(pid);
        XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32,
                        PropModeReplace, reinterpret_cast<unsigned char*>(&owner), 1);
        XSync(display, False);
        return window;
    }
    void LeaderOfItself(Window window)
    {
        XChangeProperty(display, window, XInternAtom(display, "WM_CLIENT_LEADER", False), XA_WINDOW, 32,
                        PropModeReplace, reinterpret_cast<unsigned char*>(&window), 1);
        XSync(display, False);
    }
    void TransientFor(Window window, Window owner)
    {
        XSetTransientForHint(display, window, owner);
        XSync(display, False);
    }
    void Map(Window window)
    {
        XMapWindow(display, window);
        XSync(display, False);
    }

    Display* display;
};

long RootMaskOfOurs()
{
    Display* display = GDK_DISPLAY_XDISPLAY(gdk_display_get_default());
    XWindowAttributes attributes;
    XGetWindowAttributes(display, DefaultRootWindow(display), &attributes);
    return attributes.your_event_mask;
}

}  // namespace

// Only the mapped top-level window of the process's own class is its terminal; GDK's leader
// window, override-redirect helpers and dialogs never are, and the first two are ruled out for good.
TEST(TerminalWindowX11, FindTakesOnlyTheProcessMainWindowOnceItIsMapped)
{
    FakeClient client;
    ASSERT_NE(client.display, nullptr);
    const long pid = 4000000 + getpid() % 100000;  // no real process has it
    Window leader = client.Make("Putty", pid);
    client.LeaderOfItself(leader);
    Window helper = client.Make("Putty", pid, true);
    client.Map(helper);
    Window dialog = client.Make("Putty", pid);
    client.TransientFor(dialog, leader);
    client.Map(dialog);
    Window otherClass = client.Make("XTerm", pid);
    client.Map(otherClass);
    Window otherProcess = client.Make("PuTTY", pid + 1);
    client.Map(otherProcess);
    Window main = client.Make("Putty", pid);

    TerminalWindow::WindowSearch search;
    for (int look = 0; look < 20; ++look)
        EXPECT_EQ(TerminalWindow::Find(pid, &search), 0u) << "before the main window is mapped";
    for (Window window : {leader, helper, otherClass, otherProcess})
        EXPECT_EQ(search.ruledOut.count(window), 1u) << "window " << window;
    EXPECT_EQ(search.ruledOut.count(main), 0u) << "an unmapped main window may still show";
    EXPECT_EQ(search.unmapped, main);

    client.Map(main);
    EXPECT_EQ(TerminalWindow::Find(pid, &search), main);
    EXPECT_EQ(TerminalWindow::Find(pid), main) << "a look without memory finds it too";
}

// A main window remembered before it was mapped is found however it shows up, and forgotten when
// it turns out to be a dialog or goes away.
TEST(TerminalWindowX11, RememberedMainWindowIsCheckedAgainWhenItShows)
{
    FakeClient client;
    ASSERT_NE(client.display, nullptr);
    const long pid = 4100000 + getpid() % 100000;
    Window owner = client.Make("XTerm", pid + 1);
    Window dialog = client.Make("Putty", pid);
    TerminalWindow::WindowSearch search;
    EXPECT_EQ(TerminalWindow::Find(pid, &search), 0u);
    ASSERT_EQ(search.unmapped, dialog);
    client.TransientFor(dialog, owner);
    client.Map(dialog);
    EXPECT_EQ(TerminalWindow::Find(pid, &search), 0u) << "it became a dialog before it showed";

    Window gone = client.Make("Putty", pid + 2);
    TerminalWindow::WindowSearch other;
    EXPECT_EQ(TerminalWindow::Find(pid + 2, &other), 0u);
    ASSERT_EQ(other.unmapped, gone);
    XDestroyWindow(client.display, gone);
    XSync(client.display, False);
    Window main = client.Make("Putty", pid + 2);
    client.Map(main);
    EXPECT_EQ(TerminalWindow::Find(pid + 2, &other), main);
}

// A watch tells its holder, from the event loop, when a window of another client shows; and once the
// last watch has gone the root window reports nothing new to us any more.
TEST(TerminalWindowX11, NewWindowWatchTellsWhenAWindowShows)
{
    FakeClient client;
    ASSERT_NE(client.display, nullptr);
    const long maskBefore = RootMaskOfOurs();
    {
        int toldOuter = 0, told = 0;
        TerminalWindow::NewWindowWatch outer([&] { ++toldOuter; });
        TerminalWindow::NewWindowWatch watch([&] { ++told; });
        EXPECT_NE(RootMaskOfOurs() & SubstructureNotifyMask, 0);
        PumpEvents();
        told = toldOuter = 0;
        Window window = client.Make("Putty", 1);
        client.Map(window);
        EXPECT_TRUE(WaitFor([&] { return told > 0 && toldOuter > 0; }));
        EXPECT_EQ(TerminalWindow::Find(1), window);
    }
    EXPECT_EQ(RootMaskOfOurs(), maskBefore);
}

// A window ruled out may go away and its identifier come back on the started program's own window
// (the server reuses a departed client's identifiers): while a watch is on, a top-level window
// destroyed makes the search forget what it ruled out, whether or not events were handled since.
TEST(TerminalWindowX11, SearchForgetsWhatItRuledOutWhenATopLevelWindowGoes)
{
    FakeClient client;
    ASSERT_NE(client.display, nullptr);
    const long pid = 4200000 + getpid() % 100000;
    TerminalWindow::NewWindowWatch watch;
    for (bool handleEvents : {false, true}) {
        Window other = client.Make("Putty", pid + 1);
        client.Map(other);
        Window stays = client.Make("XTerm", pid);
        TerminalWindow::WindowSearch search;
        EXPECT_EQ(TerminalWindow::Find(pid, &search), 0u);
        ASSERT_EQ(search.ruledOut.count(other), 1u);
        EXPECT_EQ(TerminalWindow::Find(pid, &search), 0u);
        EXPECT_EQ(search.ruledOut.count(stays), 1u) << "nothing went away yet";

        XDestroyWindow(client.display, other);
        XSync(client.display, False);
        if (handleEvents)
            WaitFor([] { return false; }, std::chrono::milliseconds(50));
        EXPECT_EQ(TerminalWindow::Find(pid, &search), 0u);
        EXPECT_EQ(search.ruledOut.count(other), 0u) << (handleEvents ? "after events" : "events still queued");
        EXPECT_EQ(search.ruledOut.count(stays), 1u) << "learnt again in the same look";
        XDestroyWindow(client.display, stays);
        XSync(client.display, False);
    }
}
