// Terminal sessions end to end: the real frame starts the real PuTTY against a private OpenSSH
// server (tests/support/with-sshd.sh) on a private X server; effects are checked where they happen
// (the window tree of the X server, the process table, files on the server).
#include "support/ShellCommand.h"
#include "support/FrameFixture.h"
#include "support/NotebookActions.h"
#include "support/ProcessTable.h"

#include "app/AppConfig.h"
#include "app/SessionRecord.h"
#include "app/ShellyardApp.h"
#include "app/SingleInstance.h"
#include "monitor/ShellyardMonPanel.h"
#include "session/ProcessIdentity.h"
#include "session/ShellyardConnPanel.h"
#include "session/TerminalProcess.h"
#include "session/TerminalWindow.h"
#include "storage/SiteStore.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <set>
#include <signal.h>
#include <spawn.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wx/aui/auibook.h>
#include <wx/bmpbuttn.h>
#include <wx/choice.h>
#include <wx/dcclient.h>
#include <wx/textctrl.h>
#include <wx/weakref.h>

#include <X11/Xlib.h>
#include <X11/keysym.h>

using namespace std::chrono_literals;

namespace {

std::string Trimmed(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
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
        // Every session the test opened is closed on the server too, before the next test counts.
        if (!user.empty()) {
            EXPECT_TRUE(WaitFor([&] { return LoginShells() == 0; }, 10s)) << LoginShells() << " sessions still open";
        }
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
        const SiteRecord chosen = FrameProbe::Record({name, "127.0.0.1", "ssh", "", "", wxString(port)});
        size_t before = Notebook()->GetPageCount();
        frame->ConnectSite(chosen);
        ConnectionsDone();
        if (Notebook()->GetPageCount() != before + 1)
            return nullptr;
        return dynamic_cast<ShellyardConnPanel*>(Notebook()->GetPage(before));
    }

    wxAuiNotebook* Notebook() { return FrameProbe::Notebook(frame); }
    wxComboBox* HostField() { return FrameProbe::HostField(frame); }
    wxChoice* ProtocolChoice() { return FrameProbe::ProtocolChoice(frame); }
    wxWindow* LoginButton() { return FrameProbe::LoginButton(frame); }
    wxTextCtrl* CommandField() { return ChildOfType<wxTextCtrl>(FrameProbe::MCSPanel(frame)); }
    wxWindow* SendButton() { return ChildOfType<wxBitmapButton>(FrameProbe::MCSPanel(frame)); }

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
    const size_t descriptorsBefore = OpenDescriptors();

    HostField()->SetValue("127.0.0.1");
    ProtocolChoice()->SetSelection(0);
    Click(LoginButton());
    ConnectionsDone();

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
    int width = 0, height = 0;

    // It follows the tab when the main window changes size. A tiling window manager keeps the
    // frame's size to itself: there the tab grows as the sites list is hidden.
    const int tabWidth = page->TerminalSize().x;
    if (Env("SHELLYARD_TEST_WM") == "i3")
        FrameProbe::Command(frame, ID_MENU_VIEW_SITES_LIST);
    else
        frame->SetSize(wxSize(900, 640));
    EXPECT_TRUE(WaitFor([&] { return FillsTab(terminal, page) && page->TerminalSize().x != tabWidth; }))
        << "tab " << page->TerminalSize().x << "x" << page->TerminalSize().y << ", terminal "
        << (TerminalWindow::SizeOf(terminal, width, height), width) << "x" << height;

    // Port 22 from Quick Login, login from the stored site; the password (with blanks, shell
    // characters and a letter outside ASCII) through a pipe, in no process's argument list on the
    // machine, during the login or after.
    std::string cmdline = CommandLineOf(page->GetTerminalProcess()->Pid());
    std::string expected = std::string("/usr/bin/putty") + '\0' + "-load" + '\0' + "Default Settings" + '\0' + "-ssh" +
                           '\0' + "127.0.0.1" + '\0' + "-P" + '\0' + "22" + '\0' + "-l" + '\0' + user + '\0' +
                           "-pwfile" + '\0' + "/dev/fd/3" + '\0';
    EXPECT_EQ(cmdline, expected);
    EXPECT_TRUE(ProcessesWhoseArgumentsHold(password).empty());
    EXPECT_TRUE(WaitFor([&] { return LoginShells() == 1; })) << "PuTTY did not log in by itself";
    EXPECT_TRUE(ProcessesWhoseArgumentsHold(password).empty());
    EXPECT_EQ(OpenDescriptors(), descriptorsBefore) << "the password's pipe was left open";

    // The password never reaches the log.
    EXPECT_EQ(ReadFile(workDir + "/Shellyard.txt").find(password), std::string::npos);

    // A command typed through the keystroke engine runs on the server.
    Broadcast("echo quick login works > sy-quick.txt");
    EXPECT_TRUE(WaitForServerFile("sy-quick.txt", "quick login works\n"));
}

TEST_F(SessionTest, StoredSiteArgumentsArriveIntactFromALocationWithABlank)
{
    // A site with a user but no password: no auto-login, so no -l and no -pw.
    Start({Site("only user", port, false)});
    std::string folder = root + "/my putty";
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    ASSERT_EQ(symlink("/usr/bin/putty", (folder + "/putty").c_str()), 0);
    AppConfig::Instance().WritePuttyPath(wxString::FromUTF8((folder + "/putty").c_str()));
    AppConfig::Instance().WritePlinkPath("/usr/bin/plink");

    ShellyardConnPanel* page = ConnectStored("only user");
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(Notebook()->GetPageText(0), "only user");
    std::string expected = folder + "/putty" + '\0' + "-load" + '\0' + "Default Settings" + '\0' + "-ssh" + '\0' +
                           "127.0.0.1" + '\0' + "-P" + '\0' + port + '\0';
    EXPECT_EQ(CommandLineOf(page->GetTerminalProcess()->Pid()), expected);
    EXPECT_EQ(TerminalWindow::ParentOf(page->GetTerminalWindow()), PageWindow(page));
}

// ---- Failed launches ---------------------------------------------------------------------------

TEST_F(SessionTest, PuttyThatDoesNotShowAWindowGetsTheMessageAndTheOptions)
{
    Start();
    std::string neverShows = root + "/never-shows-a-window";
    WriteFile(neverShows, "#!/bin/sh\nexec sleep 60\n");
    chmod(neverShows.c_str(), 0755);
    std::string notExecutable = root + "/not-executable";
    WriteFile(notExecutable, "#!/bin/sh\nexit 0\n");

    struct Case {
        std::string location;
        std::chrono::milliseconds deadline;  // how long the program waits for a window
        std::chrono::milliseconds answerWithin;
    };
    const Case cases[] = {
        {root + "/no such folder/putty", 10s, 1s},
        {"/bin/false", 10s, 1s},
        {notExecutable, 10s, 1s},
        {root, 10s, 1s},  // a folder
        {neverShows, 600ms, 3s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.location);
        AppConfig::Instance().WritePuttyPath(wxString::FromUTF8(c.location.c_str()));
        AppConfig::Instance().WritePlinkPath("/usr/bin/plink");
        TerminalProcess::SetWindowDeadline(c.deadline);

        auto started = std::chrono::steady_clock::now();
        std::chrono::steady_clock::duration answeredAfter{};
        ModalScript::Get().ExpectDialog<wxMessageDialog>("the failure message", [&](wxMessageDialog* box) {
            answeredAfter = std::chrono::steady_clock::now() - started;
            EXPECT_EQ(box->GetMessage(), kFailureMessage);
            EXPECT_EQ(box->GetCaption(), "Shellyard");
            EXPECT_EQ(box->GetMessageDialogStyle() & (wxOK | wxICON_INFORMATION), wxOK | wxICON_INFORMATION);
            // No process of the failed start and no tab of it is left when the user reads this.
            EXPECT_TRUE(WaitFor([] { return ChildProcesses().empty(); }, 3s));
            EXPECT_EQ(Notebook()->GetPageCount(), 0u);
            return wxID_OK;
        });
        ModalScript::Get().ExpectDialog<wxDialog>("the options dialog", [](wxDialog* dialog) {
            EXPECT_EQ(dialog->GetTitle(), "Shellyard Options");
            return wxID_CANCEL;
        });
        HostField()->SetValue("127.0.0.1");
        Click(LoginButton());
        ConnectionsDone();
        ModalScript::Get().Verify();

        EXPECT_EQ(Notebook()->GetPageCount(), 0u);
        EXPECT_LT(answeredAfter, c.answerWithin);
        EXPECT_EQ(TerminalProcess::RunningCount(), 0u);
    }
}

