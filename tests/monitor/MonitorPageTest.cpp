// Monitor tabs end to end: the real frame runs Debian's PLink against the private OpenSSH server on
// 127.0.0.1 (tests/support/with-sshd.sh), which runs the real uname, ps and vmstat of this machine;
// what the page shows is checked against what this machine says, and its processes in the process
// table.
#include "support/FrameFixture.h"
#include "support/NotebookActions.h"
#include "support/ProcessTable.h"
#include "support/ShellCommand.h"

#include "app/AppConfig.h"
#include "monitor/DisplayProcess.h"
#include "monitor/PlinkRun.h"
#include "monitor/ShellyardMonPanel.h"

#include <ctime>
#include <map>
#include <sys/stat.h>
#include <wx/aui/auibook.h>
#include <wx/statbmp.h>
#include <wx/textctrl.h>

using namespace std::chrono_literals;

struct MonitorProbe {
    static wxString Info(ShellyardMonPanel* p) { return p->infoText->GetValue(); }
    static wxString Total(ShellyardMonPanel* p) { return p->totalText->GetValue(); }
    static wxListCtrl* List(ShellyardMonPanel* p) { return p->processList; }
    static wxStaticBitmap* Cpu(ShellyardMonPanel* p) { return p->cpuBitmap; }
    static wxStaticBitmap* Memory(ShellyardMonPanel* p) { return p->memoryBitmap; }
    static long LoopPid(ShellyardMonPanel* p) { return p->loopProcess ? p->loopProcess->pid : 0; }
    static const ChartSeriesList& Series(ShellyardMonPanel* p) { return p->seriesList; }
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

bool PictureFillsItsControl(wxStaticBitmap* picture)
{
    wxBitmap bitmap = picture->GetBitmap();
    return bitmap.IsOk() && bitmap.GetSize() == picture->GetClientSize() && bitmap.GetWidth() > 100;
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

    std::vector<std::string> Site(const std::string& name, const std::string& sitePort,
                                  const std::string& sitePassword)
    {
        return {sitePassword, user, "ssh", "127.0.0.1", name, sitePort, "", ""};
    }
    // "Monitor this site" on a stored site, as its context menu does it.
    ShellyardMonPanel* Monitor(const std::string& name, const std::string& sitePort)
    {
        FrameProbe::SetCurrentSite(frame, {name, "127.0.0.1", "ssh", "", "", wxString(sitePort)});
        size_t before = Notebook()->GetPageCount();
        FrameProbe::Command(frame, ID_SITE_MONITOR);
        if (Notebook()->GetPageCount() != before + 1)
            return nullptr;
        return dynamic_cast<ShellyardMonPanel*>(Notebook()->GetPage(before));
    }
    wxAuiNotebook* Notebook() { return FrameProbe::Notebook(frame); }

    std::string port, user, password;
};
}  // namespace

TEST_F(MonitorPageTest, MonitorThisSiteShowsTheHostItsProcessesAndLiveCharts)
{
    CreateDatabase({Site("box", port, password)});
    CreateFrame();
    ShellyardMonPanel* page = Monitor("box", port);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(Notebook()->GetPageText(0), "box");
    EXPECT_TRUE(Notebook()->GetPageBitmap(0).IsOk());
    EXPECT_EQ(Notebook()->GetSelection(), 0);
    EXPECT_TRUE(frame->IsEnabled());

    // The system information is this machine's, as the server's shell printed it.
    std::string details = Shell("cat /proc/cpuinfo|egrep name|cut -f2 -d:;cat /proc/meminfo|grep MemTotal");
    std::string expected = "System  Type: Linux";
    for (size_t start = 0, end; (end = details.find('\n', start)) != std::string::npos; start = end + 1)
        expected += "\n" + details.substr(start, end - start);
    EXPECT_EQ(MonitorProbe::Info(page), expected);

    // The process list is ps on this machine, largest size first: this test process is in it.
    wxListCtrl* list = MonitorProbe::List(page);
    ASSERT_GT(list->GetItemCount(), 0);
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
    ASSERT_TRUE(WaitFor([&] { return MonitorProbe::Series(page).GetValues("MEM").size() >= 2; }, 20s));
    EXPECT_TRUE(PictureFillsItsControl(MonitorProbe::Cpu(page)));
    EXPECT_TRUE(PictureFillsItsControl(MonitorProbe::Memory(page)));
    char now[8];
    time_t clock = time(nullptr);
    strftime(now, sizeof now, "%H:%M", localtime(&clock));
    wxString label = MonitorProbe::Series(page).GetValues("CHART_X_TIME").Last();
    clock -= 60;
    char before[8];
    strftime(before, sizeof before, "%H:%M", localtime(&clock));
    EXPECT_TRUE(label == now || label == before) << label;

    // The process list is run again 15.5 seconds after the loop started: ps's own row is new.
    auto psPid = [&] {
        std::vector<std::string> shown = Column(MonitorProbe::List(page), 1);
        auto ps = std::find(shown.begin(), shown.end(), "ps");
        return ps == shown.end() ? std::string() : MonitorProbe::List(page)->GetItemText(ps - shown.begin(), 0).ToStdString();
    };
    std::string firstPs = psPid();
    EXPECT_FALSE(firstPs.empty());
    EXPECT_TRUE(WaitFor([&] { return psPid() != firstPs && !psPid().empty(); }, 20s));

    // A second page of the same site has a PLink of its own; the sender passes both pages over.
    long firstLoop = MonitorProbe::LoopPid(page);
    ShellyardMonPanel* second = Monitor("box", port);
    ASSERT_NE(second, nullptr);
    long secondLoop = MonitorProbe::LoopPid(second);
    EXPECT_NE(firstLoop, secondLoop);
    EXPECT_TRUE(ProcessExists(firstLoop));
    EXPECT_TRUE(ProcessExists(secondLoop));
    EXPECT_NE(CommandLineOf(secondLoop).find(std::string("-P") + '\0' + port + '\0'), std::string::npos);
    // The password (blanks, shell characters, a letter outside ASCII) went through a pipe: it is in
    // no argument list on the machine.
    EXPECT_NE(CommandLineOf(secondLoop).find(std::string("-pwfile") + '\0' + "/dev/fd/3" + '\0'), std::string::npos);
    EXPECT_TRUE(ProcessesWhoseArgumentsHold(password).empty());
    frame->SendToAllSessions("echo nothing");
    EXPECT_EQ(Notebook()->GetPageCount(), 2u);

    // Closing a tab asks first and ends its PLink (reaped: no zombie answers the check).
    Notebook()->SetSelection(1);
    ModalScript::Get().ExpectMessage("Are you sure you want to stop loggin and close this site?", "Shellyard",
                                     wxYES_NO, wxID_YES);
    ClickCloseOnActiveTab(Notebook());
    ModalScript::Get().Verify();
    EXPECT_EQ(Notebook()->GetPageCount(), 1u);
    EXPECT_FALSE(ProcessExists(secondLoop));
    EXPECT_TRUE(ProcessExists(firstLoop));
    // Quitting with a page open ends its PLink too (checked in TearDown: nothing left).
}

