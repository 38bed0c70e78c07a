// Monitor tabs through the real main window and the real PLink:
//   1. five monitor pages against the test server for 60 seconds: Shellyard's own CPU time
//      (target: under 2 % of one core);
//   2. resident memory after 1,000 vmstat samples fed to each page, against after 100 (target: no
//      higher, within 2 MiB);
//   3. how long one process-list refresh holds up the user's input (median and maximum): its PLink
//      run is synchronous, and keys and clicks wait until it is over.
// BENCH_PAGES and BENCH_SECONDS change the number of pages (5) and the seconds of step 1 (60).
// Run it next to the test SSH server on a private X server:
//   tests/support/with-sshd.sh tests/support/with-xvfb.sh build/bench/bench_monitor
#include "BenchSupport.h"
#include "support/FrameProbe.h"
#include "support/ShellCommand.h"

#include "app/ShellyardApp.h"
#include "monitor/ShellyardMonPanel.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <sqlite3.h>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/timer.h>

struct MonitorProbe {
    static void Refresh(ShellyardMonPanel* page) { page->RefreshProcessList(); }
    static void Redraw(ShellyardMonPanel* page) { page->RedrawCharts(); }
    static void Feed(ShellyardMonPanel* page, const wxString& line) { page->ParseVmstatLine(line); }
};

namespace {
double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
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

// Runs the real event loop (timers, idle events, nothing else) for a while.
void RunEventLoop(std::chrono::milliseconds duration)
{
    wxGUIEventLoop loop;
    wxTimer stop;
    stop.Bind(wxEVT_TIMER, [&](wxTimerEvent&) { loop.Exit(); });
    stop.StartOnce(static_cast<int>(duration.count()));
    loop.Run();
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string port = Env("SHELLYARD_TEST_SSH_PORT");
    if (port.empty()) {
        fprintf(stderr, "run through tests/support/with-sshd.sh (needs the test SSH server)\n");
        return 2;
    }
    char work[] = "/tmp/shellyard-bench-monitor.XXXXXX";
    if (!mkdtemp(work))
        return 1;
    const std::string dir = work;
    setenv("XDG_DATA_HOME", dir.c_str(), 1);
    Shell("mkdir -p '" + dir + "/shellyard'");
    if (chdir(work) != 0)
        return 1;
    CreateSshSites(dir + "/shellyard/Shellyard.db", 1, port, Env("SHELLYARD_TEST_SSH_USER"),
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

    std::vector<ShellyardMonPanel*> pages;
    const int pageCount = Env("BENCH_PAGES").empty() ? 5 : atoi(Env("BENCH_PAGES").c_str());
    for (int i = 0; i < pageCount; ++i) {
        const SiteRecord chosen = FrameProbe::Record({"site-0", "127.0.0.1", "ssh", "", "", wxString(port)});
        frame->StartMonitor(chosen);
        pages.push_back(dynamic_cast<ShellyardMonPanel*>(FrameProbe::Notebook(frame)->GetPage(i)));
    }
    printf("%d monitor pages started\n", pageCount);
    fflush(stdout);

    // 1. Sixty seconds of monitoring: vmstat lines, chart redraws and process-list refreshes (after
    // the pages have been drawn once).
    RunEventLoop(std::chrono::seconds(2));
    const double cpuBefore = CpuSeconds();
    const auto started = Clock::now();
    RunEventLoop(std::chrono::seconds(atoi(Env("BENCH_SECONDS").empty() ? "60" : Env("BENCH_SECONDS").c_str())));
    const double cpu = CpuSeconds() - cpuBefore;
    const double wall = Milliseconds(Clock::now() - started) / 1000.0;
    const double share = 100.0 * cpu / wall;
    printf("%zu pages for %.0f s: Shellyard's own CPU time %.2f s = %.2f %% of one core (target < 2 %%) %s\n", pages.size(), wall,
           cpu, share, share < 2.0 ? "OK" : "MISSED");
    fflush(stdout);

    // 3. One process-list refresh each, twenty times: the windows are disabled for its whole run.
    std::vector<double> refresh;
    double refreshCpu = CpuSeconds();
    for (int round = 0; round < 20; ++round) {
        auto begin = Clock::now();
        MonitorProbe::Refresh(pages[round % pages.size()]);
        refresh.push_back(Milliseconds(Clock::now() - begin));
    }
    refreshCpu = CpuSeconds() - refreshCpu;
    printf("  (CPU time per refresh: %.1f ms)\n", refreshCpu * 1000 / 20);
    double redrawCpu = CpuSeconds();
    for (int round = 0; round < 50; ++round)
        MonitorProbe::Redraw(pages[0]);
    printf("  (CPU time per redraw of both charts: %.1f ms)\n", (CpuSeconds() - redrawCpu) * 1000 / 50);
    printf("input held up by one process-list refresh: median %.0f ms, maximum %.0f ms (of %zu)\n",
           Median(refresh), *std::max_element(refresh.begin(), refresh.end()), refresh.size());
    fflush(stdout);

    // 2. Samples fed straight to every page, each redrawing both charts.
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

    frame->Destroy();
    RunEventLoop(std::chrono::milliseconds(300));
    wxEntryCleanup();
    Shell("rm -rf '" + dir + "'");
    return 0;
}