TEST_F(SessionTest, TheTabOpensWhilePuttyStartsAndTheWindowsStayDisabled)
{
    Start();
    std::string slowStart = root + "/slow-start";
    WriteFile(slowStart, "#!/bin/sh\nexec sleep 60\n");
    chmod(slowStart.c_str(), 0755);
    AppConfig::Instance().WritePuttyPath(wxString::FromUTF8(slowStart.c_str()));
    AppConfig::Instance().WritePlinkPath("/usr/bin/plink");
    TerminalProcess::SetWindowDeadline(1500ms);

    // Looked at while the program waits for the window.
    size_t pagesWhileWaiting = 0;
    wxString captionWhileWaiting;
    int selectedWhileWaiting = -2;
    bool frameEnabledWhileWaiting = true;
    wxTimer look;
    look.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        pagesWhileWaiting = Notebook()->GetPageCount();
        if (pagesWhileWaiting > 0)
            captionWhileWaiting = Notebook()->GetPageText(0);
        selectedWhileWaiting = Notebook()->GetSelection();
        frameEnabledWhileWaiting = frame->IsEnabled();
    });
    look.StartOnce(500);
    ModalScript::Get().ExpectMessage(kFailureMessage, "Shellyard", wxOK | wxICON_INFORMATION, wxID_OK);
    ModalScript::Get().ExpectDialog<wxDialog>("the options dialog", [](wxDialog*) { return wxID_CANCEL; });
    HostField()->SetValue("127.0.0.1");
    Click(LoginButton());
    ConnectionsDone();
    ModalScript::Get().Verify();

    EXPECT_EQ(pagesWhileWaiting, 1u);
    EXPECT_EQ(captionWhileWaiting, "127.0.0.1");
    EXPECT_EQ(selectedWhileWaiting, 0);
    EXPECT_FALSE(frameEnabledWhileWaiting);
    EXPECT_EQ(Notebook()->GetPageCount(), 0u);
    EXPECT_TRUE(WaitFor([] { return ChildProcesses().empty(); }, 3s));
}

TEST_F(SessionTest, StartedProgramsGetNoneOfOurFilesNorSignalStateAndAreReaped)
{
    Start();
    // A file of ours that is not marked close-on-exec, and a signal we ignore and one we block.
    int ours = open("/dev/null", O_RDONLY);
    ASSERT_GE(ours, 3);
    struct sigaction previous;
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGUSR1, &ignore, &previous);
    sigset_t blocked, before;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGUSR2);
    sigprocmask(SIG_BLOCK, &blocked, &before);

    std::string program = root + "/waits";
    WriteFile(program, "#!/bin/sh\nexec sleep 60\n");
    chmod(program.c_str(), 0755);
    std::unique_ptr<TerminalProcess> process = TerminalProcess::Start(TerminalArguments::ForPuttyConfiguration(program));
    sigprocmask(SIG_SETMASK, &before, nullptr);
    sigaction(SIGUSR1, &previous, nullptr);
    close(ours);
    ASSERT_NE(process, nullptr);
    const long pid = process->Pid();
    const std::string proc = "/proc/" + std::to_string(pid);
    ASSERT_TRUE(WaitFor([&] { return Shell("readlink " + proc + "/exe").find("sleep") != std::string::npos; }));

    EXPECT_EQ(Shell("ls " + proc + "/fd | sort -n | tr '\\n' ' '"), "0 1 2 ");
    // The standard signals (1-31); the C library keeps its own real-time ones above them.
    auto standardSignals = [&](const std::string& field) {
        std::string mask = Shell("sed -n 's/^" + field + ":\\s*//p' " + proc + "/status");
        return std::stoull(mask, nullptr, 16) & 0x7fffffffull;
    };
    EXPECT_EQ(standardSignals("SigBlk"), 0u);
    EXPECT_EQ(standardSignals("SigIgn"), 0u);
    EXPECT_EQ(Shell("tr '\\0' '\\n' < " + proc + "/environ | grep '^GDK_BACKEND='"), "GDK_BACKEND=x11\n");

    // Ended with its holder, and reaped: no process, no zombie.
    process.reset();
    EXPECT_TRUE(WaitFor([] { return TerminalProcess::RunningCount() == 0; }, 3s));
    EXPECT_NE(access(proc.c_str(), F_OK), 0);
}

// PuTTY's configuration window may hold settings the user has not saved yet: it is the user's. It
// opens outside the notebook, in a session of its own (a Ctrl+C or hang-up meant for the program's
// process group does not reach it), is reaped should it end while the program runs, and stays on
// screen when the program quits.
TEST_F(SessionTest, PuttyConfigurationIsTheUsersAndOutlivesTheProgram)
{
    Start();
    FrameProbe::Command(frame, FrameProbe::PuttyConfigurationId(frame));
    std::vector<long> started;
    ASSERT_TRUE(WaitFor([&] { return (started = ChildProcesses()).size() == 1; }));
    const long pid = started[0];
    NativeWindow window = 0;
    ASSERT_TRUE(WaitFor([&] { return (window = TerminalWindow::Find(pid)) != 0; }));
    EXPECT_EQ(Notebook()->GetPageCount(), 0u);
    EXPECT_EQ(CommandLineOf(pid), std::string("/usr/bin/putty") + '\0');
    EXPECT_EQ(getsid(pid), pid);
    EXPECT_EQ(TerminalProcess::RunningCount(), 0u) << "the program would end it with itself";

    // Quitting leaves it running, its window on screen.
    ModalScript::Get().ExpectMessage("Are you sure you want to close all loggin sites and quite?", "Shellyard",
                                     wxYES_NO, wxID_YES);
    FrameProbe::Command(frame, 1000);
    ASSERT_TRUE(WaitFor([&] { return !frame; }));
    WaitFor([] { return false; }, 500ms);
    EXPECT_TRUE(ProcessExists(pid));
    EXPECT_TRUE(TerminalWindow::IsOnScreen(window));
    // Closed while the program still runs, it is reaped: no zombie is left.
    kill(pid, SIGTERM);
    EXPECT_TRUE(WaitFor([&] { return !ProcessExists(pid); }));
}

TEST_F(SessionTest, PuttyConfigurationFromAMissingLocationSaysSo)
{
    Start();
    AppConfig::Instance().WritePuttyPath(wxString::FromUTF8((root + "/gone/putty").c_str()));
    AppConfig::Instance().WritePlinkPath("/usr/bin/plink");
    const SiteRecord chosen = FrameProbe::Record({"x", "127.0.0.1", "ssh", "", "", "1"});
    // The location is read at connections and start-up; this one comes from a failed connection.
    ModalScript::Get().ExpectMessage(kFailureMessage, "Shellyard", wxOK | wxICON_INFORMATION, wxID_OK);
    ModalScript::Get().ExpectDialog<wxDialog>("the options dialog", [](wxDialog*) { return wxID_CANCEL; });
    frame->ConnectSite(chosen);
    ConnectionsDone();
    ModalScript::Get().ExpectMessage(kFailureMessage, "Shellyard", wxOK | wxICON_INFORMATION, wxID_OK);
    FrameProbe::Command(frame, FrameProbe::PuttyConfigurationId(frame));
    ModalScript::Get().Verify();
    EXPECT_TRUE(ChildProcesses().empty());
}

// ---- Several sessions --------------------------------------------------------------------------

TEST_F(SessionTest, QuickLoginsBackToBackEachEmbedTheirOwnPutty)
{
    if (Env("SHELLYARD_TEST_SSH_PORT22") != "1")
        GTEST_SKIP() << "Quick Login uses port 22, which the test server holds only in a private network namespace";
    Start({Site("127.0.0.1", "22")});
    frame->QuickConnect("127.0.0.1", "ssh");
    frame->QuickConnect("127.0.0.1", "ssh");
    ConnectionsDone();
    ASSERT_EQ(Notebook()->GetPageCount(), 2u);
    std::set<long> pids;
    for (size_t i = 0; i < 2; ++i) {
        auto* page = dynamic_cast<ShellyardConnPanel*>(Notebook()->GetPage(i));
        ASSERT_NE(page, nullptr);
        long pid = page->GetTerminalProcess()->Pid();
        EXPECT_EQ(TerminalWindow::ProcessOf(page->GetTerminalWindow()), pid) << "tab " << i;
        EXPECT_EQ(TerminalWindow::ParentOf(page->GetTerminalWindow()), PageWindow(page)) << "tab " << i;
        pids.insert(pid);
    }
    EXPECT_EQ(pids.size(), 2u);
    EXPECT_EQ(Notebook()->GetSelection(), 1);
}

