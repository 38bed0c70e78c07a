// Monitor tabs end to end: the real frame runs Debian's PLink against the private OpenSSH server on
// 127.0.0.1 (tests/support/with-sshd.sh), which runs the real uname, ps and vmstat of this machine;
// what the page shows is checked against what this machine says, its logins in the server's log,
// and its processes in the process table.
#include "support/FrameFixture.h"
#include "support/NotebookActions.h"
#include "support/ProcessTable.h"
#include "support/ShellCommand.h"

#include "app/AppConfig.h"
#include "monitor/DisplayProcess.h"
#include "monitor/PlinkRun.h"
#include "monitor/ShellyardMonOverviewPanel.h"
#include "monitor/ShellyardMonPanel.h"

#include <ctime>
#include <sys/stat.h>
#include <wx/aui/auibook.h>
#include <wx/button.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

using namespace std::chrono_literals;

struct MonitorProbe {
    static wxString Info(ShellyardMonPanel* p) { return p->infoText->GetValue(); }
    static wxString Total(ShellyardMonPanel* p) { return p->totalText->GetValue(); }
    static wxListCtrl* List(ShellyardMonPanel* p) { return p->processList; }
    static wxStaticBitmap* Cpu(ShellyardMonPanel* p) { return p->cpuBitmap; }
    static wxStaticBitmap* Memory(ShellyardMonPanel* p) { return p->memoryBitmap; }
    static wxTextCtrl* Interval(ShellyardMonPanel* p) { return p->intervalText; }
    static wxStaticText* IntervalLabel(ShellyardMonPanel* p) { return p->intervalLabel; }
    static wxButton* StartStop(ShellyardMonPanel* p) { return p->startButton; }
    static long LoopPid(ShellyardMonPanel* p) { return p->loopProcess ? p->loopProcess->pid : 0; }
    static long ProcessListPid(ShellyardMonPanel* p) { return p->processListRun ? p->processListRun->Pid() : 0; }
    static const ChartSeriesList& Series(ShellyardMonPanel* p) { return p->seriesList; }
    static size_t Samples(ShellyardMonPanel* p) { return p->seriesList.GetValues("MEM").size(); }
    static wxListCtrl* Rows(ShellyardMonOverviewPanel* o) { return o->hostList; }
};

namespace {
// The list's texts in one column, top to bottom.
std::vector<std::string> Column(wxListCtrl* list, int column)
{
    std::vector<std::string> texts;
    for (long i = 0; i < list->GetItemCount(); ++i)
        texts.push_back(list->GetItemText(i, column).ToStdString());
    return texts;
}

std::vector<long> Numbers(const std::vector<std::string>& texts)
{
    std::vector<long> numbers;
    for (const std::string& text : texts)
        numbers.push_back(atol(text.c_str()));
    return numbers;
}

void ClickColumn(wxListCtrl* list, int column)
{
    wxListEvent event(wxEVT_LIST_COL_CLICK, list->GetId());
    event.SetEventObject(list);
    event.m_col = column;
    list->GetEventHandler()->ProcessEvent(event);
}

void Click(wxButton* button)
{
    wxCommandEvent event(wxEVT_BUTTON, button->GetId());
    event.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(event);
}

void DoubleClickRow(wxListCtrl* list, long row)
{
    wxListEvent event(wxEVT_LIST_ITEM_ACTIVATED, list->GetId());
    event.SetEventObject(list);
    event.m_itemIndex = row;
    list->GetEventHandler()->ProcessEvent(event);
}

bool PictureFillsItsControl(wxStaticBitmap* picture)
{
    wxBitmap bitmap = picture->GetBitmap();
    return bitmap.IsOk() && bitmap.GetSize() == picture->GetClientSize() && bitmap.GetWidth() > 100;
}

// The arguments of a process just started: a moment after the start it may still be taking up
// its program, with no arguments yet.
std::string ArgumentsOf(long pid)
{
    WaitFor([pid] { return !CommandLineOf(pid).empty() || !ProcessExists(pid); }, 2s);
    return CommandLineOf(pid);
}

bool Holds(const std::string& commandLine, std::initializer_list<std::string> arguments)
{
    std::string sequence;
    for (const std::string& argument : arguments)
        sequence += argument + '\0';
    return commandLine.find(sequence) != std::string::npos;
}

std::string Clock(const char* format, time_t clock)
{
    char text[16];
    strftime(text, sizeof text, format, localtime(&clock));
    return text;
}

std::string Now(const char* format, int secondsAgo = 0)
{
    return Clock(format, time(nullptr) - secondsAgo);
}

class MonitorPageTest : public FrameFixture {
protected:
    void SetUp() override
    {
        FrameFixture::SetUp();
        port = Env("SHELLYARD_TEST_SSH_PORT");
        user = Env("SHELLYARD_TEST_SSH_USER");
        password = Env("SHELLYARD_TEST_SSH_PASSWORD");
        if (port.empty())
            GTEST_SKIP() << "needs the test SSH server: run through tests/support/with-sshd.sh";
        // The time labels must follow this computer's zone, whatever it is: one far from UTC+8.
        setenv("TZ", "UTC0", 1);
        tzset();
        ShellyardMonPanel::sortColumn = -1;
        ShellyardMonPanel::sortDirection = -1;
    }
    void TearDown() override
    {
        DestroyFrame();
        // No PLink outlives its page or the program (reaped: no zombie answers the check).
        EXPECT_TRUE(WaitFor([] { return ChildProcesses().empty(); }, 5s))
            << ChildProcesses().size() << " started processes left";
        PlinkRun::SetTimeout(20s);
        // The log holds the remote commands, never the password.
        std::string log = ReadFile(workDir + "/Shellyard.txt");
        if (!password.empty()) {
            EXPECT_EQ(log.find(password), std::string::npos);
        }
        FrameFixture::TearDown();
    }

