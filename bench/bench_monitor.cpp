// Monitor tabs through the real main window and the real PLink, against the test server seen
// through a delaying relay (bench_delay_relay: 50 ms each way, a 100 ms round trip, as a host in
// another region):
//   1. a new page's first system text (median of 5 pages opened one after another; target: under
//      1.5 s), beside what one PLink login with uname takes through the same relay;
//   2. five pages, each on a relay port of its own (so each has a connection of its own), for
//      BENCH_SECONDS (600): during the first minute the longest gap between two ticks of a 5 ms
//      timer while the pages sample and refresh (the longest the user's input could wait; target:
//      under 30 ms), then Shellyard's own CPU time (target: under 2 % of one core), and over the
//      whole time the connections each page made, that is its logins (target: 1);
//   3. resident memory after 1,000 vmstat samples fed to each page, against after 100 (no higher,
//      within 2 MiB).
// BENCH_PAGES and BENCH_SECONDS change the number of pages (5) and the seconds of step 2 (600).
// Run it next to the test SSH server on a private X server:
//   tests/support/with-sshd.sh tests/support/with-xvfb.sh build/bench/bench_monitor
#include "BenchSupport.h"
#include "support/FrameProbe.h"
#include "support/ShellCommand.h"

#include "app/ShellyardApp.h"
#include "monitor/PlinkRun.h"
#include "monitor/ShellyardMonPanel.h"
#include "session/ChildProcess.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>
#include <vector>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/weakref.h>

struct MonitorProbe {
    static wxString Info(ShellyardMonPanel* page) { return page->infoText->GetValue(); }
    static bool Refreshing(ShellyardMonPanel* page) { return page->processListRun != nullptr; }
    static size_t Samples(ShellyardMonPanel* page) { return page->seriesList.GetValues("MEM").size(); }
    static int Rows(ShellyardMonPanel* page) { return page->processList->GetItemCount(); }
    static void Feed(ShellyardMonPanel* page, const wxString& line) { page->ParseVmstatLine(line); }
};

namespace {
double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// CPU time of the calling thread: what the GUI thread itself worked, whatever else the machine ran.
double ThreadCpuMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

double ResidentMiB()
{
    long pages = 0, resident = 0;
    if (FILE* statm = fopen("/proc/self/statm", "r")) {
        if (fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        fclose(statm);
    }
    return resident * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// Runs the real event loop for a while, or until done() holds (looked at every millisecond).
void RunEventLoop(std::chrono::milliseconds duration, const std::function<bool()>& done = nullptr)
{
    wxGUIEventLoop loop;
    wxTimer stop, look;
    stop.Bind(wxEVT_TIMER, [&](wxTimerEvent&) { loop.Exit(); });
    stop.StartOnce(static_cast<int>(duration.count()));
    if (done) {
        look.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
            if (done())
                loop.Exit();
        });
        look.Start(1);
    }
    loop.Run();
}

// The relay's output: its ports first, then one line per connection it accepted.
class Relay {
public:
    bool Start(const std::string& program, const std::string& target, int listeners)
    {
        std::string error;
        process = ChildProcess::Start({program, target, "50", std::to_string(listeners)}, &error);
        if (!process)
            return false;
        const auto deadline = Clock::now() + std::chrono::seconds(5);
        while (ports.empty() && Clock::now() < deadline) {
            process->WaitForOutput(std::chrono::milliseconds(50));
            Read();
        }
        return !ports.empty();
    }
    void Read()
    {
        process->Read(ChildProcess::Stream::Output, pending);
        size_t end;
        while ((end = pending.find('\n')) != std::string::npos) {
            std::istringstream line(pending.substr(0, end));
            pending.erase(0, end + 1);
            std::string word;
            if (ports.empty()) {
                while (line >> word)
                    ports.push_back(word);
            } else if (line >> word && word == "connection" && line >> word) {
                ++connections[word];
            }
        }
    }
    std::vector<std::string> ports;
    std::map<std::string, int> connections;

private:
    std::unique_ptr<ChildProcess> process;
    std::string pending;
};

// PuTTY's host-key cache learns the server's key under each relay port, as a user who accepted it.
void AcceptKeyOnPorts(const std::string& port, const std::vector<std::string>& ports)
{
    const std::string cache = Env("PUTTYDIR") + "/sshhostkeys";
    std::ifstream in(cache);
    std::string line, added;
    while (std::getline(in, line)) {
        size_t at = line.find("@" + port + ":");
        if (at == std::string::npos)
            continue;
        for (const std::string& other : ports)
            added += line.substr(0, at) + "@" + other + ":" + line.substr(at + port.size() + 2) + "\n";
    }
    std::ofstream(cache, std::ios::app) << added;
}

// One PLink login with a command through the relay, as every run logged in before.
double BareLogin(const std::string& port, const std::string& command)
{
    TerminalArguments arguments = TerminalArguments::ForPlink(
        "plink", "127.0.0.1", port, Env("SHELLYARD_TEST_SSH_USER"), Env("SHELLYARD_TEST_SSH_PASSWORD"), command);
    auto begin = Clock::now();
    std::string error;
    std::unique_ptr<ChildProcess> plink = ChildProcess::Start(arguments, &error);
    if (!plink)
        return -1;
    std::string output;
    while (!plink->HasExited()) {
        plink->WaitForOutput(std::chrono::milliseconds(5));
        plink->Read(ChildProcess::Stream::Output, output);
    }
    return Milliseconds(Clock::now() - begin);
}

ShellyardMonPanel* OpenPage(ShellyardFrame* frame, const std::string& site, const std::string& port)
{
    frame->StartMonitor(FrameProbe::Record({site, "127.0.0.1", "ssh", "", "", wxString(port)}));
    wxAuiNotebook* notebook = FrameProbe::Notebook(frame);
    return dynamic_cast<ShellyardMonPanel*>(notebook->GetPage(notebook->GetPageCount() - 1));
}
}  // namespace

