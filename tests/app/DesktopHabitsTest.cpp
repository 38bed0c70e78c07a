// What a desktop user expects of the main window, tried under a window manager (openbox) with the
// real PuTTY against the private SSH server: Enter in Quick Login connects, the hosts typed there
// come back, the window comes back where and as it was left, and tabs dragged to a new place are
// typed into in their new order. Effects are checked where they happen: on the server, in the
// settings file, on the screen.
#include "support/FrameFixture.h"
#include "support/ProcessTable.h"
#include "support/ShellCommand.h"
#include "support/WindowManagerActions.h"

#include "session/ShellyardConnPanel.h"
#include "session/TerminalProcess.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>
#include <wx/aui/auibook.h>
#include <wx/combobox.h>
#include <wx/display.h>
#include <wx/menu.h>

using namespace std::chrono_literals;

namespace {
std::vector<wxString> Items(wxComboBox* field)
{
    std::vector<wxString> items;
    for (unsigned i = 0; i < field->GetCount(); ++i)
        items.push_back(field->GetString(i));
    return items;
}

// The user picks an entry of a list (the host field's opens first).
void Choose(wxChoice* list, int item)
{
    const bool field = dynamic_cast<wxComboBox*>(list);
    wxCommandEvent opened(wxEVT_COMBOBOX_DROPDOWN, list->GetId());
    if (field)
        list->GetEventHandler()->ProcessEvent(opened);
    list->SetSelection(item);
    wxCommandEvent chosen(field ? wxEVT_COMMAND_COMBOBOX_SELECTED : wxEVT_COMMAND_CHOICE_SELECTED, list->GetId());
    chosen.SetInt(item);
    chosen.SetEventObject(list);
    list->GetEventHandler()->ProcessEvent(chosen);
}

std::string Where(const wxRect& r)
{
    return std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.width) + "x" + std::to_string(r.height);
}

// The middle of the tab of page on the screen.
wxPoint TabOnScreen(wxAuiNotebook* notebook, wxWindow* page)
{
    wxAuiTabCtrl* tabs = nullptr;
    int index = 0;
    if (!notebook->FindTab(page, &tabs, &index))
        return wxDefaultPosition;
    const int y = tabs->GetSize().y / 2;
    int first = -1, last = -1;
    for (int x = 0; x < tabs->GetSize().x; ++x) {
        wxWindow* hit = nullptr;
        if (tabs->TabHitTest(x, y, &hit) && hit == page) {
            first = first < 0 ? x : first;
            last = x;
        }
    }
    return first < 0 ? wxDefaultPosition : tabs->ClientToScreen(wxPoint((first + last) / 2, y));
}

// A drag with the mouse, through the X server's test extension, in the small steps of a hand. It
// runs beside the test, so that the program sees each step as it comes; done says when it is over.
void Drag(const wxPoint& from, const wxPoint& to, const std::string& done)
{
    std::ostringstream command;
    command << "(xdotool mousemove --sync " << from.x << " " << from.y << " mousedown 1";
    const int steps = 16;
    for (int i = 1; i <= steps; ++i)
        command << " sleep 0.04 mousemove --sync " << from.x + (to.x - from.x) * i / steps << " "
                << from.y + (to.y - from.y) * i / steps;
    command << " sleep 0.2 mouseup 1; touch '" << done << "') >/dev/null 2>&1 &";
    Shell(command.str());
}