    std::vector<std::string> Site(const std::string& name, const std::string& host, const std::string& sitePort,
                                  const std::string& sitePassword)
    {
        return {sitePassword, user, "ssh", host, name, sitePort, "", ""};
    }
    // "Monitor this site" on a stored site, as its context menu does it.
    ShellyardMonPanel* Monitor(const std::string& name, const std::string& sitePort,
                               const std::string& host = "127.0.0.1")
    {
        FrameProbe::SetCurrentSite(frame, {name, host, "ssh", "", "", wxString(sitePort)});
        size_t before = Notebook()->GetPageCount();
        FrameProbe::Command(frame, ID_SITE_MONITOR);
        if (Notebook()->GetPageCount() != before + 1)
            return nullptr;
        return dynamic_cast<ShellyardMonPanel*>(Notebook()->GetPage(before));
    }
    wxAuiNotebook* Notebook() { return FrameProbe::Notebook(frame); }
    // What the server logged for the test account: "Accepted password", "Failed password".
    int ServerLogLines(const std::string& what)
    {
        std::string log = ReadFile(Env("SHELLYARD_TEST_SSH_LOG"));
        int count = 0;
        for (size_t at = 0; (at = log.find(what + " for " + user + " ", at)) != std::string::npos; ++at)
            ++count;
        return count;
    }
    // The server's session processes of the test account, one per SSH connection.
    std::string SessionProcesses() { return Shell("pgrep -u '" + user + "' -f '^sshd: " + user + "' || true"); }
    void SetPlink(const std::string& location)
    {
        AppConfig::Instance().WritePuttyPath("/usr/bin/putty");
        AppConfig::Instance().WritePlinkPath(wxString::FromUTF8(location.c_str()));
    }

    std::string port, user, password;
};
}  // namespace