// Connections that follow each other straight away keep the windows disabled in between; a failing
// one still shows its message over usable windows, and the windows are usable once events flow.
TEST_F(SessionTest, ConnectionsBackToBackLeaveTheWindowsUsable)
{
    Start({Site("one", port), Site("two", port), Site("three", port)});
    ShellyardConnPanel* first = ConnectStored("one");
    ShellyardConnPanel* second = ConnectStored("two");
    ASSERT_TRUE(first && second);
    EXPECT_NE(first->GetTerminalProcess()->Pid(), second->GetTerminalProcess()->Pid());
    EXPECT_EQ(TerminalWindow::ParentOf(second->GetTerminalWindow()), PageWindow(second));

    AppConfig::Instance().WritePuttyPath(wxString::FromUTF8((root + "/no such putty").c_str()));
    AppConfig::Instance().WritePlinkPath("/usr/bin/plink");
    bool enabledAtMessage = false, enabledAtOptions = false;
    ModalScript::Get().ExpectDialog<wxMessageDialog>("the failure message", [&](wxMessageDialog* box) {
        enabledAtMessage = frame->IsEnabled();
        EXPECT_EQ(box->GetMessage(), kFailureMessage);
        return wxID_OK;
    });
    ModalScript::Get().ExpectDialog<wxDialog>("the options dialog", [&](wxDialog*) {
        enabledAtOptions = frame->IsEnabled();
        return wxID_CANCEL;
    });
    EXPECT_EQ(ConnectStored("three"), nullptr);
    ModalScript::Get().Verify();
    EXPECT_TRUE(enabledAtMessage);
    EXPECT_TRUE(enabledAtOptions);
    EXPECT_TRUE(frame->IsEnabled());

    // After a successful connection the windows come back as soon as events are handled.
    AppConfig::Instance().WritePuttyPath("/usr/bin/putty");
    ShellyardConnPanel* third = ConnectStored("three");
    ASSERT_NE(third, nullptr);
    EXPECT_TRUE(WaitFor([&] { return frame->IsEnabled(); }, 1s));
    EXPECT_EQ(Notebook()->GetPageCount(), 3u);
    EXPECT_EQ(Notebook()->GetSelection(), 2);
}

// "Connect all sites" runs several connections at a time. The tabs still come in tree order, each
// captioned with its site; a site whose server refuses the connection keeps its tab, where PuTTY
// shows its own error, and every other site logs in. The windows are disabled until the last one.
TEST_F(SessionTest, ConnectAllConnectsSeveralAtATimeInTreeOrder)
{
    std::string closedPort = Shell("python3 -c 'import socket; s=socket.socket(); s.bind((\"127.0.0.1\", 0)); "
                                   "print(s.getsockname()[1])'");
    closedPort = closedPort.substr(0, closedPort.find('\n'));
    std::vector<std::vector<std::string>> sites;
    std::vector<std::string> names;
    for (int i = 0; i < 12; ++i) {
        names.push_back("site " + std::to_string(i));
        sites.push_back(Site(names.back(), i == 4 ? closedPort : port));
    }
    Start(sites);
    size_t mostAtOnce = 0;
    bool disabledMeanwhile = false;
    wxTimer look;
    look.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        size_t waiting = 0;
        for (size_t i = 0; i < Notebook()->GetPageCount(); ++i) {
            auto* page = dynamic_cast<ShellyardConnPanel*>(Notebook()->GetPage(i));
            waiting += page && !page->GetTerminalWindow() ? 1 : 0;
        }
        mostAtOnce = std::max(mostAtOnce, waiting);
        disabledMeanwhile = disabledMeanwhile || (frame->IsConnecting() && !frame->IsEnabled());
    });
    look.Start(5);
    FrameProbe::ConnectAllSites(frame);  // from the root's menu
    ASSERT_TRUE(ConnectionsDone(60s));
    look.Stop();

    ASSERT_EQ(Notebook()->GetPageCount(), 12u);
    for (size_t i = 0; i < 12; ++i) {
        EXPECT_EQ(Notebook()->GetPageText(i), names[i]);
        auto* page = dynamic_cast<ShellyardConnPanel*>(Notebook()->GetPage(i));
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(TerminalWindow::ParentOf(page->GetTerminalWindow()), PageWindow(page)) << names[i];
    }
    EXPECT_GT(mostAtOnce, 1u) << "one connection at a time";
    EXPECT_TRUE(disabledMeanwhile);
    EXPECT_TRUE(WaitFor([&] { return frame->IsEnabled(); }, 1s));
    EXPECT_TRUE(WaitFor([&] { return LoginShells() == 11; }, 30s)) << LoginShells() << " logged in";
}

// A PuTTY location that cannot be started fails every site the same way: "Connect all sites" says
// so once, with one options dialog, and starts nothing.
TEST_F(SessionTest, ConnectAllWithAnUnusablePuttySaysSoOnce)
{
    Start({Site("one", port), Site("two", port), Site("three", port)});
    AppConfig::Instance().WritePuttyPath(wxString::FromUTF8((root + "/no such putty").c_str()));
    AppConfig::Instance().WritePlinkPath("/usr/bin/plink");
    ModalScript::Get().ExpectMessage(kFailureMessage, "Shellyard", wxOK | wxICON_INFORMATION, wxID_OK);
    ModalScript::Get().ExpectDialog<wxDialog>("the options dialog", [](wxDialog*) { return wxID_CANCEL; });
    int shownBefore = ModalScript::Get().ShownCount();
    FrameProbe::ConnectAllSites(frame);  // from the root's menu
    ASSERT_TRUE(ConnectionsDone());
    ModalScript::Get().Verify();
    EXPECT_EQ(ModalScript::Get().ShownCount() - shownBefore, 2);
    EXPECT_EQ(Notebook()->GetPageCount(), 0u);
    EXPECT_TRUE(ChildProcesses().empty());
    EXPECT_TRUE(frame->IsEnabled());
}

// A tab closed while its terminal is still on its way ends the connection and its program at once,
// and nothing is reported for it.
TEST_F(SessionTest, ClosingATabWhileItConnectsEndsItsProgram)
{
    Start({Site("slow", port)});
    std::string slowStart = root + "/slow-start";
    WriteFile(slowStart, "#!/bin/sh\nexec sleep 60\n");
    chmod(slowStart.c_str(), 0755);
    AppConfig::Instance().WritePuttyPath(wxString::FromUTF8(slowStart.c_str()));
    AppConfig::Instance().WritePlinkPath("/usr/bin/plink");
    const SiteRecord chosen = FrameProbe::Record({"slow", "127.0.0.1", "ssh", "", "", wxString(port)});
    frame->ConnectSite(chosen);
    ASSERT_EQ(Notebook()->GetPageCount(), 1u);
    ASSERT_EQ(ChildProcesses().size(), 1u);
    EXPECT_TRUE(frame->IsConnecting());
    Notebook()->DeletePage(0);
    EXPECT_TRUE(ConnectionsDone(2s));
    EXPECT_TRUE(WaitFor([] { return ChildProcesses().empty(); }, 2s));
    EXPECT_TRUE(frame->IsEnabled());
}

// Once the tab row overflows, each new terminal's tab is scrolled into view as it comes to the front.
TEST_F(SessionTest, EachNewTabIsScrolledIntoView)
{
    std::vector<std::vector<std::string>> sites;
    for (int i = 0; i < 6; ++i)
        sites.push_back(Site("a site with a rather long name, number " + std::to_string(i), port, false));
    Start(sites);
    for (int i = 0; i < 6; ++i) {
        ShellyardConnPanel* page = ConnectStored(wxString::Format("a site with a rather long name, number %d", i));
        ASSERT_NE(page, nullptr);
        PumpEvents();
        wxAuiTabCtrl* tabs = nullptr;
        int tab = 0;
        ASSERT_TRUE(Notebook()->FindTab(page, &tabs, &tab));
        wxClientDC dc(tabs);
        EXPECT_TRUE(tabs->IsTabVisible(tab, tabs->GetTabOffset(), &dc, tabs)) << "tab " << i;
        if (i == 5) {
            EXPECT_GT(tabs->GetTabOffset(), 0u) << "six such tabs overflow the row";
        }
    }
}