class DesktopHabitsTest : public FrameFixture {
protected:
    void SetUp() override
    {
        FrameFixture::SetUp();
        if (Env("SHELLYARD_TEST_WM").empty())
            GTEST_SKIP() << "needs a window manager: run through tests/support/with-xvfb.sh --wm";
        port = Env("SHELLYARD_TEST_SSH_PORT");
        user = Env("SHELLYARD_TEST_SSH_USER");
        password = Env("SHELLYARD_TEST_SSH_PASSWORD");
        home = Env("SHELLYARD_TEST_SSH_HOME");
        TerminalProcess::SetWindowDeadline(10s);
    }
    void TearDown() override
    {
        Shell("xdotool mouseup 1");  // never leave the button down
        DestroyFrame();
        EXPECT_TRUE(WaitFor([] { return ChildProcesses().empty(); }, 5s)) << "started processes left";
        if (!user.empty()) {
            EXPECT_TRUE(WaitFor([&] { return LoginShells() == 0; }, 10s)) << "sessions still open";
        }
        FrameFixture::TearDown();
    }
    void StartActive()
    {
        CreateFrame();
        ASSERT_TRUE(frame && WaitFor([this] { return frame->IsActive(); })) << "the manager did not focus the frame";
    }
    void Quit()
    {
        ModalScript::Get().ExpectMessage("Are you sure you want to close all loggin sites and quite?", "Shellyard",
                                         wxYES_NO, wxID_YES);
        FrameProbe::Command(frame, 1000);
        ASSERT_TRUE(WaitFor([this] { return !frame; }));
        ModalScript::Get().Verify();
    }
    ShellyardConnPanel* ConnectStored(const wxString& name)
    {
        const SiteRecord chosen = FrameProbe::Record({name, "127.0.0.1", "ssh", "", "", wxString(port)});
        size_t before = Notebook()->GetPageCount();
        frame->ConnectSite(chosen);
        ConnectionsDone();
        return Notebook()->GetPageCount() == before + 1 ? dynamic_cast<ShellyardConnPanel*>(Notebook()->GetPage(before))
                                                        : nullptr;
    }
    wxAuiNotebook* Notebook() { return FrameProbe::Notebook(frame); }
    wxAuiPaneInfo& Pane(const char* name) { return FrameProbe::Aui(frame).GetPane(name); }
    int LoginShells() { return atoi(Shell("pgrep -c -x -u '" + user + "' bash").c_str()); }
    std::string Settings() { return ReadFile(programDir + "/shellyard.ini"); }
    std::string Log() { return ReadFile(workDir + "/Shellyard.txt"); }
    size_t LogLines(const std::string& text)
    {
        size_t count = 0;
        std::istringstream lines(Log());
        for (std::string line; std::getline(lines, line);)
            count += line.find(text) != std::string::npos ? 1 : 0;
        return count;
    }
    // Centred on the screen at the first start's size, there on the X server too: the toolkit
    // knows the place it asked for before the window manager has moved the window there, and a
    // click computed from it would miss.
    void ExpectFirstStartPlace()
    {
        wxRect screen = wxDisplay(0u).GetGeometry();
        EXPECT_TRUE(WaitFor([&] {
            wxRect r = frame->GetRect();
            wxPoint inside = frame->ClientToScreen(wxPoint(0, 0));
            return r.GetSize() == wxSize(1156, 805) && std::abs(r.x + r.width / 2 - screen.width / 2) < 40 &&
                   std::abs(r.y + r.height / 2 - screen.height / 2) < 40 && inside.x >= r.x && inside.x < r.x + 40 &&
                   inside.y >= r.y && inside.y < r.y + 120;
        }, 3s)) << Where(frame->GetRect());
    }

    std::string port, user, password, home;
};
}  // namespace

