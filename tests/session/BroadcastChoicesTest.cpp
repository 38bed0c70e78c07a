// Choosing the tabs a broadcast reaches, per-terminal fields, reconnecting and reopening tabs: one
// real run under a window manager against the private SSH server with two accounts; effects are
// checked on the server (files, login shells) and in the process table.
#include "support/FrameFixture.h"
#include "support/ProcessTable.h"
#include "support/ShellCommand.h"

#include "app/AppConfig.h"
#include "session/ShellyardConnPanel.h"
#include "session/TerminalProcess.h"
#include "storage/SiteStore.h"

#include "session/TerminalWindow.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <signal.h>
#include <sqlite3.h>
#include <wx/aui/auibook.h>
#include <wx/msgdlg.h>

using namespace std::chrono_literals;

namespace {
class BroadcastChoicesTest : public FrameFixture {
protected:
    void SetUp() override
    {
        FrameFixture::SetUp();
        port = Env("SHELLYARD_TEST_SSH_PORT");
        user = Env("SHELLYARD_TEST_SSH_USER");
        user2 = Env("SHELLYARD_TEST_SSH_USER2");
        if (port.empty() || user2.empty())
            GTEST_SKIP() << "needs the test SSH server with two accounts: run through tests/support/with-sshd.sh";
        password = Env("SHELLYARD_TEST_SSH_PASSWORD");
        home = Env("SHELLYARD_TEST_SSH_HOME");
        home2 = Env("SHELLYARD_TEST_SSH_HOME2");
        Shell("rm -f '" + home + "/sy-seen.txt' '" + home2 + "/sy-seen.txt'");
    }
    void TearDown() override
    {
        DestroyFrame();
        if (!user.empty()) {
            EXPECT_TRUE(WaitFor([&] { return Shells(user) + Shells(user2) == 0; }, 15s)) << "sessions still open";
            EXPECT_TRUE(WaitFor([] { return ChildProcesses().empty(); }, 5s));
        }
        FrameFixture::TearDown();
    }
    int Shells(const std::string& account) { return LoginShellsOf(account); }
    wxAuiNotebook* Notebook() { return FrameProbe::Notebook(frame); }
    ShellyardConnPanel* Page(size_t i) { return dynamic_cast<ShellyardConnPanel*>(Notebook()->GetPage(i)); }
    std::vector<std::string> Captions()
    {
        std::vector<std::string> captions;
        for (size_t i = 0; i < Notebook()->GetPageCount(); ++i)
            captions.push_back(Notebook()->GetPageText(i).utf8_string());
        return captions;
    }
    std::string Log() { return ReadFile(workDir + "/Shellyard.txt"); }
    size_t Count(const std::string& text, const std::string& part)
    {
        size_t count = 0;
        for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
            ++count;
        return count;
    }
    SiteRecord Stored(const wxString& name)
    {
        std::unique_ptr<SiteRecord> site = FrameProbe::Store(frame)->FindSite("127.0.0.1", name);
        return site ? *site : SiteRecord();
    }

    // Presses the keys (modifiers first) and lets them go again, as the user would.
    void PressKeys(std::initializer_list<KeySym> keys)
    {
        Display* display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr);
        for (KeySym key : keys)
            XTestFakeKeyEvent(display, XKeysymToKeycode(display, key), True, 0);
        for (auto key = std::rbegin(keys); key != std::rend(keys); ++key)
            XTestFakeKeyEvent(display, XKeysymToKeycode(display, *key), False, 0);
        XSync(display, False);
        XCloseDisplay(display);
    }

    std::string port, user, user2, password, home, home2;
};
}  // namespace