// Every terminal tab gets the command exactly once per send, and nothing else does. (Each session
// runs it on its own schedule, so the server sees no fixed order across sessions; each session's
// own file tells which tab it came from.)
TEST_F(SessionTest, MultiCommandSenderTypesIntoEveryTerminalTab)
{
    Start({Site("one", port), Site("two", port), Site("three", port)});
    std::vector<ShellyardConnPanel*> pages;
    for (const char* name : {"one", "two", "three"}) {
        pages.push_back(ConnectStored(name));
        ASSERT_NE(pages.back(), nullptr) << name;
    }
    // A page of another kind sits between the terminals and is passed over.
    wxPanel* other = new wxPanel(Notebook());
    Notebook()->InsertPage(1, other, "other", false);
    Notebook()->SetSelection(1);
    ASSERT_TRUE(WaitFor([&] { return LoginShells() == 3; }, 15s));

    std::vector<std::string> lines;  // what each tab's session prints for $SSH_CLIENT
    for (ShellyardConnPanel* page : pages) {
        std::string clientPort = ClientPortOf(page->GetTerminalProcess()->Pid());
        ASSERT_FALSE(clientPort.empty());
        lines.push_back("127.0.0.1 " + clientPort + " " + port + "\n");
    }
    auto sessionFile = [&](const std::string& line) {
        return "sy-tab-" + line.substr(10, line.find(' ', 10) - 10) + ".txt";
    };
    auto eachTabHas = [&](int times) {
        for (const std::string& line : lines) {
            std::string expected;
            for (int i = 0; i < times; ++i)
                expected += line;
            if (ServerFile(sessionFile(line)) != expected)
                return false;
        }
        return Trimmed(Shell("ls '" + home + "' | grep -c '^sy-tab-'")) == "3";
    };
    auto report = [&] {
        std::string text;
        for (const std::string& line : lines)
            text += sessionFile(line) + ": [" + ServerFile(sessionFile(line)) + "] ";
        return text;
    };

    // The port of the session's own connection names its file. Parentheses are grouping marks in a
    // keystroke script; the user writes them as key names.
    const wxString command =
        "echo $SSH_CLIENT >> sy-tab-${LEFTPAREN}echo $SSH_CLIENT | cut -d' ' -f2{RIGHTPAREN}.txt";
    CommandField()->SetValue(command);
    PressEnter(CommandField());
    EXPECT_TRUE(WaitFor([&] { return eachTabHas(1); })) << report();
    EXPECT_EQ(Notebook()->GetSelection(), 1) << "the page the user looked at stays in front";

    // The button sends the same text again; the field keeps it.
    Click(SendButton());
    EXPECT_TRUE(WaitFor([&] { return eachTabHas(2); })) << report();
    EXPECT_EQ(CommandField()->GetValue(), command);
}

TEST_F(SessionTest, EmptyFieldsAreRefused)
{
    Start();
    CommandField()->Clear();
    ModalScript::Get().ExpectMessage("No command to be executed!", wxMessageBoxCaptionStr, wxOK, wxID_OK);
    Click(SendButton());
    ModalScript::Get().ExpectMessage("No command to be executed!", wxMessageBoxCaptionStr, wxOK, wxID_OK);
    PressEnter(CommandField());
    HostField()->Clear();
    ModalScript::Get().ExpectMessage("No Host to be loggin!", wxMessageBoxCaptionStr, wxOK, wxID_OK);
    Click(LoginButton());
    ConnectionsDone();
    ModalScript::Get().Verify();
    EXPECT_EQ(Notebook()->GetPageCount(), 0u);
    EXPECT_TRUE(ChildProcesses().empty());
}

// Values that would reach PuTTY or PLink as options or line ends (a database from elsewhere) stop
// the start with a message that names the site and the field; no process is started.
TEST_F(SessionTest, SiteValuesThatWouldBecomeOptionsStartNothing)
{
    struct Bad {
        std::string name, protocol, host, port, user, reason;
    } bad[] = {
        {"proxy", "proxycmd", "127.0.0.1", port, "", "its protocol \"proxycmd\" is neither SSH nor Telnet"},
        {"loader", "load", "127.0.0.1", port, "", "its protocol \"load\" is neither SSH nor Telnet"},
        {"fingerprints", "ssh", "-pgpfp", port, "", "its host \"-pgpfp\" begins with \"-\" and would be taken for an option"},
        {"extra option", "ssh", "127.0.0.1", "22 -x", "", "its port \"22 -x\" is not a number from 1 to 65535"},
        {"too far", "telnet", "127.0.0.1", "65536", "", "its port \"65536\" is not a number from 1 to 65535"},
        {"two lines", "ssh", "127.0.0.1", port, "root\nrm -rf /", "its user contains a control character"},
        {"nowhere", "SSH", "", port, "", "it has no host"},
    };
    std::vector<std::vector<std::string>> rows;
    for (const Bad& b : bad)
        rows.push_back({password, b.user, b.protocol, b.host, b.name, b.port, "", ""});
    Start(rows);
    for (const Bad& b : bad) {
        SCOPED_TRACE(b.name);
        const SiteRecord chosen = FrameProbe::Record({b.name, b.host, b.protocol, "", "", b.port});
        ModalScript::Get().ExpectMessage("The site " + b.name + " cannot be started: " + b.reason + ".", "Shellyard",
                                         wxOK | wxICON_WARNING, wxID_OK);
        frame->ConnectSite(chosen);
        ConnectionsDone();
        ModalScript::Get().Verify();
        EXPECT_TRUE(ChildProcesses().empty());
        EXPECT_EQ(Notebook()->GetPageCount(), 0u);
    }
    // The monitor checks the same values before PLink starts.
    const SiteRecord chosen = FrameProbe::Record({"two lines", "127.0.0.1", "ssh", "", "", port});
    ModalScript::Get().ExpectMessage("The site two lines cannot be started: its user contains a control character.",
                                     "Shellyard", wxOK | wxICON_WARNING, wxID_OK);
    frame->StartMonitor(chosen);
    ModalScript::Get().Verify();
    EXPECT_TRUE(ChildProcesses().empty());
    EXPECT_EQ(Notebook()->GetPageCount(), 0u);
    EXPECT_NE(ReadFile(workDir + "/Shellyard.txt").find("Site fingerprints not started: its host is not usable"),
              std::string::npos);
}

// A session whose PuTTY has exited is passed over; the user reads in the status bar how many
// terminals the command reached, and the log names the one it did not.
TEST_F(SessionTest, SessionThatEndedIsPassedOverByTheSender)
{
    Start({Site("one", port), Site("two", port), Site("three", port)});
    std::vector<ShellyardConnPanel*> pages;
    for (const char* name : {"one", "two", "three"}) {
        pages.push_back(ConnectStored(name));
        ASSERT_NE(pages.back(), nullptr) << name;
    }
    ASSERT_TRUE(WaitFor([&] { return LoginShells() == 3; }, 15s));
    long endedPid = pages[1]->GetTerminalProcess()->Pid();
    std::set<std::string> aliveLines;
    for (ShellyardConnPanel* alive : {pages[0], pages[2]})
        aliveLines.insert("127.0.0.1 " + ClientPortOf(alive->GetTerminalProcess()->Pid()) + " " + port);

    kill(endedPid, SIGTERM);
    // Its tab stays, empty; the process is reaped.
    ASSERT_TRUE(WaitFor([&] { return !ProcessExists(endedPid); }));
    EXPECT_EQ(Notebook()->GetPageCount(), 3u);

    // The two live sessions run it, each once (in whatever order their shells get to it).
    auto arrived = [&] {
        std::istringstream text(ServerFile("sy-order.txt"));
        std::multiset<std::string> lines;
        for (std::string line; std::getline(text, line);)
            lines.insert(line);
        return lines;
    };
    const std::multiset<std::string> expected(aliveLines.begin(), aliveLines.end());
    Broadcast("echo $SSH_CLIENT >> sy-order.txt");
    EXPECT_TRUE(WaitFor([&] { return arrived() == expected; })) << ServerFile("sy-order.txt");
    EXPECT_EQ(frame->GetStatusBar()->GetStatusText(0), "Sent to 2 of 3 terminals");
    EXPECT_NE(ReadFile(workDir + "/Shellyard.txt").find("Command not sent to two: its PuTTY has exited"),
              std::string::npos)
        << ReadFile(workDir + "/Shellyard.txt");
    // Nothing meant for the ended session landed in another one.
    WaitFor([] { return false; }, 500ms);
    EXPECT_EQ(arrived(), expected);
}