TEST_F(DesktopHabitsTest, QuickLoginRecentHostsTabOrderAndTheWindowComeBackAfterARestart)
{
    if (port.empty() || Env("SHELLYARD_TEST_SSH_PORT22") != "1")
        GTEST_SKIP() << "needs the test SSH server on port 22: run through tests/support/with-sshd.sh";
    Shell("rm -f '" + home + "/sy-order.txt'");
    CreateDatabase({{password, user, "ssh", "127.0.0.1", "127.0.0.1", "22", "", ""},
                    {password, user, "ssh", "127.0.0.1", "one", port, "", ""},
                    {password, user, "ssh", "127.0.0.1", "two", port, "", ""}});
    StartActive();
    ExpectFirstStartPlace();

    // Enter in the Quick Login field connects the typed host, logged in by itself.
    wxComboBox* host = FrameProbe::HostField(frame);
    EXPECT_TRUE(Items(host).empty());
    wxRect field = host->GetScreenRect();
    Shell("xdotool mousemove --sync " + std::to_string(field.x + 20) + " " + std::to_string(field.y + field.height / 2) +
          " click 1");
    ASSERT_TRUE(WaitFor([&] { return host->HasFocus() || wxWindow::FindFocus() == host; }));
    Shell("xdotool type --delay 10 '127.0.0.1'");
    Shell("xdotool key Return");
    ASSERT_TRUE(WaitFor([&] { return Notebook()->GetPageCount() == 1; })) << "field holds \"" << host->GetValue() << "\"";
    ASSERT_TRUE(ConnectionsDone());
    ASSERT_TRUE(WaitFor([&] { return LoginShells() == 1; }, 15s)) << "PuTTY did not log in by itself";
    auto* quick = dynamic_cast<ShellyardConnPanel*>(Notebook()->GetPage(0));
    ASSERT_TRUE(quick && quick->GetTerminalWindow());
    EXPECT_EQ(Items(host), (std::vector<wxString>{"127.0.0.1", "Clear recent hosts"}));

    ShellyardConnPanel* one = ConnectStored("one");
    ShellyardConnPanel* two = ConnectStored("two");
    ASSERT_TRUE(one && two);
    ASSERT_TRUE(WaitFor([&] { return LoginShells() == 3; }, 15s));

    // Each tab tells where its terminal is, never with the password.
    EXPECT_EQ(Notebook()->GetPageToolTip(1), "one\n" + user + "@127.0.0.1:" + port + "\nSSH");
    EXPECT_EQ(Notebook()->GetPageToolTip(0), "127.0.0.1\n" + user + "@127.0.0.1:22\nSSH");
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(Notebook()->GetPageToolTip(i).find(wxString::FromUTF8(password.c_str())), wxString::npos);

    // "two" is dragged to the front of the row, then "127.0.0.1" out to the right, where the
    // notebook splits in two rows: the user sees two, one | 127.0.0.1.
    std::string done = root + "/dragged";
    auto x = [&](wxWindow* page) { return TabOnScreen(Notebook(), page).x; };
    Drag(TabOnScreen(Notebook(), two), TabOnScreen(Notebook(), quick) - wxPoint(10, 0), done);
    EXPECT_TRUE(WaitFor([&] { return FileExists(done); }, 15s));
    EXPECT_TRUE(WaitFor([&] { return x(two) < x(quick) && x(quick) < x(one); }, 5s));
    std::filesystem::remove(done);
    wxRect pages = Notebook()->GetScreenRect();
    Drag(TabOnScreen(Notebook(), quick), wxPoint(pages.GetRight() - 30, pages.y + pages.height / 2), done);
    EXPECT_TRUE(WaitFor([&] { return FileExists(done); }, 15s));
    auto row = [&](wxWindow* page) {
        wxAuiTabCtrl* tabs = nullptr;
        int index = 0;
        return Notebook()->FindTab(page, &tabs, &index) ? tabs : nullptr;
    };
    ASSERT_TRUE(WaitFor([&] { return row(quick) != row(two) && row(one) == row(two) && x(two) < x(one); }, 5s));
    EXPECT_GT(x(quick), pages.x + pages.width / 2) << "the new row is on the right";

    // The broadcast types into the tabs in that order: each session appends when it ran the command
    // and the port of its own connection; the pause before each Enter keeps the sessions apart.
    std::map<std::string, std::string> tabOfPort;
    for (auto [page, name] : {std::pair{two, "two"}, {one, "one"}, {quick, "127.0.0.1"}})
        tabOfPort[ClientPortOf(page->GetTerminalProcess()->Pid())] = name;
    frame->SendToAllSessions("echo $EPOCHREALTIME $SSH_CLIENT >> sy-order.txt{DELAY 700}");
    auto order = [&] {
        std::vector<std::pair<double, std::string>> lines;
        std::istringstream in(ReadFile(home + "/sy-order.txt"));
        double when;
        std::string address, clientPort, serverPort;
        while (in >> when >> address >> clientPort >> serverPort)
            lines.emplace_back(when, tabOfPort.count(clientPort) ? tabOfPort[clientPort] : "?" + clientPort);
        std::sort(lines.begin(), lines.end());
        std::string names;
        for (const auto& line : lines)
            names += line.second + " ";
        return names;
    };
    EXPECT_TRUE(WaitFor([&] { return order() == "two one 127.0.0.1 "; }, 15s)) << order();

    // A host that does not answer is remembered too, in its protocol's own list.
    Choose(FrameProbe::ProtocolChoice(frame), 1);
    EXPECT_TRUE(Items(host).empty()) << "telnet hosts are not ssh hosts";
    host->SetValue("127.0.0.2");
    wxCommandEvent enter(wxEVT_COMMAND_TEXT_ENTER, host->GetId());
    host->GetEventHandler()->ProcessEvent(enter);
    ASSERT_TRUE(ConnectionsDone());
    EXPECT_EQ(Items(host), (std::vector<wxString>{"127.0.0.2", "Clear recent hosts"}));

    // The window is moved and sized, the sites list goes to the right at 300 pixels, the Multi
    // Command Sender to a row of its own.
    frame->SetSize(70, 50, 1000, 700);
    Pane("SiteTree").Right().BestSize(300, 300);
    Pane("mcspanel").Row(1);
    FrameProbe::Aui(frame).Update();
    ASSERT_TRUE(WaitFor([&] { return frame->GetRect() == wxRect(70, 50, 1000, 700); }, 5s));
    Quit();
    EXPECT_TRUE(WaitFor([&] { return LoginShells() == 0; }, 10s));

    // Everything is back after a restart.
    StartActive();
    EXPECT_TRUE(WaitFor([&] { return frame->GetRect() == wxRect(70, 50, 1000, 700); }, 3s)) << Where(frame->GetRect());
    EXPECT_EQ(Pane("SiteTree").dock_direction, wxAUI_DOCK_RIGHT);
    EXPECT_NEAR(FrameProbe::Tree(frame)->GetSize().x, 300, 10);
    EXPECT_GT(FrameProbe::Tree(frame)->GetScreenPosition().x, frame->GetPosition().x + 600);
    EXPECT_EQ(Pane("mcspanel").dock_row, 1);
    EXPECT_GT(FrameProbe::MCSPanel(frame)->GetScreenPosition().y, FrameProbe::LoginPanel(frame)->GetScreenPosition().y);
    EXPECT_EQ(Pane("SiteTree").caption, "Sites List");
    EXPECT_FALSE(Pane("SiteTree").HasCloseButton());
    host = FrameProbe::HostField(frame);
    EXPECT_EQ(Items(host), (std::vector<wxString>{"127.0.0.1", "Clear recent hosts"}));
    Choose(FrameProbe::ProtocolChoice(frame), 1);
    EXPECT_EQ(Items(host), (std::vector<wxString>{"127.0.0.2", "Clear recent hosts"}));

    // "Clear recent hosts" forgets them all and leaves the typed text alone.
    host->ChangeValue("typed");
    Choose(host, 1);
    EXPECT_TRUE(Items(host).empty());
    EXPECT_EQ(host->GetValue(), "typed");
    EXPECT_EQ(Settings().find("127.0.0."), std::string::npos) << Settings();

    // Maximized, without the sites list, closed by its close box: so it comes back, and leaving
    // maximized gives the place it had.
    FrameProbe::Command(frame, ID_MENU_VIEW_SITES_LIST);
    frame->Maximize();
    ASSERT_TRUE(WaitFor([&] { return frame->IsMaximized(); }, 5s));
    AskWindowManagerToClose(frame);
    ASSERT_TRUE(WaitFor([this] { return !frame; }));
    StartActive();
    EXPECT_TRUE(WaitFor([&] { return frame->IsMaximized(); }, 5s));
    EXPECT_FALSE(Pane("SiteTree").IsShown());
    EXPECT_FALSE(frame->GetMenuBar()->IsChecked(ID_MENU_VIEW_SITES_LIST));
    frame->Maximize(false);  // as the window manager's maximize button does
    EXPECT_TRUE(WaitFor([&] { return frame->GetRect() == wxRect(70, 50, 1000, 700); }, 5s)) << Where(frame->GetRect());
}