TEST_F(MonitorPageTest, FailuresShowTheirReasonOnThePageAndLeaveNothingRunning)
{
    std::string emptyKeyCache = root + "/no-host-keys";
    mkdir(emptyKeyCache.c_str(), 0700);
    std::string closedPort = Shell("python3 -c 'import socket; s=socket.socket(); s.bind((\"127.0.0.1\", 0)); "
                                   "print(s.getsockname()[1])'");
    closedPort = closedPort.substr(0, closedPort.find('\n'));
    std::string hanging = root + "/hanging plink";
    WriteFile(hanging, "#!/bin/sh\nsleep 60\n");
    chmod(hanging.c_str(), 0755);

    CreateDatabase({Site("wrong password", port, "not the password"), Site("unknown key", port, password),
                    Site("closed port", closedPort, password), Site("no plink", port, password),
                    Site("hanging", port, password)});
    CreateFrame();
    const std::string puttyDir = Env("PUTTYDIR");
    struct Case {
        std::string site, port, plink, reason;
    } cases[] = {
        {"wrong password", port, "", "FATAL ERROR: Configured password was not accepted"},
        {"unknown key", port, "", "FATAL ERROR: Cannot confirm a host key in batch mode"},
        {"closed port", closedPort, "", "FATAL ERROR: Connection refused"},
        {"no plink", port, root + "/nowhere/plink", "Cannot start PLink (" + root + "/nowhere/plink)"},
        {"hanging", port, hanging, "PLink did not finish within 2 seconds and was ended."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.site);
        if (!c.plink.empty()) {
            AppConfig::Instance().WritePuttyPath("/usr/bin/putty");
            AppConfig::Instance().WritePlinkPath(wxString::FromUTF8(c.plink.c_str()));
        }
        if (c.site == "unknown key")
            setenv("PUTTYDIR", emptyKeyCache.c_str(), 1);
        PlinkRun::SetTimeout(c.site == "hanging" ? 1500ms : 20s);

        ShellyardMonPanel* page = Monitor(c.site, c.port);
        setenv("PUTTYDIR", puttyDir.c_str(), 1);
        ASSERT_NE(page, nullptr);
        EXPECT_TRUE(frame->IsEnabled());
        wxString info = MonitorProbe::Info(page);
        EXPECT_TRUE(info.StartsWith("System  Type: \n" + wxString::FromUTF8(c.reason.c_str()))) << info;
        EXPECT_EQ(MonitorProbe::List(page)->GetItemCount(), 0);

        // The loop command fails the same way and says so, once; a missing PLink has no loop.
        if (c.site != "no plink" && c.site != "hanging") {
            EXPECT_TRUE(WaitFor([&] { return MonitorProbe::Info(page).Contains("Monitoring stopped: "); }, 10s))
                << MonitorProbe::Info(page);
        }
        Notebook()->DeletePage(Notebook()->GetPageIndex(page));
        EXPECT_TRUE(WaitFor([] { return ChildProcesses().empty(); }, 5s));
        // Nothing of the hanging program's, the sleep it started included, is left.
        EXPECT_EQ(Shell("pgrep -f 'slee[p] 60' || true"), "");
        AppConfig::Instance().WritePlinkPath("/usr/bin/plink");
    }
    EXPECT_NE(ReadFile(workDir + "/Shellyard.txt").find("Execution of Loop Command failed."), std::string::npos);
    EXPECT_NE(ReadFile(workDir + "/Shellyard.txt").find("Execution of 'uname' failed."), std::string::npos);
}