// ---- Host key prompt ---------------------------------------------------------------------------

TEST_F(SessionTest, UnknownHostKeyPromptStaysOutsideAndLetsTheLoginGoOn)
{
    Start({Site("fresh", port)});
    // A PuTTY settings folder that has never seen the server.
    std::string previous = Env("PUTTYDIR");
    std::string fresh = root + "/fresh-putty";
    mkdir(fresh.c_str(), 0700);
    setenv("PUTTYDIR", fresh.c_str(), 1);
    ShellyardConnPanel* page = ConnectStored("fresh");
    setenv("PUTTYDIR", previous.c_str(), 1);
    ASSERT_NE(page, nullptr);
    long pid = page->GetTerminalProcess()->Pid();
    NativeWindow terminal = page->GetTerminalWindow();
    EXPECT_EQ(TerminalWindow::ParentOf(terminal), PageWindow(page));

    // The prompt is PuTTY's other window on screen; it was not embedded.
    NativeWindow prompt = 0;
    ASSERT_TRUE(WaitFor([&] {
        std::istringstream ids(Shell("xdotool search --onlyvisible --pid " + std::to_string(pid) + " 2>/dev/null"));
        NativeWindow id;
        while (ids >> id) {
            if (id != terminal)
                prompt = id;
        }
        return prompt != 0;
    })) << "no host key prompt";
    EXPECT_NE(TerminalWindow::ParentOf(prompt), PageWindow(page));
    EXPECT_EQ(LoginShells(), 0);

    // Accepting the key lets the login go on, and PuTTY remembers the key.
    int width = 0, height = 0;
    ASSERT_TRUE(TerminalWindow::SizeOf(prompt, width, height));
    // The "Accept" button sits at the bottom, left of the middle.
    Shell("xdotool mousemove --window " + std::to_string(prompt) + " " + std::to_string(width * 41 / 100) + " " +
          std::to_string(height - 25) + " click 1");
    EXPECT_TRUE(WaitFor([&] { return LoginShells() == 1; }, 15s));
    EXPECT_NE(ReadFile(fresh + "/sshhostkeys").find("@" + port + ":127.0.0.1"), std::string::npos);
}

// ---- Closing tabs and quitting -----------------------------------------------------------------


TEST_F(SessionTest, ClosingATabAsksFirstAndEndsItsPutty)
{
    Start({Site("one", port)});
    ShellyardConnPanel* page = ConnectStored("one");
    ASSERT_NE(page, nullptr);
    long pid = page->GetTerminalProcess()->Pid();
    const char* question = "Are you sure you want to stop loggin and close this site?";

    ModalScript::Get().ExpectMessage(question, "Shellyard", wxYES_NO, wxID_NO);
    ClickCloseOnActiveTab(Notebook());
    ModalScript::Get().Verify();
    EXPECT_EQ(Notebook()->GetPageCount(), 1u);
    EXPECT_TRUE(ProcessExists(pid));

    ModalScript::Get().ExpectMessage(question, "Shellyard", wxYES_NO, wxID_YES);
    ClickCloseOnActiveTab(Notebook());
    ModalScript::Get().Verify();
    EXPECT_EQ(Notebook()->GetPageCount(), 0u);
    // Gone and reaped (a zombie would still answer the signal check).
    EXPECT_TRUE(WaitFor([&] { return !ProcessExists(pid); }, 5s));
}

// Before a tab goes, its PuTTY's window is handed back: PuTTY, a toolkit program, then never finds
// its window destroyed under it, and its standard error (the user's terminal) stays free of X errors.
TEST_F(SessionTest, QuittingEndsEveryPutty)
{
    Start({Site("one", port), Site("two", port), Site("three", port)});
    std::string errors = root + "/putty-stderr.txt";
    std::string wrapper = root + "/putty-with-stderr";
    WriteFile(wrapper, "#!/bin/sh\nexec /usr/bin/putty \"$@\" 2>>'" + errors + "'\n");
    chmod(wrapper.c_str(), 0755);
    AppConfig::Instance().WritePuttyPath(wxString::FromUTF8(wrapper.c_str()));
    AppConfig::Instance().WritePlinkPath("/usr/bin/plink");
    std::vector<long> pids;
    NativeWindow closedWindow = 0;
    for (const char* name : {"one", "two", "three"}) {
        ShellyardConnPanel* page = ConnectStored(name);
        ASSERT_NE(page, nullptr);
        pids.push_back(page->GetTerminalProcess()->Pid());
        closedWindow = page->GetTerminalWindow();
    }
    ASSERT_TRUE(WaitFor([&] { return LoginShells() == 3; }, 15s));

    // The tab in front ("three") is closed first: its PuTTY ends at once, never showing up on screen.
    ModalScript::Get().ExpectMessage("Are you sure you want to stop loggin and close this site?", "Shellyard",
                                     wxYES_NO, wxID_YES);
    ClickCloseOnActiveTab(Notebook());
    EXPECT_FALSE(TerminalWindow::IsOnScreen(closedWindow));
    EXPECT_TRUE(WaitFor([&] { return !ProcessExists(pids[2]) && LoginShells() == 2; }, 10s));

    ModalScript::Get().ExpectMessage("Are you sure you want to close all loggin sites and quite?", "Shellyard",
                                     wxYES_NO, wxID_YES);
    FrameProbe::Command(frame, 1000);
    ASSERT_TRUE(WaitFor([&] { return !frame; }));
    EXPECT_TRUE(WaitFor([&] {
        for (long pid : pids)
            if (ProcessExists(pid))
                return false;
        return true;
    }, 5s));
    EXPECT_TRUE(WaitFor([&] { return LoginShells() == 0; }, 10s)) << "the sessions were not closed";
    std::string written = ReadFile(errors);
    for (const char* sign : {"X Window System error", "Gdk-", "destroyed", "Bad"})
        EXPECT_EQ(written.find(sign), std::string::npos) << "PuTTY's standard error:\n" << written;
}

namespace {
// True when some key of the keyboard map types the keysym.
bool OnKeyboard(KeySym sym)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    int minKeycode = 0, maxKeycode = 0, perKeycode = 0;
    XDisplayKeycodes(display, &minKeycode, &maxKeycode);
    KeySym* syms = XGetKeyboardMapping(display, KeyCode(minKeycode), maxKeycode - minKeycode + 1, &perKeycode);
    bool found = syms && std::count(syms, syms + (maxKeycode - minKeycode + 1) * perKeycode, sym) > 0;
    if (syms)
        XFree(syms);
    XCloseDisplay(display);
    return found;
}

// True while the process runs (not when it is gone or only a zombie left for its new parent).
bool Running(long pid)
{
    std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
    size_t close = stat.rfind(')');
    return close != std::string::npos && stat.compare(close, 3, ") Z") != 0;
}

class EndingSignalTest : public SessionTest, public testing::WithParamInterface<int> {};
}  // namespace

// Ended by SIGTERM, SIGINT or SIGHUP, the program ends as quitting does, at once: its sessions end
// and the keycode that its keystroke layer bound to a character the layout lacks (é) is given back.
// The program is this test binary started anew for the run, ended by the signal it sends itself.
TEST_P(EndingSignalTest, EndsTheSessionsAndGivesTheKeyboardBack)
{
    const int signal = GetParam();
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The run writes what it saw where this test reads it.
    if (Env("SHELLYARD_TEST_SHARED").empty())
        setenv("SHELLYARD_TEST_SHARED", root.c_str(), 1);
    const std::string facts = Env("SHELLYARD_TEST_SHARED") + "/facts";
    ASSERT_FALSE(OnKeyboard(XK_eacute)) << "the test needs a layout without é";

    EXPECT_EXIT(
        {
            Start({Site("one", port)});
            ShellyardConnPanel* page = ConnectStored("one");
            if (!page || !WaitFor([&] { return LoginShells() == 1; }, 15s))
                _exit(2);
            // é is typed through a spare keycode, which stays bound for a while after the send.
            Broadcast("echo é");
            WriteFile(facts, std::to_string(page->GetTerminalProcess()->Pid()) + " " +
                                 std::to_string(OnKeyboard(XK_eacute)) + " " + root);
            kill(getpid(), signal);
            WaitFor([] { return false; }, 20s);
            _exit(4);
        },
        testing::ExitedWithCode(128 + signal), "");
    unsetenv("SHELLYARD_TEST_SHARED");

    long puttyPid = 0;
    bool wasBound = false;
    std::string runRoot;
    std::istringstream(ReadFile(facts)) >> puttyPid >> wasBound >> runRoot;
    const std::string runLog = ReadFile(runRoot + "/work/Shellyard.txt");
    if (runRoot.rfind("/tmp/shellyard-test-", 0) == 0)
        Shell("rm -rf '" + runRoot + "'");  // the run ended without tidying up after itself
    ASSERT_TRUE(wasBound) << "é was typed through a spare keycode";
    EXPECT_FALSE(OnKeyboard(XK_eacute)) << "the spare keycode is still bound";
    EXPECT_TRUE(WaitFor([&] { return !Running(puttyPid); }, 3s));
    EXPECT_TRUE(WaitFor([&] { return LoginShells() == 0; }, 10s));
    EXPECT_NE(runLog.find("Ending on signal " + std::to_string(signal)), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Signals, EndingSignalTest, testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const testing::TestParamInfo<int>& info) { return std::string(sigabbrev_np(info.param)); });

