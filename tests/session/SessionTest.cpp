// Terminal sessions end to end: the real frame starts the real PuTTY against a private OpenSSH
// server (tests/support/with-sshd.sh) on a private X server; effects are checked where they happen
// (the window tree of the X server, the process table, files on the server).
#include "support/FrameFixture.h"

#include "app/AppConfig.h"
#include "session/ShellyardConnPanel.h"
#include "session/TerminalProcess.h"
#include "session/TerminalWindow.h"
#include "storage/SiteStore.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <set>
#include <signal.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <wx/aui/auibook.h>
#include <wx/bmpbuttn.h>
#include <wx/choice.h>
#include <wx/textctrl.h>
#include <wx/weakref.h>

using namespace std::chrono_literals;

namespace {

std::string Env(const char* name)
{
    const char* value = getenv(name);
    return value ? value : "";
}

// Output of a shell command run by the test (not by the program under test).
std::string Shell(const std::string& command)
{
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            output.append(buffer, n);
        pclose(pipe);
    }
    return output;
}

std::string Trimmed(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

// Processes whose parent is this test, zombies included: whatever the program started and did not
// end and reap shows up here.
std::vector<long> ChildProcesses()
{
    std::vector<long> children;
    DIR* proc = opendir("/proc");
    if (!proc)
        return children;
    const long self = getpid();
    while (dirent* entry = readdir(proc)) {
        char* end = nullptr;
        long pid = strtol(entry->d_name, &end, 10);
        if (*end || pid <= 0)
            continue;
        std::ifstream stat("/proc/" + std::string(entry->d_name) + "/stat");
        std::string line;
        std::getline(stat, line);
        size_t close = line.rfind(')');
        if (close == std::string::npos)
            continue;
        std::istringstream rest(line.substr(close + 2));
        char state;
        long parent = 0;
        rest >> state >> parent;
        if (parent == self)
            children.push_back(pid);
    }
    closedir(proc);
    return children;
}

std::string CommandLineOf(long pid)
{
    return ReadFile("/proc/" + std::to_string(pid) + "/cmdline");
}

bool ProcessExists(long pid)
{
    return pid > 0 && kill(pid, 0) == 0;
}

template <class T>
T* ChildOfType(wxWindow* parent, int skip = 0)
{
    for (wxWindow* child : parent->GetChildren()) {
        if (T* typed = dynamic_cast<T*>(child)) {
            if (skip-- == 0)
                return typed;
        }
    }
    return nullptr;
}

void Click(wxWindow* button)
{
    wxCommandEvent event(wxEVT_COMMAND_BUTTON_CLICKED, button->GetId());
    event.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(event);
}

void PressEnter(wxTextCtrl* field)
{
    wxCommandEvent event(wxEVT_COMMAND_TEXT_ENTER, field->GetId());
    event.SetEventObject(field);
    event.SetString(field->GetValue());
    field->GetEventHandler()->ProcessEvent(event);
}

const char* const kFailureMessage = "Failed to start Putty.exe. Please check and re-configure your Putty first please.";

// PuTTY sizes its window to whole character cells: it may fall short of the tab by less than a cell,
// never exceed it.
bool FillsTab(NativeWindow terminal, ShellyardConnPanel* page)
{
    int width = 0, height = 0;
    wxSize tab = page->TerminalSize();
    return TerminalWindow::SizeOf(terminal, width, height) && width <= tab.x && height <= tab.y &&
           width > tab.x - 24 && height > tab.y - 32;
}

class SessionTest : public FrameFixture {
protected:
    void SetUp() override
    {
        FrameFixture::SetUp();
        port = Env("SHELLYARD_TEST_SSH_PORT");
        user = Env("SHELLYARD_TEST_SSH_USER");
        password = Env("SHELLYARD_TEST_SSH_PASSWORD");
        home = Env("SHELLYARD_TEST_SSH_HOME");
        if (port.empty())
            GTEST_SKIP() << "needs the test SSH server: run through tests/support/with-sshd.sh";
        // Files typed commands leave on the server start afresh for every test.
        Shell("find '" + home + "' -maxdepth 1 -name 'sy-*' -delete");
        TerminalProcess::SetWindowDeadline(10s);
    }

    void TearDown() override
    {
        DestroyFrame();
        EXPECT_TRUE(WaitFor([] { return ChildProcesses().empty(); }, 5s))
            << ChildProcesses().size() << " started processes left";
        TerminalProcess::SetWindowDeadline(10s);
        FrameFixture::TearDown();
    }

    // One stored SSH site on the test server, with the test account's login unless withLogin is
    // false (columns: hostpasswd, hostuser, hosttype, hostip, hostname, hostport, ...).
    std::vector<std::string> Site(const std::string& name, const std::string& sitePort, bool withLogin = true)
    {
        return {withLogin ? password : "", withLogin ? user : "", "ssh", "127.0.0.1", name, sitePort, "", ""};
    }
    // Starts the program with these stored sites.
    void Start(const std::vector<std::vector<std::string>>& sites = {})
    {
        CreateDatabase(sites);
        CreateFrame();
        ASSERT_TRUE(frame);
    }

    // Connects a stored site the way the site tree does: fills the current site, then connects.
    ShellyardConnPanel* ConnectStored(const wxString& name)
    {
        FrameInspector::SetCurrentSite(frame, {name, "127.0.0.1", "ssh", "", "", wxString(port)});
        size_t before = Notebook()->GetPageCount();
        frame->ConnectSite();
        if (Notebook()->GetPageCount() != before + 1)
            return nullptr;
        return dynamic_cast<ShellyardConnPanel*>(Notebook()->GetPage(before));
    }

    wxAuiNotebook* Notebook() { return FrameInspector::Notebook(frame); }
    wxTextCtrl* HostField() { return ChildOfType<wxTextCtrl>(FrameInspector::LoginPanel(frame)); }
    wxChoice* ProtocolChoice() { return ChildOfType<wxChoice>(FrameInspector::LoginPanel(frame)); }
    wxWindow* LoginButton() { return ChildOfType<wxBitmapButton>(FrameInspector::LoginPanel(frame)); }
    wxTextCtrl* CommandField() { return ChildOfType<wxTextCtrl>(FrameInspector::MCSPanel(frame)); }
    wxWindow* SendButton() { return ChildOfType<wxBitmapButton>(FrameInspector::MCSPanel(frame)); }

    NativeWindow PageWindow(ShellyardConnPanel* page)
    {
        return TerminalWindow::FromToolkitHandle(page->GetHandle());
    }

    // Login shells the test account runs on the server: one per logged-in session.
    int LoginShells() { return atoi(Shell("pgrep -c -x -u '" + user + "' bash").c_str()); }

    std::string ServerFile(const std::string& name) { return ReadFile(home + "/" + name); }
    bool WaitForServerFile(const std::string& name, const std::string& content, std::chrono::milliseconds deadline = 10s)
    {
        return WaitFor([&] { return ServerFile(name) == content; }, deadline);
    }

    // Types into every terminal tab through the program's own broadcast.
    void Broadcast(const std::string& command) { frame->SendToAllSessions(wxString::FromUTF8(command.c_str())); }

    std::string port, user, password, home;
};

}  // namespace