TEST_F(BroadcastChoicesTest, ChosenTabsGetTheirOwnFieldsAndTabsReconnectAndReopenInOrder)
{
    const std::string web = "web+1 (a)~", db = "db-\xC3\xA9", third = "third";
    CreateDatabase({{password, user, "ssh", "127.0.0.1", web, port, "", ""},
                    {password, user2, "ssh", "127.0.0.1", db, port, "", ""},
                    {password, user, "ssh", "127.0.0.1", third, port, "", ""}});
    CreateFrame();
    ASSERT_TRUE(frame);
    frame->ConnectSites({Stored(wxString::FromUTF8(web)), Stored(wxString::FromUTF8(db)), Stored(third)});
    EXPECT_EQ(frame->GetStatusBar()->GetStatusText(0), "Connecting 1 of 3...");
    ASSERT_TRUE(ConnectionsDone(30s));
    ASSERT_EQ(Captions(), (std::vector<std::string>{web, db, third}));
    ASSERT_TRUE(WaitFor([&] { return Shells(user) == 2 && Shells(user2) == 1; }, 20s));
    EXPECT_TRUE(Page(0)->ReceivesBroadcast() && Page(1)->ReceivesBroadcast() && Page(2)->ReceivesBroadcast());

    // The third tab is taken out of broadcasts in its menu; the others get their own site's fields,
    // typed as text (the name holds a plus, parentheses, a tilde and a letter outside ASCII).
    FrameProbe::TabCommand(frame, ID_TAB_RECEIVE, Page(2));
    EXPECT_FALSE(Page(2)->ReceivesBroadcast());
    Notebook()->SetSelection(2);
    frame->SendToAllSessions("echo '{%NAME%}' {%HOST%} {%USER%} {%PORT%} >> sy-seen.txt");
    const std::string webLine = web + " 127.0.0.1 " + user + " " + port + "\n";
    const std::string dbLine = db + " 127.0.0.1 " + user2 + " " + port + "\n";
    EXPECT_TRUE(WaitFor([&] { return ReadFile(home + "/sy-seen.txt") == webLine; }))
        << ReadFile(home + "/sy-seen.txt");
    EXPECT_TRUE(WaitFor([&] { return ReadFile(home2 + "/sy-seen.txt") == dbLine; }))
        << ReadFile(home2 + "/sy-seen.txt");
    EXPECT_EQ(frame->GetStatusBar()->GetStatusText(0), "Sent to 2 of 3 terminals");
    EXPECT_EQ(Notebook()->GetSelection(), 2) << "the tab the user looked at stays in front";

    // A field no terminal has: refused, naming it, before anything is typed anywhere.
    ModalScript::Get().ExpectDialog<wxMessageDialog>("unknown field", [](wxMessageDialog* box) {
        EXPECT_NE(box->GetMessage().find("{%PASSWORD%}"), wxString::npos) << box->GetMessage();
        EXPECT_EQ(box->GetCaption(), "Shellyard");
        return wxID_OK;
    });
    frame->SendToAllSessions("echo {%HOST%} {%PASSWORD%} >> sy-seen.txt");
    ModalScript::Get().Verify();

    // All / None set every tab at once (None, then the two again through their menus).
    frame->SetAllReceiveBroadcast(true);
    EXPECT_TRUE(Page(2)->ReceivesBroadcast());
    frame->SetAllReceiveBroadcast(false);
    EXPECT_FALSE(Page(0)->ReceivesBroadcast() || Page(1)->ReceivesBroadcast() || Page(2)->ReceivesBroadcast());
    FrameProbe::TabCommand(frame, ID_TAB_RECEIVE, Page(0));
    FrameProbe::TabCommand(frame, ID_TAB_RECEIVE, Page(2));

    // The first tab's PuTTY ends: the tab says so; Enter in it logs in again in the same tab, which
    // keeps its place and its choice.
    ShellyardConnPanel* first = Page(0);
    const long endedPid = first->GetTerminalProcess()->Pid();
    kill(endedPid, SIGKILL);
    ASSERT_TRUE(WaitFor([&] { return Notebook()->GetPageText(0) == wxString::FromUTF8(web) + " (ended)"; }));
    EXPECT_TRUE(first->IsEnded());
    EXPECT_TRUE(WaitFor([&] { return Shells(user) == 1; }, 10s));
    Notebook()->SetSelection(0);
    ASSERT_TRUE(WaitFor([&] {
        return frame->FindFocus() == first &&
               TerminalWindow::HasKeyboardFocus(TerminalWindow::FromToolkitHandle(frame->GetHandle()));
    }, 5s));
    PressKeys({XK_Return});
    ASSERT_TRUE(WaitFor([&] { return frame->IsConnecting(); }, 5s)) << "Enter in the ended tab";
    ASSERT_TRUE(ConnectionsDone(30s));
    EXPECT_EQ(Page(0), first);
    EXPECT_EQ(Captions(), (std::vector<std::string>{web, db, third}));
    EXPECT_FALSE(first->IsEnded());
    EXPECT_TRUE(first->ReceivesBroadcast());
    ASSERT_NE(first->GetTerminalProcess(), nullptr);
    EXPECT_NE(first->GetTerminalProcess()->Pid(), endedPid);
    EXPECT_TRUE(WaitFor([&] { return Shells(user) == 2; }, 20s)) << "the reconnected tab did not log in";

    // A site deleted meanwhile cannot be reconnected, and says so.
    {
        sqlite3* database = nullptr;
        ASSERT_EQ(sqlite3_open(DatabasePath().c_str(), &database), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(database, "delete from tbl_hostsite where hostname = 'third';", nullptr, nullptr,
                               nullptr),
                  SQLITE_OK);
        sqlite3_close(database);
    }
    ModalScript::Get().ExpectMessage("The site third has been deleted meanwhile: it cannot be connected again.",
                                     "Shellyard", wxOK, wxID_OK);
    FrameProbe::TabCommand(frame, ID_TAB_RECONNECT, Page(2));
    ModalScript::Get().Verify();

    // Quitting remembers the tabs; the next start asks and brings them back in order, logged in,
    // with their choices; the deleted site is passed over with one line in the log.
    frame->Close();
    ASSERT_TRUE(WaitFor([&] { return !frame; }, 10s));
    ASSERT_TRUE(WaitFor([&] { return Shells(user) + Shells(user2) == 0; }, 15s));
    AppConfig::Shutdown();
    CreateFrame();
    ASSERT_TRUE(frame);
    ModalScript::Get().ExpectMessage("Reopen the 3 sessions of last time?", "Shellyard", wxYES_NO, wxID_YES);
    frame->OfferToReopenSessions();
    ModalScript::Get().Verify();
    ASSERT_TRUE(ConnectionsDone(30s));
    EXPECT_EQ(Captions(), (std::vector<std::string>{web, db}));
    EXPECT_TRUE(WaitFor([&] { return Shells(user) == 1 && Shells(user2) == 1; }, 20s));
    ASSERT_EQ(Notebook()->GetPageCount(), 2u);
    EXPECT_TRUE(Page(0)->ReceivesBroadcast());
    EXPECT_FALSE(Page(1)->ReceivesBroadcast());
    EXPECT_EQ(Count(Log(), "1 sessions of last time not reopened: their sites have been deleted"), 1u) << Log();

    // While a terminal has the keyboard, Ctrl+Tab and Alt+n switch tabs (PuTTY never sees them).
    Notebook()->SetSelection(0);
    ASSERT_TRUE(WaitFor([&] {
        Page(0)->FocusTerminal();
        return TerminalWindow::HasKeyboardFocus(Page(0)->GetTerminalWindow());
    }));
    PressKeys({XK_Control_L, XK_Tab});
    EXPECT_TRUE(WaitFor([&] { return Notebook()->GetSelection() == 1; }, 5s)) << "Ctrl+Tab";
    ASSERT_TRUE(WaitFor([&] { return TerminalWindow::HasKeyboardFocus(Page(1)->GetTerminalWindow()); }));
    PressKeys({XK_Alt_L, XK_1});
    EXPECT_TRUE(WaitFor([&] { return Notebook()->GetSelection() == 0; }, 5s)) << "Alt+1";
    PressKeys({XK_Control_L, XK_Shift_L, XK_Tab});
    EXPECT_TRUE(WaitFor([&] { return Notebook()->GetSelection() == 1; }, 5s)) << "Ctrl+Shift+Tab";

    // The list is offered once; a damaged one reopens nothing, says so once, and loses nothing else.
    frame->OfferToReopenSessions();
    EXPECT_EQ(Notebook()->GetPageCount(), 2u);
    AppConfig::Instance().WriteSettings({{"/SHELLYARD/LASTSESSIONS/COUNT", "2"},
                                         {"/SHELLYARD/LASTSESSIONS/HOST1", "1|1|ssh|127.0.0.1"},
                                         {"/SHELLYARD/LASTSESSIONS/HOST2", "x|y"}});
    frame->OfferToReopenSessions();
    EXPECT_EQ(Notebook()->GetPageCount(), 2u);
    EXPECT_EQ(Count(Log(), "The list of last sessions in the settings file is damaged"), 1u) << Log();
    wxString putty;
    EXPECT_EQ(AppConfig::Instance().ReadPuttyPath(putty), 1);
    EXPECT_FALSE(putty.empty());

    // Duplicate Session opens one more tab of the same site; Close Other Tabs asks once.
    FrameProbe::TabCommand(frame, ID_TAB_DUPLICATE, Page(1));
    ASSERT_TRUE(ConnectionsDone(30s));
    EXPECT_EQ(Captions(), (std::vector<std::string>{web, db, db}));
    EXPECT_TRUE(WaitFor([&] { return Shells(user2) == 2; }, 20s));
    ModalScript::Get().ExpectMessage("Are you sure you want to stop loggin and close the 2 other sites?", "Shellyard",
                                     wxYES_NO, wxID_YES);
    FrameProbe::TabCommand(frame, ID_TAB_CLOSE_OTHERS, Page(1));
    ModalScript::Get().Verify();
    EXPECT_EQ(Captions(), (std::vector<std::string>{db}));
    EXPECT_TRUE(WaitFor([&] { return Shells(user) == 0 && Shells(user2) == 1; }, 15s));

    // Escape while sites connect one after the other stops those not started; the started finish.
    const int parallel = ShellyardFrame::parallelConnections;
    ShellyardFrame::parallelConnections = 1;
    frame->ConnectSites({Stored(wxString::FromUTF8(web)), Stored(wxString::FromUTF8(db))});
    EXPECT_EQ(frame->GetStatusBar()->GetStatusText(0), "Connecting 1 of 2...");
    PressKeys({XK_Escape});
    EXPECT_TRUE(ConnectionsDone(30s));
    ShellyardFrame::parallelConnections = parallel;
    EXPECT_EQ(Captions(), (std::vector<std::string>{db, web}));
    EXPECT_EQ(Count(Log(), "Connecting stopped by the user: 1 sites not started"), 1u) << Log();
    EXPECT_EQ(frame->GetStatusBar()->GetStatusText(0), "Connected 1 of 2 sites: stopped");
}