// ---- A run that was killed ---------------------------------------------------------------------

namespace {
// A program of the test's own, as the user might run one beside Shellyard.
long Spawn(const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    return posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0 ? pid : 0;
}

// The test account's session shells on the server, one a line, sorted: its bash processes that a
// bash did not start (a login shell's start-up files run short-lived subshells of the same name).
std::string SessionShells(const std::string& user)
{
    return Shell("ps -u '" + user + "' -o pid=,ppid=,comm= | awk '{ c[$1] = $3; p[$1] = $2 } "
                 "END { for (i in c) if (c[i] == \"bash\" && c[p[i]] != \"bash\") print i }' | sort -n");
}
}  // namespace

// Killed with SIGKILL, Shellyard leaves its PuTTYs running as windows of their own. The next start
// on the same data folder (the dead run's claim on it does not count) asks whether to take them
// back: No leaves them as they are and forgets them; with the same sessions left once more, Yes
// brings each into a tab captioned with its site, still logged in: the very shells of the first
// run take the command typed into them. Only what this Shellyard started is offered: neither a
// PuTTY of the user's own nor a process that the record names but that is not what it started.
// The killed run is this test binary started anew, in the data folder of this test.
TEST_F(SessionTest, SessionsOfAKilledRunAreTakenBackIntoTabs)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    if (Env("SHELLYARD_TEST_SHARED").empty())
        setenv("SHELLYARD_TEST_SHARED", root.c_str(), 1);
    const std::string shared = Env("SHELLYARD_TEST_SHARED");
    const std::string facts = shared + "/facts";
    CreateDatabase({Site("one", port), Site("two", port)});  // the run uses this test's data folder
    EXPECT_EXIT(
        {
            setenv("XDG_DATA_HOME", (shared + "/data").c_str(), 1);
            int status = 0;
            if (!ClaimDataFolder(status))
                _exit(3);
            CreateFrame();
            ShellyardConnPanel* one = ConnectStored("one");
            ShellyardConnPanel* two = ConnectStored("two");
            auto twoShells = [&] {
                const std::string shells = SessionShells(user);
                return std::count(shells.begin(), shells.end(), '\n') == 2;
            };
            if (!one || !two || !WaitFor(twoShells, 15s))
                _exit(2);
            WriteFile(facts, std::to_string(one->GetTerminalProcess()->Pid()) + " " +
                                 std::to_string(two->GetTerminalProcess()->Pid()) + " " + root + "\n" +
                                 SessionShells(user));
            kill(getpid(), SIGKILL);
            _exit(4);
        },
        testing::KilledBySignal(SIGKILL), "");
    unsetenv("SHELLYARD_TEST_SHARED");
    // Whatever this test leaves, should it fail, ends with it: the claim, the programs it started,
    // and the sessions left if they were not taken back.
    std::vector<long> leftRunning;
    struct TidyUp {
        std::vector<long>& pids;
        ~TidyUp()
        {
            SingleInstance::Release();
            for (long pid : pids) {
                kill(static_cast<pid_t>(pid), SIGKILL);
                waitpid(static_cast<pid_t>(pid), nullptr, WNOHANG);
            }
        }
    } tidyUp{leftRunning};

    long pids[2] = {0, 0};
    std::string runRoot;
    std::istringstream factLines(ReadFile(facts));
    factLines >> pids[0] >> pids[1] >> runRoot;
    leftRunning = {pids[0], pids[1]};
    factLines.ignore(1);  // the line's end
    std::string shells((std::istreambuf_iterator<char>(factLines)), std::istreambuf_iterator<char>());
    if (runRoot.rfind("/tmp/shellyard-test-", 0) == 0)
        Shell("rm -rf '" + runRoot + "'");  // the run was killed: it could not tidy up after itself
    for (long pid : pids) {
        ASSERT_TRUE(Running(pid)) << "a session did not survive the kill";
        EXPECT_TRUE(WaitFor([&] { return TerminalWindow::Find(pid) != 0; }, 5s)) << "its window is not back on screen";
    }
    ASSERT_EQ(SessionShells(user), shells) << "the sessions' shells did not survive the kill";
    EXPECT_TRUE(FileExists(programDir + "/shellyard.socket")) << "the killed run left its claim";
    int status = 0;
    ASSERT_TRUE(ClaimDataFolder(status)) << "the killed run's claim keeps the next start from running";

    // A PuTTY of the user's own, and a record that also names it (with the start mark of another
    // process) and a process that got a recorded identifier but is no PuTTY.
    long own = Spawn({"/usr/bin/putty", "-telnet", "127.0.0.1", "-P", "23"});
    long sleeper = Spawn({"/bin/sleep", "60"});
    ASSERT_TRUE(own && sleeper);
    leftRunning.push_back(own);
    leftRunning.push_back(sleeper);
    ASSERT_TRUE(WaitFor([&] { return TerminalWindow::Find(own) != 0 && !ProcessIdentity::StartMark(sleeper).empty(); }));
    const std::string recordPath = programDir + "/shellyard.sessions";
    std::vector<RecordedSession> recorded = SessionRecord::Parse(ReadFile(recordPath));
    ASSERT_EQ(recorded.size(), 2u) << ReadFile(recordPath);
    RecordedSession notOurs = recorded[0];
    notOurs.pid = own;
    notOurs.startMark = "0:1";
    recorded.push_back(notOurs);
    notOurs.pid = sleeper;
    notOurs.startMark = ProcessIdentity::StartMark(sleeper);
    recorded.push_back(notOurs);
    const std::string leftOver = SessionRecord::Format(recorded);
    const std::string question = "2 PuTTY sessions from the last run are still open. Take them back into tabs?";

    WriteFile(recordPath, leftOver);
    CreateFrame();
    ModalScript::Get().ExpectMessage(question, "Shellyard", wxYES_NO, wxID_NO);
    frame->OfferToTakeBackSessions();
    ModalScript::Get().Verify();
    EXPECT_EQ(Notebook()->GetPageCount(), 0u);
    EXPECT_TRUE(SessionRecord::Parse(ReadFile(recordPath)).empty()) << "No did not forget them";
    for (long pid : pids)
        EXPECT_TRUE(Running(pid) && TerminalWindow::Find(pid) != 0) << "No did not leave them alone";
    DestroyFrame();

    WriteFile(recordPath, leftOver);
    CreateFrame();
    ModalScript::Get().ExpectMessage(question, "Shellyard", wxYES_NO, wxID_YES);
    frame->OfferToTakeBackSessions();
    ModalScript::Get().Verify();
    ASSERT_TRUE(ConnectionsDone());
    ASSERT_EQ(Notebook()->GetPageCount(), 2u);
    std::set<long> inTabs;
    for (size_t i = 0; i < 2; ++i) {
        auto* page = dynamic_cast<ShellyardConnPanel*>(Notebook()->GetPage(i));
        ASSERT_TRUE(page && page->GetTerminalProcess());
        const long pid = page->GetTerminalProcess()->Pid();
        inTabs.insert(pid);
        EXPECT_EQ(Notebook()->GetPageText(i), pid == pids[0] ? "one" : "two");
        EXPECT_EQ(TerminalWindow::ParentOf(page->GetTerminalWindow()), PageWindow(page));
        EXPECT_EQ(TerminalWindow::ProcessOf(page->GetTerminalWindow()), pid);
    }
    EXPECT_EQ(inTabs, (std::set<long>{pids[0], pids[1]}));
    EXPECT_TRUE(Running(own) && TerminalWindow::Find(own) != 0) << "the user's own PuTTY was taken";
    std::set<long> recordedNow;
    for (const RecordedSession& session : SessionRecord::Parse(ReadFile(recordPath)))
        recordedNow.insert(session.pid);
    EXPECT_EQ(recordedNow, inTabs);

    // The same two shells on the server, no new login, and each takes the command typed into it.
    EXPECT_EQ(SessionShells(user), shells);
    Broadcast("echo back > sy-$$");
    std::istringstream shellPids(shells);
    for (std::string shell; shellPids >> shell;)
        EXPECT_TRUE(WaitForServerFile("sy-" + shell, "back\n")) << "shell " << shell << " took nothing";

    // The tabs hold the sessions now: they end with the program (TearDown checks the server), and
    // leave the record with their tabs.
    for (long pid : {own, sleeper}) {
        kill(static_cast<pid_t>(pid), SIGKILL);
        waitpid(static_cast<pid_t>(pid), nullptr, 0);
    }
    leftRunning.clear();
    DestroyFrame();
    EXPECT_TRUE(SessionRecord::Parse(ReadFile(recordPath)).empty()) << ReadFile(recordPath);
}