// ---- Quick Login and embedding -----------------------------------------------------------------

TEST_F(SessionTest, QuickLoginToStoredSiteEmbedsALoggedInTerminal)
{
    if (Env("SHELLYARD_TEST_SSH_PORT22") != "1")
        GTEST_SKIP() << "Quick Login uses port 22, which the test server holds only in a private network namespace";
    Start({Site("127.0.0.1", "22")});
    int shellsBefore = LoginShells();

    HostField()->SetValue("127.0.0.1");
    ProtocolChoice()->SetSelection(0);
    Click(LoginButton());

    ASSERT_EQ(Notebook()->GetPageCount(), 1u);
    EXPECT_EQ(Notebook()->GetPageText(0), "127.0.0.1");
    EXPECT_EQ(Notebook()->GetSelection(), 0);
    auto* page = dynamic_cast<ShellyardConnPanel*>(Notebook()->GetPage(0));
    ASSERT_NE(page, nullptr);
    NativeWindow terminal = page->GetTerminalWindow();
    ASSERT_NE(terminal, 0u);

    // The terminal is a child of the tab, belongs to the PuTTY this tab started, and fills the tab.
    EXPECT_EQ(TerminalWindow::ParentOf(terminal), PageWindow(page));
    ASSERT_NE(page->GetTerminalProcess(), nullptr);
    EXPECT_EQ(TerminalWindow::ProcessOf(terminal), page->GetTerminalProcess()->Pid());
    EXPECT_TRUE(WaitFor([&] { return FillsTab(terminal, page); }));

    // It follows the tab when the main window changes size.
    frame->SetSize(wxSize(900, 640));
    EXPECT_TRUE(WaitFor([&] { return FillsTab(terminal, page) && page->TerminalSize().x < 800; }));

    // Port 22 from Quick Login, login from the stored site.
    std::string cmdline = CommandLineOf(page->GetTerminalProcess()->Pid());
    std::string expected = std::string("/usr/bin/putty") + '\0' + "-load" + '\0' + "Default Settings" + '\0' + "-ssh" +
                           '\0' + "127.0.0.1" + '\0' + "-P" + '\0' + "22" + '\0' + "-l" + '\0' + user + '\0' + "-pw" +
                           '\0' + password + '\0';
    EXPECT_EQ(cmdline, expected);
    EXPECT_TRUE(WaitFor([&] { return LoginShells() == shellsBefore + 1; })) << "PuTTY did not log in by itself";

    // The password never reaches the log.
    EXPECT_EQ(ReadFile(workDir + "/Shellyard.txt").find(password), std::string::npos);

    // A command typed through the keystroke engine runs on the server.
    Broadcast("echo quick login works > sy-quick.txt");
    EXPECT_TRUE(WaitForServerFile("sy-quick.txt", "quick login works\n"));
}