int main(int argc, char** argv)
{
    const std::string port = Env("SHELLYARD_TEST_SSH_PORT");
    if (port.empty()) {
        fprintf(stderr, "run through tests/support/with-sshd.sh (needs the test SSH server)\n");
        return 2;
    }
    const int pageCount = Env("BENCH_PAGES").empty() ? 5 : atoi(Env("BENCH_PAGES").c_str());
    const int seconds = Env("BENCH_SECONDS").empty() ? 600 : atoi(Env("BENCH_SECONDS").c_str());
    std::string self = argv[0];
    Relay relay;
    if (!relay.Start(self.substr(0, self.rfind('/') + 1) + "bench_delay_relay", port, pageCount + 1)) {
        fprintf(stderr, "cannot start bench_delay_relay beside %s\n", argv[0]);
        return 1;
    }
    AcceptKeyOnPorts(port, relay.ports);
    const std::string firstPort = relay.ports.back();  // the one of step 1

    char work[] = "/tmp/shellyard-bench-monitor.XXXXXX";
    if (!mkdtemp(work))
        return 1;
    const std::string dir = work;
    setenv("XDG_DATA_HOME", dir.c_str(), 1);
    Shell("mkdir -p '" + dir + "/shellyard'");
    if (chdir(work) != 0)
        return 1;
    CreateSshSites(dir + "/shellyard/Shellyard.db", pageCount + 1, port, Env("SHELLYARD_TEST_SSH_USER"),
                   Env("SHELLYARD_TEST_SSH_PASSWORD"));

    PrepareDisplayBackend();
    wxApp::SetInstance(new BenchApp());
    wxEntryStart(argc, argv);
    wxTheApp->CallOnInit();
    wxInitAllImageHandlers();
    auto* frame = new ShellyardFrame(nullptr);
    frame->SetSize(1280, 900);
    frame->Show();
    RunEventLoop(std::chrono::milliseconds(500));
    wxAuiNotebook* notebook = FrameProbe::Notebook(frame);

    // 1. New pages, one at a time, each logging in anew.
    std::vector<double> login, threeLogins;
    for (int round = 0; round < 5; ++round) {
        login.push_back(BareLogin(firstPort, "uname"));
        threeLogins.push_back(login.back() + BareLogin(firstPort, "uname") + BareLogin(firstPort, "uname"));
    }
    std::vector<double> firstText, firstList, firstSample;
    for (int round = 0; round < 5; ++round) {
        auto begin = Clock::now();
        ShellyardMonPanel* page = OpenPage(frame, "site-" + std::to_string(pageCount), firstPort);
        RunEventLoop(std::chrono::seconds(20), [&] { return MonitorProbe::Info(page).StartsWith("System  Type: Linux"); });
        firstText.push_back(Milliseconds(Clock::now() - begin));
        RunEventLoop(std::chrono::seconds(20), [&] { return MonitorProbe::Samples(page) > 0; });
        firstSample.push_back(Milliseconds(Clock::now() - begin));
        RunEventLoop(std::chrono::seconds(20), [&] { return MonitorProbe::Rows(page) > 0; });
        firstList.push_back(Milliseconds(Clock::now() - begin));
        notebook->DeletePage(notebook->GetPageIndex(page));
        RunEventLoop(std::chrono::milliseconds(300));
    }
    printf("at a 100 ms round trip: one PLink login with uname %.0f ms, three one after another %.0f ms (medians of 5)\n",
           Median(login), Median(threeLogins));
    printf("new page: system type shown after %.0f ms (target < 1500) %s, first sample %.0f ms, process list %.0f ms "
           "(medians of 5)\n",
           Median(firstText), Median(firstText) < 1500 ? "OK" : "MISSED", Median(firstSample), Median(firstList));
    fflush(stdout);

    // 2. Five pages, each on a relay port of its own.
    relay.Read();
    std::map<std::string, int> before = relay.connections;
    std::vector<ShellyardMonPanel*> pages;
    for (int i = 0; i < pageCount; ++i)
        pages.push_back(OpenPage(frame, "site-" + std::to_string(i), relay.ports[i]));
    const auto started = Clock::now();
    // Opening five pages at once costs what laying out five pages costs; from their first samples
    // and process lists on they only run.
    RunEventLoop(std::chrono::seconds(30), [&] {
        return std::all_of(pages.begin(), pages.end(),
                           [](ShellyardMonPanel* page) { return MonitorProbe::Samples(page) > 0 && MonitorProbe::Rows(page) > 0; });
    });
    RunEventLoop(std::chrono::seconds(1));
    printf("%d monitor pages started and filled in %.1f s\n", pageCount, Milliseconds(Clock::now() - started) / 1000.0);
    fflush(stdout);

    // The first minute: the longest time between two ticks of a 5 ms timer, that is the longest
    // any event (a key, a click) could have waited for the program.
    double longestGap = 0, longestWork = 0;
    std::vector<double> gaps;
    int refreshes = 0;
    std::vector<bool> refreshing(pages.size(), false);
    {
        wxTimer probe;
        Clock::time_point last = Clock::now();
        double lastCpu = ThreadCpuMilliseconds();
        probe.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
            auto now = Clock::now();
            double gap = Milliseconds(now - last);
            last = now;
            double cpu = ThreadCpuMilliseconds();
            longestWork = std::max(longestWork, cpu - lastCpu);
            lastCpu = cpu;
            gaps.push_back(gap);
            longestGap = std::max(longestGap, gap);
            for (size_t i = 0; i < pages.size(); ++i) {
                bool running = MonitorProbe::Refreshing(pages[i]);
                if (refreshing[i] && !running)
                    ++refreshes;
                refreshing[i] = running;
            }
        });
        probe.Start(5);
        RunEventLoop(std::chrono::seconds(std::min(60, seconds)));
    }
    std::sort(gaps.begin(), gaps.end());
    size_t samples = 0;
    for (ShellyardMonPanel* page : pages)
        samples += MonitorProbe::Samples(page);
    printf("first %d s of %zu pages (%zu samples, %d process-list refreshes): longest gap between ticks of a 5 ms timer "
           "%.1f ms (target < 30) %s, 99.9th percentile %.1f ms; most CPU time of the GUI thread between two ticks "
           "%.1f ms (what the gap is without other programs on the cores)\n",
           std::min(60, seconds), pages.size(), samples, refreshes, longestGap, longestGap < 30 ? "OK" : "MISSED",
           gaps.empty() ? 0.0 : gaps[gaps.size() * 999 / 1000], longestWork);
    fflush(stdout);

    // Then the program's own CPU time, with nothing of the benchmark's running beside it.
    if (seconds > 60) {
        const double cpuBefore = CpuSeconds();
        const auto cpuStarted = Clock::now();
        RunEventLoop(std::chrono::seconds(seconds - 60));
        const double cpu = CpuSeconds() - cpuBefore;
        const double wall = Milliseconds(Clock::now() - cpuStarted) / 1000.0;
        const double share = 100.0 * cpu / wall;
        printf("%zu pages for %.0f s more: Shellyard's own CPU time %.2f s = %.2f %% of one core (target < 2 %%) %s\n",
               pages.size(), wall, cpu, share, share < 2.0 ? "OK" : "MISSED");
    }
    relay.Read();
    int most = 0;
    std::string perPage;
    for (int i = 0; i < pageCount; ++i) {
        int made = relay.connections[relay.ports[i]] - before[relay.ports[i]];
        most = std::max(most, made);
        perPage += (i ? ", " : "") + std::to_string(made);
    }
    printf("logins per page in %.0f s: %s (target 1) %s\n", Milliseconds(Clock::now() - started) / 1000.0,
           perPage.c_str(), most == 1 ? "OK" : "MISSED");
    fflush(stdout);

    // 3. Samples fed straight to every page, each redrawing both charts.
    for (ShellyardMonPanel* page : pages)
        MonitorProbe::Feed(page, " r  b   swpd   free   buff  cache   si   so    bi    bo   in   cs us sy id wa st\n");
    double after100 = 0;
    for (int sample = 1; sample <= 1000; ++sample) {
        wxString line = wxString::Format(" 1  0      0 %d  21008 1186052    0    0     5     9   53   80 %d  %d %d  0  0\n",
                                         200000 + sample * 37 % 5000, sample % 40, sample % 7, 100 - sample % 40 - sample % 7);
        for (ShellyardMonPanel* page : pages)
            MonitorProbe::Feed(page, line);
        if (sample == 100)
            after100 = ResidentMiB();
    }
    const double after1000 = ResidentMiB();
    printf("resident memory after 100 samples per page %.1f MiB, after 1000 %.1f MiB: %+.1f MiB (target <= +2) %s\n",
           after100, after1000, after1000 - after100, after1000 - after100 <= 2.0 ? "OK" : "MISSED");

    // The frame goes (and with it every page's PLinks) before the toolkit is cleaned up.
    wxWeakRef<ShellyardFrame> alive(frame);
    frame->Destroy();
    RunEventLoop(std::chrono::seconds(5), [&] {
        wxTheApp->ProcessIdle();
        return !alive;
    });
    wxEntryCleanup();
    Shell("rm -rf '" + dir + "'");
    return 0;
}