// ---- Size and keyboard -------------------------------------------------------------------------

TEST_F(SessionTest, TerminalFollowsFullScreenAndBack)
{
    Start({Site("one", port)});
    ShellyardConnPanel* page = ConnectStored("one");
    ASSERT_NE(page, nullptr);
    NativeWindow terminal = page->GetTerminalWindow();
    ASSERT_TRUE(WaitFor([&] { return FillsTab(terminal, page); }));
    wxSize normal = page->TerminalSize();

    FrameProbe::Command(frame, FrameProbe::FullScreenId(frame));
    int width = 0, height = 0;
    EXPECT_TRUE(WaitFor([&] { return page->TerminalSize().y > normal.y && FillsTab(terminal, page); }))
        << page->TerminalSize().y << " vs " << normal.y << ", terminal "
        << (TerminalWindow::SizeOf(terminal, width, height), width) << "x" << height;
    wxSize full = page->TerminalSize();
    FrameProbe::Command(frame, FrameProbe::FullScreenId(frame));
    EXPECT_TRUE(WaitFor([&] { return page->TerminalSize().y < full.y && FillsTab(terminal, page); }))
        << page->TerminalSize().y << " vs " << normal.y << ", frame " << frame->GetSize().x << "x"
        << frame->GetSize().y << (frame->IsFullScreen() ? " full screen" : "") << ", terminal "
        << (TerminalWindow::SizeOf(terminal, width, height), width) << "x" << height;
}

namespace {
// A user's click and typing, through the X server's test extension.
void ClickAt(const wxPoint& point)
{
    Shell("xdotool mousemove --sync " + std::to_string(point.x) + " " + std::to_string(point.y) + " click 1");
}
void TypeText(const std::string& text, bool enter = true)
{
    Shell("xdotool type --delay 10 '" + text + "'");
    if (enter)
        Shell("xdotool key Return");
}
}  // namespace

TEST_F(SessionTest, KeysGoWhereTheUserClicked)
{
    Start({Site("one", port), Site("two", port)});
    ShellyardConnPanel* first = ConnectStored("one");
    ShellyardConnPanel* second = ConnectStored("two");
    ASSERT_TRUE(first && second);
    ASSERT_TRUE(WaitFor([&] { return LoginShells() == 2; }, 15s));
    std::string firstLine = "127.0.0.1 " + ClientPortOf(first->GetTerminalProcess()->Pid()) + " " + port + "\n";
    std::string secondLine = "127.0.0.1 " + ClientPortOf(second->GetTerminalProcess()->Pid()) + " " + port + "\n";

    // The newest terminal has the keys right after connecting.
    PumpEvents();
    TypeText("echo $SSH_CLIENT >> sy-typed.txt");
    EXPECT_TRUE(WaitForServerFile("sy-typed.txt", secondLine)) << ServerFile("sy-typed.txt");

    // A click into the Quick Login field takes the keys away from the terminal.
    wxRect field = HostField()->GetScreenRect();
    ClickAt(wxPoint(field.x + field.width / 2, field.y + field.height / 2));
    // The program handles the click before the user types on.
    ASSERT_TRUE(WaitFor([&] { return wxWindow::FindFocus() == HostField(); }));
    PumpEvents();
    TypeText("typed-host", false);
    EXPECT_TRUE(WaitFor([&] { return HostField()->GetValue() == "typed-host"; })) << HostField()->GetValue();

    // Back in the first tab, a click into its terminal gives it the keys.
    Notebook()->SetSelection(0);
    ASSERT_TRUE(WaitFor([&] { return TerminalWindow::IsOnScreen(first->GetTerminalWindow()); }));
    wxRect terminalArea = first->GetScreenRect();
    ClickAt(wxPoint(terminalArea.x + terminalArea.width / 2, terminalArea.y + terminalArea.height / 2));
    // A window manager answers the click by focusing the frame; the program hands the focus on to the
    // terminal under the pointer. Without one the keys reach it anyway (it lies under the pointer).
    if (!Env("SHELLYARD_TEST_WM").empty()) {
        EXPECT_TRUE(WaitFor([&] {
            return Trimmed(Shell("xdotool getwindowfocus -f")) == std::to_string(first->GetTerminalWindow());
        }, 3s)) << "focus on " << Shell("xdotool getwindowfocus -f");
    }
    PumpEvents();
    TypeText("echo $SSH_CLIENT >> sy-typed.txt");
    EXPECT_TRUE(WaitForServerFile("sy-typed.txt", secondLine + firstLine)) << ServerFile("sy-typed.txt");
    EXPECT_EQ(HostField()->GetValue(), "typed-host");
}

// Nothing listens for telnet here: PuTTY shows its terminal and at once an error box of its own,
// transient for it. Three times in a row (a tiling window manager used to leave some beside the
// frame, the frame disabled until "Failed to start" came), each terminal is embedded in its tab,
// the error box stays outside for the user to answer, and nothing is told.
TEST_F(SessionTest, QuickLoginToAClosedTelnetPortEmbedsEachTime)
{
    Start();
    HostField()->SetValue("127.0.0.1");
    // The choice may show its words translated; PuTTY still gets its own option word.
    ProtocolChoice()->SetString(0, "Sichere Shell");
    ProtocolChoice()->SetString(1, "Fernschreiber");
    ProtocolChoice()->SetSelection(1);
    for (size_t run = 1; run <= 3; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        int shown = ModalScript::Get().ShownCount();
        Click(LoginButton());
        ASSERT_TRUE(ConnectionsDone(5s));
        EXPECT_EQ(ModalScript::Get().ShownCount(), shown) << "a message was shown";
        ASSERT_EQ(Notebook()->GetPageCount(), run);
        auto* page = dynamic_cast<ShellyardConnPanel*>(Notebook()->GetPage(run - 1));
        ASSERT_NE(page, nullptr);
        const long pid = page->GetTerminalProcess()->Pid();
        EXPECT_EQ(CommandLineOf(pid), std::string("/usr/bin/putty") + '\0' + "-load" + '\0' + "Default Settings" +
                                          '\0' + "-telnet" + '\0' + "127.0.0.1" + '\0' + "-P" + '\0' + "23" + '\0');
        ASSERT_NE(page->GetTerminalWindow(), 0u);
        EXPECT_EQ(TerminalWindow::ParentOf(page->GetTerminalWindow()), PageWindow(page));
        EXPECT_TRUE(WaitFor([&] { return TerminalWindow::IsOnScreen(page->GetTerminalWindow()); }, 3s));
        EXPECT_TRUE(Running(pid));
        EXPECT_TRUE(frame->IsEnabled());
        // PuTTY's error box is a window of its own on screen, not in the tab.
        EXPECT_TRUE(WaitFor([&] {
            return !Shell("xdotool search --all --onlyvisible --pid " + std::to_string(pid) + " --name 'Fatal Error'")
                        .empty();
        }, 5s));
    }
}

// ---- Logins without a stored password ----------------------------------------------------------