TEST_F(MonitorPageTest, APageOpensAtOnceFillsInWithoutHoldingTheUserAndLogsInOnce)
{
    // PLink, but every process list arrives a second and a half late, so that a refresh lasts
    // while the user types.
    std::string slowList = root + "/slow list plink";
    WriteFile(slowList, "#!/bin/sh\ncase \"$*\" in *'ps -e'*) sleep 1.5;; esac\nexec /usr/bin/plink \"$@\"\n");
    chmod(slowList.c_str(), 0755);
    CreateDatabase({Site("box", "127.0.0.1", port, password)});
    CreateFrame();
    SetPlink(slowList);
    const int loginsBefore = ServerLogLines("Accepted password");

    // The page is there and selected at once, with its top row, saying that it connects.
    ShellyardMonPanel* page = Monitor("box", port);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(Notebook()->GetPageText(0), "box");
    EXPECT_TRUE(Notebook()->GetPageBitmap(0).IsOk());
    EXPECT_EQ(Notebook()->GetSelection(), 0);
    EXPECT_TRUE(frame->IsEnabled());
    EXPECT_EQ(MonitorProbe::Info(page), "System  Type: \nConnecting to 127.0.0.1...");
    EXPECT_TRUE(MonitorProbe::IntervalLabel(page)->IsShown());
    EXPECT_EQ(MonitorProbe::IntervalLabel(page)->GetLabel(), "Interval(S):");
    EXPECT_EQ(MonitorProbe::Interval(page)->GetValue(), "5");
    EXPECT_TRUE(MonitorProbe::StartStop(page)->IsShown());
    EXPECT_EQ(MonitorProbe::StartStop(page)->GetLabel(), "Stop");
    const long loop = MonitorProbe::LoopPid(page);
    ASSERT_TRUE(ProcessExists(loop));
    EXPECT_TRUE(Holds(ArgumentsOf(loop), {"-batch", "-share", "vmstat 5"})) << ArgumentsOf(loop);

    // The system information is this machine's, as the server's shell printed it.
    std::string details = Shell("cat /proc/cpuinfo|egrep name|cut -f2 -d:;cat /proc/meminfo|grep MemTotal");
    std::string expected = "System  Type: Linux";
    for (size_t start = 0, end; (end = details.find('\n', start)) != std::string::npos; start = end + 1)
        expected += "\n" + details.substr(start, end - start);
    ASSERT_TRUE(WaitFor([&] { return MonitorProbe::Info(page) == expected; }, 20s)) << MonitorProbe::Info(page);

    // The process list is ps on this machine, largest size first: this test process is in it.
    wxListCtrl* list = MonitorProbe::List(page);
    ASSERT_TRUE(WaitFor([&] { return list->GetItemCount() > 0; }, 20s));
    EXPECT_EQ(MonitorProbe::Total(page), wxString::Format("%d", list->GetItemCount()));
    std::vector<std::string> pids = Column(list, 0);
    std::vector<long> sizes = Numbers(Column(list, 2));
    EXPECT_TRUE(std::is_sorted(sizes.rbegin(), sizes.rend()));
    auto self = std::find(pids.begin(), pids.end(), std::to_string(getpid()));
    ASSERT_NE(self, pids.end());
    std::string comm = ReadFile("/proc/self/comm");
    EXPECT_EQ(list->GetItemText(self - pids.begin(), 1).ToStdString() + "\n", comm);
    EXPECT_EQ(list->GetItemText(self - pids.begin(), 4), "root");

    // Sorting. A click outside any column before any sort only flips the direction (to +1); then
    // the first click on a column shows the largest number first, the second the smallest; another
    // column keeps the direction (text descending now); a click outside any column changes nothing.
    ClickColumn(list, -1);
    EXPECT_EQ(ShellyardMonPanel::sortDirection, 1);
    EXPECT_EQ(Column(list, 0), pids);
    ClickColumn(list, 0);
    std::vector<long> descending = Numbers(Column(list, 0));
    EXPECT_TRUE(std::is_sorted(descending.rbegin(), descending.rend()));
    ClickColumn(list, 0);
    std::vector<long> ascending = Numbers(Column(list, 0));
    EXPECT_TRUE(std::is_sorted(ascending.begin(), ascending.end()));
    ClickColumn(list, 1);
    std::vector<std::string> commands = Column(list, 1);
    EXPECT_TRUE(std::is_sorted(commands.rbegin(), commands.rend()));
    ClickColumn(list, -1);
    EXPECT_EQ(ShellyardMonPanel::sortDirection, -1);
    EXPECT_EQ(Column(list, 1), commands);
    EXPECT_EQ(list->GetItemCount(), static_cast<int>(pids.size()));

    // vmstat prints its first line at once and one every five seconds: each becomes a point of both
    // charts, labelled with this computer's time.
    ASSERT_TRUE(WaitFor([&] { return MonitorProbe::Samples(page) >= 2; }, 20s));
    EXPECT_TRUE(PictureFillsItsControl(MonitorProbe::Cpu(page)));
    EXPECT_TRUE(PictureFillsItsControl(MonitorProbe::Memory(page)));
    wxString label = MonitorProbe::Series(page).GetValues("CHART_X_TIME").Last();
    EXPECT_TRUE(label == Now("%H:%M") || label == Now("%H:%M", 60)) << label;

    // The process list is run again 15.5 seconds after the loop started. While that run lasts, keys
    // typed into the Multi Command Sender arrive at once and in order.
    ASSERT_TRUE(WaitFor([&] { return MonitorProbe::ProcessListPid(page) != 0; }, 20s));
    const long refresh = MonitorProbe::ProcessListPid(page);
    EXPECT_TRUE(Holds(ArgumentsOf(refresh), {"-batch", "-share"})) << ArgumentsOf(refresh);
    wxTextCtrl* command = FrameProbe::MCSCommand(frame);
    frame->Raise();
    command->SetFocus();
    command->Clear();
    PumpEvents();
    const std::string typed = "uptime -p; echo 42";
    wxUIActionSimulator keyboard;
    keyboard.Text(typed.c_str());
    EXPECT_TRUE(WaitFor([&] { return command->GetValue() == typed; }, 1s)) << command->GetValue();
    EXPECT_EQ(MonitorProbe::ProcessListPid(page), refresh) << "the refresh ended before the keys arrived";
    EXPECT_TRUE(frame->IsEnabled());
    auto psPid = [&] {
        std::vector<std::string> shown = Column(list, 1);
        auto ps = std::find(shown.begin(), shown.end(), "ps");
        return ps == shown.end() ? std::string() : list->GetItemText(ps - shown.begin(), 0).ToStdString();
    };
    std::string firstPs = psPid();
    EXPECT_TRUE(WaitFor([&] { return psPid() != firstPs && !psPid().empty(); }, 10s));

    // uname, the details and two process lists, and one login for all of them.
    EXPECT_EQ(ServerLogLines("Accepted password") - loginsBefore, 1);

    // A second page of the same site uses the first one's connection: no login of its own. Its
    // password (blanks, shell characters, a letter outside ASCII) went through a pipe: it is in no
    // argument list on the machine.
    ShellyardMonPanel* second = Monitor("box", port);
    ASSERT_NE(second, nullptr);
    ASSERT_TRUE(WaitFor([&] { return MonitorProbe::Info(second) == expected; }, 20s)) << MonitorProbe::Info(second);
    ASSERT_TRUE(WaitFor([&] { return MonitorProbe::Samples(second) >= 1; }, 20s));
    long secondLoop = MonitorProbe::LoopPid(second);
    EXPECT_NE(secondLoop, loop);
    EXPECT_TRUE(Holds(ArgumentsOf(secondLoop), {"-P", port}));
    EXPECT_TRUE(Holds(ArgumentsOf(secondLoop), {"-pwfile", "/dev/fd/3"}));
    EXPECT_TRUE(ProcessesWhoseArgumentsHold(password).empty());
    EXPECT_EQ(ServerLogLines("Accepted password") - loginsBefore, 1);
    frame->SendToAllSessions("echo nothing");
    EXPECT_EQ(Notebook()->GetPageCount(), 2u);

    // Closing a tab asks first and ends its PLinks; the other page goes on.
    Notebook()->SetSelection(1);
    ModalScript::Get().ExpectMessage("Are you sure you want to stop loggin and close this site?", "Shellyard",
                                     wxYES_NO, wxID_YES);
    ClickCloseOnActiveTab(Notebook());
    ModalScript::Get().Verify();
    EXPECT_EQ(Notebook()->GetPageCount(), 1u);
    EXPECT_FALSE(ProcessExists(secondLoop));
    EXPECT_TRUE(ProcessExists(loop));
    size_t samples = MonitorProbe::Samples(page);
    EXPECT_TRUE(WaitFor([&] { return MonitorProbe::Samples(page) > samples; }, 10s));
    // Quitting with a page open ends its PLinks too (checked in TearDown: nothing left).
}