TEST_F(DesktopHabitsTest, SettingsThatCannotBeRightAreRefusedOneByOne)
{
    CreateDatabase();
    std::filesystem::create_directories(programDir);
    // A place that no screen has any more (a monitor unplugged), and a layout cut off mid-way.
    WriteFile(programDir + "/shellyard.ini",
              "[SHELLYARD/PLUGIN]\nPUTTY=/usr/bin/putty\nPLINK=/usr/bin/plink\n"
              "[SHELLYARD/WINDOW]\nX=3000\nY=2400\nWIDTH=900\nHEIGHT=640\n"
              "LAYOUT=layout2|name=tb;caption=Toolbar;state=11004;dir=1;lay\n");
    StartActive();
    ExpectFirstStartPlace();
    EXPECT_EQ(LogLines("lies off every screen"), 1u) << Log();
    EXPECT_EQ(LogLines("The saved layout of the window is ignored"), 1u) << Log();
    EXPECT_TRUE(Pane("SiteTree").IsShown());
    EXPECT_EQ(Pane("SiteTree").dock_direction, wxAUI_DOCK_LEFT);
    DestroyFrame();
    std::filesystem::remove(workDir + "/Shellyard.txt");

    // Values written by hand or by another program (after the byte-order mark an editor may put
    // first): each is refused alone, with one line; the others, among them a PuTTY location with
    // a letter outside ASCII, are read as they stand.
    WriteFile(programDir + "/shellyard.ini",
              "\xEF\xBB\xBF[SHELLYARD/PLUGIN]\nPUTTY=/opt/caf\xc3\xa9/putty\nPLINK=/usr/bin/plink\n"
              "[SHELLYARD/WINDOW]\nX=40\nY=30\nWIDTH=-5\nHEIGHT=99999\nMAXIMIZED=yes\nSITESLIST=0\n"
              "LAYOUT=layout2|" + std::string(1 << 20, 'x') + "\n"
              "[SHELLYARD/RECENT/SSH]\nHOST1=bad\xff\xfehost\nHOST2=good.example\nHOST3=$HOME\nHOST4=a\x01" "b\n");
    StartActive();
    EXPECT_TRUE(WaitFor([&] { return frame->GetRect() == wxRect(40, 30, 1156, 805); }, 3s)) << Where(frame->GetRect());
    EXPECT_FALSE(frame->IsMaximized());
    EXPECT_FALSE(Pane("SiteTree").IsShown());
    EXPECT_EQ(Items(FrameProbe::HostField(frame)),
              (std::vector<wxString>{"good.example", "$HOME", "Clear recent hosts"}));
    for (const char* key : {"WIDTH", "HEIGHT", "MAXIMIZED", "LAYOUT"})
        EXPECT_EQ(LogLines(std::string("Setting /SHELLYARD/WINDOW/") + key + " ignored"), 1u) << Log();
    EXPECT_EQ(LogLines("Setting /SHELLYARD/RECENT/SSH/HOST1 ignored: it holds bytes that are no UTF-8 text"), 1u)
        << Log();
    EXPECT_EQ(LogLines("Setting /SHELLYARD/RECENT/SSH/HOST4 ignored: it holds a control character"), 1u) << Log();
    EXPECT_EQ(LogLines("ignored"), 6u) << Log();
    EXPECT_EQ(FrameProbe::PuttyPath(frame), wxString::FromUTF8("/opt/caf\xc3\xa9/putty"));
    // Written again, the file keeps the stray bytes as they were.
    Quit();
    EXPECT_NE(Settings().find("HOST1=bad\xff\xfehost\n"), std::string::npos) << Settings();
}