// Three SSH sites with a user and no password: one through a real ssh-agent, one with a PuTTY key,
// one with an OpenSSH key that the program converts (after asking). Each logs in with its own key
// (the server's log names the key) in a terminal tab and in a monitor tab, with no -pw anywhere.
TEST_F(SessionTest, AgentAndKeySitesLogInAndAreMonitoredWithTheirOwnKeys)
{
    const std::string keys = root + "/keys";
    ASSERT_EQ(mkdir(keys.c_str(), 0700), 0);
    const std::string authorized = Env("SHELLYARD_TEST_SSH_AUTHORIZED_KEYS");
    ASSERT_FALSE(authorized.empty());
    auto fingerprint = [&](const std::string& key) {
        std::string line = Shell("ssh-keygen -lf '" + key + ".pub'");
        size_t from = line.find("SHA256:");
        return line.substr(from, line.find(' ', from) - from);
    };
    for (const char* name : {"agent", "putty", "openssh"}) {
        const std::string key = keys + "/" + name;
        Shell("ssh-keygen -q -t ed25519 -N '' -C " + std::string(name) + " -f '" + key + "'");
        Shell("cat '" + key + ".pub' >> '" + authorized + "'");
    }
    Shell("puttygen '" + keys + "/putty' -O private -o '" + keys + "/putty.ppk'");
    ASSERT_EQ(ReadFile(keys + "/putty.ppk").rfind("PuTTY-User-Key-File-", 0), 0u);

    // A real agent holding only the agent key.
    std::string agent = Shell("ssh-agent -s -a '" + root + "/agent.sock'");
    const std::string pidText = agent.substr(agent.find("SSH_AGENT_PID=") + 14);
    const long agentPid = atol(pidText.c_str());
    ASSERT_GT(agentPid, 0) << agent;
    setenv("SSH_AUTH_SOCK", (root + "/agent.sock").c_str(), 1);
    Shell("ssh-add '" + keys + "/agent' 2>&1");

    std::vector<std::string> agentSite = {"", user, "ssh", "127.0.0.1", "by agent", port, "", ""};
    std::vector<std::string> puttySite = {"", user, "ssh", "127.0.0.1", "by ppk", port, "", ""};
    std::vector<std::string> opensshSite = {"", user, "ssh", "127.0.0.1", "by openssh", port, "", ""};
    CreateDatabase({agentSite, puttySite, opensshSite});
    {
        SiteStore store;
        ASSERT_EQ(store.Open(wxString::FromUTF8(DatabasePath().c_str())), 1);
        std::unique_ptr<SiteRecord> ppk = store.FindSite("127.0.0.1", "by ppk");
        ppk->keyfile = wxString::FromUTF8((keys + "/putty.ppk").c_str());
        ASSERT_EQ(store.UpdateSite(*ppk), 1);
        std::unique_ptr<SiteRecord> openssh = store.FindSite("127.0.0.1", "by openssh");
        openssh->keyfile = wxString::FromUTF8((keys + "/openssh").c_str());
        ASSERT_EQ(store.UpdateSite(*openssh), 1);
    }
    CreateFrame();
    ASSERT_TRUE(frame);
    AppConfig::Instance().WritePuttyPath("/usr/bin/putty");
    AppConfig::Instance().WritePlinkPath("/usr/bin/plink");
    const std::string log = Env("SHELLYARD_TEST_SSH_LOG");
    auto acceptedWith = [&](const std::string& key) {
        std::string text = ReadFile(log);
        int count = 0;
        for (size_t at = text.find("Accepted publickey for " + user); at != std::string::npos;
             at = text.find("Accepted publickey for " + user, at + 1))
            count += text.substr(at, text.find('\n', at) - at).find(fingerprint(key)) != std::string::npos ? 1 : 0;
        return count;
    };
    auto stored = [&](const char* name) {
        SiteStore store;
        store.Open(wxString::FromUTF8(DatabasePath().c_str()));
        return *store.FindSite("127.0.0.1", name);
    };
    auto connect = [&](const SiteRecord& site) -> ShellyardConnPanel* {
        size_t before = Notebook()->GetPageCount();
        frame->ConnectSite(site);
        ConnectionsDone();
        return Notebook()->GetPageCount() == before + 1
                   ? dynamic_cast<ShellyardConnPanel*>(Notebook()->GetPage(before))
                   : nullptr;
    };

    // A monitor shares its connection with later ones of the same host and user: each is closed
    // before the next site is monitored, so that every one logs in by itself.
    auto closeMonitors = [&] {
        for (size_t i = Notebook()->GetPageCount(); i-- > 0;) {
            if (dynamic_cast<ShellyardMonPanel*>(Notebook()->GetPage(i)))
                Notebook()->DeletePage(i);
        }
        return WaitFor([&] { return Shell("pgrep -u '" + user + "' -x vmstat").empty(); }, 20s);
    };

    // The agent: -l alone, and the agent's key logs in; the monitor's PLink the same way.
    ShellyardConnPanel* byAgent = connect(stored("by agent"));
    ASSERT_NE(byAgent, nullptr);
    EXPECT_EQ(CommandLineOf(byAgent->GetTerminalProcess()->Pid()),
              std::string("/usr/bin/putty") + '\0' + "-load" + '\0' + "Default Settings" + '\0' + "-ssh" + '\0' +
                  "127.0.0.1" + '\0' + "-P" + '\0' + port + '\0' + "-l" + '\0' + user + '\0');
    EXPECT_TRUE(WaitFor([&] { return acceptedWith(keys + "/agent") == 1 && LoginShells() == 1; }, 20s))
        << ReadFile(log);
    frame->StartMonitor(stored("by agent"));
    EXPECT_TRUE(WaitFor([&] { return acceptedWith(keys + "/agent") >= 2; }, 20s)) << ReadFile(log);
    EXPECT_TRUE(WaitFor([&] { return !Shell("pgrep -u '" + user + "' -x vmstat").empty(); }, 20s));

    // Without the agent, the keys themselves log in.
    ASSERT_TRUE(closeMonitors());
    unsetenv("SSH_AUTH_SOCK");
    kill(agentPid, SIGTERM);
    ShellyardConnPanel* byPpk = connect(stored("by ppk"));
    ASSERT_NE(byPpk, nullptr);
    const std::string ppkLine = CommandLineOf(byPpk->GetTerminalProcess()->Pid());
    EXPECT_NE(ppkLine.find(std::string("-i") + '\0' + keys + "/putty.ppk" + '\0'), std::string::npos);
    EXPECT_TRUE(WaitFor([&] { return acceptedWith(keys + "/putty") == 1; }, 20s)) << ReadFile(log);
    frame->StartMonitor(stored("by ppk"));
    EXPECT_TRUE(WaitFor([&] { return acceptedWith(keys + "/putty") >= 2; }, 20s)) << ReadFile(log);

    EXPECT_TRUE(WaitFor([&] { return !Shell("pgrep -u '" + user + "' -x vmstat").empty(); }, 20s));
    ASSERT_TRUE(closeMonitors());

    // The OpenSSH key is converted once, after asking, into the program's private folder; the site
    // keeps the copy.
    ModalScript::Get().ExpectDialog<wxMessageDialog>("the conversion question", [&](wxMessageDialog* box) {
        EXPECT_NE(box->GetMessage().find("OpenSSH key"), wxString::npos) << box->GetMessage();
        return wxID_YES;
    });
    ShellyardConnPanel* byOpenssh = connect(stored("by openssh"));
    ModalScript::Get().Verify();
    ASSERT_NE(byOpenssh, nullptr);
    const SiteRecord converted = stored("by openssh");
    const std::string copy(converted.keyfile.utf8_str());
    EXPECT_EQ(copy.rfind(programDir + "/keys/openssh-", 0), 0u) << copy;
    struct stat status {};
    ASSERT_EQ(stat(copy.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    ASSERT_EQ(stat((programDir + "/keys").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u);
    EXPECT_EQ(ReadFile(copy).rfind("PuTTY-User-Key-File-", 0), 0u);
    EXPECT_TRUE(WaitFor([&] { return acceptedWith(keys + "/openssh") == 1; }, 20s)) << ReadFile(log);
    frame->StartMonitor(converted);
    EXPECT_TRUE(WaitFor([&] { return acceptedWith(keys + "/openssh") >= 2; }, 20s)) << ReadFile(log);
    EXPECT_TRUE(WaitFor([&] { return !Shell("pgrep -u '" + user + "' -x vmstat").empty(); }, 20s));

    // No password was ever passed.
    for (long pid : ChildProcesses())
        EXPECT_EQ(CommandLineOf(pid).find(std::string("-pw") + '\0'), std::string::npos) << CommandLineOf(pid);
}