TEST_F(MonitorPageTest, StopAndStartTakeTheIntervalAndALostConnectionComesBackByItself)
{
    CreateDatabase({Site("box", "127.0.0.1", port, password)});
    CreateFrame();
    ShellyardMonPanel* page = Monitor("box", port);
    ASSERT_NE(page, nullptr);
    // The system details too (their own run may end after the first sample): what the page shows when
    // stopped is compared with what it shows later.
    ASSERT_TRUE(WaitFor([&] {
        return MonitorProbe::Samples(page) >= 1 && MonitorProbe::Total(page) != "" &&
               MonitorProbe::Info(page).Contains("\n");
    }, 20s));

    // Stop asks first; No goes on, Yes ends every PLink of the page and keeps what it shows.
    wxButton* button = MonitorProbe::StartStop(page);
    const long loop = MonitorProbe::LoopPid(page);
    ModalScript::Get().ExpectMessage("Are you sure to stop this site monitoring?", "Shellyard", wxYES_NO, wxID_NO);
    Click(button);
    ModalScript::Get().Verify();
    EXPECT_TRUE(ProcessExists(loop));
    ModalScript::Get().ExpectMessage("Are you sure to stop this site monitoring?", "Shellyard", wxYES_NO, wxID_YES);
    Click(button);
    ModalScript::Get().Verify();
    EXPECT_TRUE(ChildProcesses().empty());
    EXPECT_EQ(button->GetLabel(), "Start");
    const size_t samples = MonitorProbe::Samples(page);
    const wxString info = MonitorProbe::Info(page);
    EXPECT_TRUE(info.StartsWith("System  Type: Linux\n")) << info;
    EXPECT_TRUE(PictureFillsItsControl(MonitorProbe::Cpu(page)));

    // An interval outside 1 to 60 seconds is refused with a message; nothing starts.
    for (const char* wrong : {"0", "61", "x", ""}) {
        SCOPED_TRACE(wrong);
        MonitorProbe::Interval(page)->SetValue(wrong);
        ModalScript::Get().ExpectMessage("The interval must be a whole number of seconds from 1 to 60.", "Shellyard",
                                         wxOK | wxICON_ERROR, wxID_OK);
        Click(button);
        ModalScript::Get().Verify();
        EXPECT_TRUE(ChildProcesses().empty());
        EXPECT_EQ(button->GetLabel(), "Start");
    }

    // Start with one second: vmstat 1, a sample every second, after the ones kept.
    MonitorProbe::Interval(page)->SetValue("1");
    Click(button);
    EXPECT_EQ(button->GetLabel(), "Stop");
    const long again = MonitorProbe::LoopPid(page);
    EXPECT_TRUE(Holds(ArgumentsOf(again), {"-share", "vmstat 1"})) << ArgumentsOf(again);
    ASSERT_TRUE(WaitFor([&] { return MonitorProbe::Samples(page) >= samples + 4; }, 15s));
    EXPECT_EQ(MonitorProbe::Info(page), info);

    // The server's end of the connection is killed: three seconds without a sample bring the note,
    // the loop is started again after five, and the data comes back without anyone doing anything.
    std::string sessions = SessionProcesses();
    ASSERT_EQ(std::count(sessions.begin(), sessions.end(), '\n'), 1) << sessions;
    const time_t killed = time(nullptr);
    Shell("kill -KILL " + sessions);
    const std::string note = "No data from the host since ";
    ASSERT_TRUE(WaitFor([&] { return MonitorProbe::Info(page).Contains(note); }, 10s)) << MonitorProbe::Info(page);
    // Since the last sample, a second or two before the kill.
    wxString since = MonitorProbe::Info(page).Mid(MonitorProbe::Info(page).Find(note) + note.size(), 8);
    EXPECT_TRUE(since == Clock("%H:%M:%S", killed) || since == Clock("%H:%M:%S", killed - 1) ||
                since == Clock("%H:%M:%S", killed - 2))
        << since;
    const size_t before = MonitorProbe::Samples(page);
    ASSERT_TRUE(WaitFor([&] { return MonitorProbe::Samples(page) > before + 1; }, 20s));
    EXPECT_EQ(MonitorProbe::Info(page), info);
    EXPECT_NE(MonitorProbe::LoopPid(page), again);
    std::string log = ReadFile(workDir + "/Shellyard.txt");
    EXPECT_NE(log.find("Monitoring of 127.0.0.1: no data from the host since "), std::string::npos);
    EXPECT_NE(log.find("Monitoring of 127.0.0.1: the loop command starts again in 5 s"), std::string::npos);
    EXPECT_NE(log.find("Monitoring of 127.0.0.1: data again after "), std::string::npos);
}

