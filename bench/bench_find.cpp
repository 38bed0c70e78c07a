// Find in the sites pane with a large store: for every keystroke, from the Find field's change to
// the tree laid out and drawn (target: under 50 ms each with 32,767 sites). Typed through the real
// main window, with the sites at the top level and again in folders:
//   tests/support/with-xvfb.sh build/bench/bench_find [sites] [rounds]
// Each round types "server-12345" one character at a time, takes it back to nothing the same way,
// then types a host part, a note word, something that matches nothing, and Escape.
#include "BenchSupport.h"
#include "SiteDatabase.h"
#include "support/FrameProbe.h"

#include "app/ShellyardApp.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>
#include <wx/evtloop.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/textctrl.h>

namespace {
void Pump()
{
    if (wxEventLoopBase* loop = wxEventLoopBase::GetActive()) {
        while (loop->Pending())
            loop->Dispatch();
    }
    wxTheApp->ProcessPendingEvents();
    wxTheApp->ProcessIdle();
}

void Settle(std::chrono::milliseconds time)
{
    auto end = Clock::now() + time;
    while (Clock::now() < end) {
        Pump();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

// The CPU time this thread (the GUI thread) has used, in milliseconds: what a keystroke costs,
// whatever else the machine is doing meanwhile.
double ThreadMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
}

struct Keystrokes {
    std::vector<double> times;
    std::vector<double> cpu;
    double worst = 0;
    std::string worstText;
};

// One keystroke: the field's new text, its event, the layout on idle and the drawing.
void Key(ShellyardFrame* frame, const wxString& text, Keystrokes& out)
{
    wxTextCtrl* find = FrameProbe::FindField(frame);
    auto start = Clock::now();
    double cpuStart = ThreadMilliseconds();
    find->SetValue(text);  // sends the text event, as a keystroke does
    Pump();
    FrameProbe::FindTree(frame)->Update();
    FrameProbe::Tree(frame)->Update();
    double ms = Milliseconds(Clock::now() - start);
    out.times.push_back(ms);
    out.cpu.push_back(ThreadMilliseconds() - cpuStart);
    if (ms > out.worst) {
        out.worst = ms;
        out.worstText = text.utf8_string();
    }
    Settle(std::chrono::milliseconds(20));
}

void Round(ShellyardFrame* frame, Keystrokes& out)
{
    const wxString typed = "server-12345";
    for (size_t n = 1; n <= typed.size(); ++n)
        Key(frame, typed.Left(n), out);
    for (size_t n = typed.size(); n-- > 0;)
        Key(frame, typed.Left(n), out);
    for (const char* text : {"1", "10", "10.", "10.0", "10.0.", "10.0.1", "10.0.12"})
        Key(frame, text, out);
    Key(frame, "", out);
    for (const char* text : {"n", "ni", "nig", "nigh", "night"})
        Key(frame, text, out);
    Key(frame, "", out);
    for (const char* text : {"z", "zz", "zzz"})
        Key(frame, text, out);
    Key(frame, "", out);  // Escape empties the field the same way
}
}  // namespace

int main(int argc, char** argv)
{
    setvbuf(stdout, nullptr, _IOLBF, 0);
    const int sites = argc > 1 ? atoi(argv[1]) : 32767;
    const int rounds = argc > 2 ? atoi(argv[2]) : 3;
    char pattern[] = "/tmp/shellyard-findbench-XXXXXX";
    std::string root = mkdtemp(pattern);
    setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
    std::string programDir = root + "/data/shellyard";
    system(("mkdir -p '" + programDir + "' '" + root + "/work'").c_str());
    if (chdir((root + "/work").c_str()) != 0)
        return 1;

    PrepareDisplayBackend();
    wxApp::SetInstance(new BenchApp);
    if (!wxEntryStart(argc, argv))
        return 1;
    wxTheApp->CallOnInit();
    wxInitAllImageHandlers();
    int failed = 0;
    {
        wxGUIEventLoop loop;
        wxEventLoopActivator activate(&loop);
        for (bool folders : {false, true}) {
            std::remove((programDir + "/Shellyard.db").c_str());
            MakeSiteDatabase(programDir + "/Shellyard.db", sites, folders);
            auto* frame = new ShellyardFrame(nullptr);
            frame->Show();
            Settle(std::chrono::milliseconds(1500));
            Keystrokes keys;
            Key(frame, "", keys);  // warm-up
            keys = Keystrokes();
            for (int r = 0; r < rounds; ++r)
                Round(frame, keys);
            std::vector<double> sorted = keys.times;
            std::sort(sorted.begin(), sorted.end());
            printf("%d sites %s: %zu keystrokes, median %.1f ms, 95th percentile %.1f ms, slowest %.1f ms (\"%s\"); "
                   "GUI thread CPU per keystroke median %.1f ms, most %.1f ms\n",
                   sites, folders ? "in 300 folders" : "at the top level", keys.times.size(), Median(keys.times),
                   sorted[sorted.size() * 95 / 100], keys.worst, keys.worstText.c_str(), Median(keys.cpu),
                   *std::max_element(keys.cpu.begin(), keys.cpu.end()));
            failed += keys.worst < 50 ? 0 : 1;
            frame->Destroy();
            Settle(std::chrono::milliseconds(300));
        }
    }
    wxEntryCleanup();
    system(("rm -rf '" + root + "'").c_str());
    return failed ? 1 : 0;
}