TEST_F(MonitorPageTest, RefusalsAreShownAndNotRetriedAndTheOverviewListsEveryPage)
{
    std::string closedPort = Shell("python3 -c 'import socket; s=socket.socket(); s.bind((\"127.0.0.1\", 0)); "
                                   "print(s.getsockname()[1])'");
    closedPort = closedPort.substr(0, closedPort.find('\n'));
    std::string hanging = root + "/hanging plink";
    WriteFile(hanging, "#!/bin/sh\nsleep 60\n");
    chmod(hanging.c_str(), 0755);
    const std::string missing = root + "/nowhere/plink";
    // The host key PuTTY knows is the one of 127.0.0.1: "localhost" is a host it has never seen.
    CreateDatabase({Site("wrong password", "127.0.0.1", port, "not the password"),
                    Site("unknown key", "localhost", port, password), Site("closed port", "127.0.0.1", closedPort, password),
                    Site("no plink", "127.0.0.1", port, password), Site("hanging", "127.0.0.1", port, password),
                    Site("box", "127.0.0.1", port, password)});
    CreateFrame();
    PlinkRun::SetTimeout(1500ms);
    const int failedBefore = ServerLogLines("Failed password");

    // Every page opens at once; none waits for another.
    struct Case {
        std::string site, host, port, plink, info;
        ShellyardMonPanel* page = nullptr;
    } cases[] = {
        {"wrong password", "127.0.0.1", port, "/usr/bin/plink",
         "System  Type: \nMonitoring stopped: FATAL ERROR: Configured password was not accepted"},
        {"unknown key", "localhost", port, "/usr/bin/plink",
         "System  Type: \nMonitoring stopped: FATAL ERROR: Cannot confirm a host key in batch mode"},
        {"closed port", "127.0.0.1", closedPort, "/usr/bin/plink", "System  Type: \nFATAL ERROR: Connection refused"},
        {"no plink", "127.0.0.1", port, missing,
         "System  Type: \nMonitoring stopped: Cannot start PLink (" + missing + "): No such file or directory"},
        {"hanging", "127.0.0.1", port, hanging, "System  Type: \nPLink did not finish within 2 seconds and was ended."},
    };
    const auto opened = std::chrono::steady_clock::now();
    for (Case& c : cases) {
        SetPlink(c.plink);
        c.page = Monitor(c.site, c.port, c.host);
        ASSERT_NE(c.page, nullptr) << c.site;
    }
    EXPECT_LT(std::chrono::steady_clock::now() - opened, 4s);  // the hanging one's version question takes 3
    for (Case& c : cases) {
        SCOPED_TRACE(c.site);
        EXPECT_TRUE(WaitFor([&] { return MonitorProbe::Info(c.page) == wxString::FromUTF8(c.info.c_str()); }, 15s))
            << MonitorProbe::Info(c.page);
        EXPECT_EQ(MonitorProbe::List(c.page)->GetItemCount(), 0);
    }
    // A refused page offers Start; its PLink is gone.
    for (Case* c : {&cases[0], &cases[1], &cases[3]}) {
        EXPECT_EQ(MonitorProbe::StartStop(c->page)->GetLabel(), "Start") << c->site;
        EXPECT_EQ(MonitorProbe::LoopPid(c->page), 0) << c->site;
    }
    SetPlink("/usr/bin/plink");
    ShellyardMonPanel* box = Monitor("box", port);
    ASSERT_NE(box, nullptr);

    // The overview: a row per page in the notebook's order with its state; the live one with its
    // last sample. A second View > Monitor Overview selects the same tab.
    FrameProbe::Command(frame, FrameProbe::MonitorOverviewId(frame));
    ASSERT_EQ(Notebook()->GetPageCount(), 7u);
    auto* overview = dynamic_cast<ShellyardMonOverviewPanel*>(Notebook()->GetPage(6));
    ASSERT_NE(overview, nullptr);
    EXPECT_EQ(Notebook()->GetPageText(6), "Monitor Overview");
    EXPECT_EQ(Notebook()->GetSelection(), 6);
    wxListCtrl* rows = MonitorProbe::Rows(overview);
    EXPECT_EQ(Column(rows, 0), (std::vector<std::string>{"wrong password", "unknown key", "closed port", "no plink",
                                                         "hanging", "box"}));
    EXPECT_EQ(Column(rows, 1), (std::vector<std::string>{"127.0.0.1", "localhost", "127.0.0.1", "127.0.0.1",
                                                         "127.0.0.1", "127.0.0.1"}));
    EXPECT_TRUE(WaitFor([&] { return Column(rows, 2)[5] == "live"; }, 20s)) << Column(rows, 2)[5];
    std::vector<std::string> states = Column(rows, 2);
    EXPECT_EQ(states[0], "failed: FATAL ERROR: Configured password was not accepted");
    EXPECT_EQ(states[1], "failed: FATAL ERROR: Cannot confirm a host key in batch mode");
    EXPECT_EQ(states[2], "connecting");
    EXPECT_EQ(states[3].rfind("failed: Cannot start PLink (", 0), 0u) << states[3];
    EXPECT_EQ(states[4], "connecting");
    EXPECT_EQ(rows->GetItemText(5, 3), MonitorProbe::Series(box).GetValues("ALLCPU").Last() + "%");
    EXPECT_EQ(rows->GetItemText(5, 4), MonitorProbe::Series(box).GetValues("MEM").Last() + " MB");
    EXPECT_EQ(rows->GetItemText(0, 3), "");
    FrameProbe::Command(frame, FrameProbe::MonitorOverviewId(frame));
    EXPECT_EQ(Notebook()->GetPageCount(), 7u);

    // The overview follows every sample.
    wxString sampled = rows->GetItemText(5, 6);
    EXPECT_TRUE(WaitFor([&] { return rows->GetItemText(5, 6) != sampled; }, 15s));
    wxString last = rows->GetItemText(5, 6);
    EXPECT_TRUE(last == Now("%H:%M:%S") || last == Now("%H:%M:%S", 1)) << last;

    // Meanwhile the closed port was tried again after five seconds, and after three intervals
    // without data it says so; the refusals were not tried again.
    EXPECT_TRUE(WaitFor([&] { return Column(rows, 2)[2].rfind("no data since ", 0) == 0; }, 20s))
        << Column(rows, 2)[2];
    EXPECT_NE(ReadFile(workDir + "/Shellyard.txt").find("Monitoring of 127.0.0.1: the loop command starts again in 10 s"),
              std::string::npos);
    EXPECT_EQ(ServerLogLines("Failed password") - failedBefore, 1);
    for (Case* c : {&cases[0], &cases[1], &cases[3]})
        EXPECT_EQ(MonitorProbe::LoopPid(c->page), 0) << c->site;

    // Double-clicking a row selects its page; closing the overview asks nothing; a closed page
    // leaves it.
    DoubleClickRow(rows, 5);
    EXPECT_EQ(Notebook()->GetSelection(), 5);
    Notebook()->DeletePage(0);
    EXPECT_TRUE(WaitFor([&] { return rows->GetItemCount() == 5; }, 2s));
    EXPECT_EQ(Column(rows, 0).front(), "unknown key");
    Notebook()->SetSelection(5);
    ClickCloseOnActiveTab(Notebook());
    EXPECT_EQ(Notebook()->GetPageCount(), 5u);

    // Nothing of the hanging program's, the sleep it started included, is left once its page goes.
    for (size_t i = Notebook()->GetPageCount(); i-- > 0;)
        Notebook()->DeletePage(i);
    EXPECT_TRUE(WaitFor([] { return ChildProcesses().empty(); }, 5s));
    EXPECT_EQ(Shell("pgrep -f 'slee[p] 60' || true"), "");
    std::string log = ReadFile(workDir + "/Shellyard.txt");
    EXPECT_NE(log.find("Execution of Loop Command failed."), std::string::npos);
    EXPECT_NE(log.find("Execution of 'uname' failed."), std::string::npos);
}
