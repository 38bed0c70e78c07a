// Start-up with a large site database: from starting the program to its main window being shown
// with the site tree filled, measured against the X server the program draws on. Run under Xvfb:
//   tests/support/with-xvfb.sh build/bench/bench_tree_startup build/src/shellyard [runs] [sites]
// The database holds 32,767 sites by default, once all at the top level and once in 300 folders
// (runs of the two alternate, so that both meet the same load). The tree is filled before the
// window is shown, so "shown" already means "filled"; the second figure waits until the window's
// picture has stopped changing, i.e. the tree has been laid out and drawn. A program that knows no
// folders shows the second database flat.
#include "ProgramLaunch.h"
#include "SiteDatabase.h"

#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <spawn.h>
#include <sqlite3.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using Clock = BenchClock;

namespace {
// The window's picture as bytes (empty when it cannot be read).
std::vector<char> Picture(Display* display, Window window)
{
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes))
        return {};
    XImage* image = XGetImage(display, window, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
    if (!image)
        return {};
    std::vector<char> bytes(image->data, image->data + image->bytes_per_line * image->height);
    XDestroyImage(image);
    return bytes;
}

struct Times {
    double shown = -1;  // main window mapped (tree filled)
    double drawn = -1;  // window picture stable for 100 ms
};

Times RunOnce(Display* display, const std::string& program, const std::string& database)
{
    ProgramRun run = StartProgram(program, [&](const std::string& programDirectory) {
        fs::copy_file(database, programDirectory + "/Shellyard.db");
    });
    auto elapsed = [&] { return run.Elapsed(); };
    const auto& start = run.start;
    Times times;
    Window window = WaitForShownWindow(display, run, "Shellyard", 1000, 30);
    if (window)
        times.shown = elapsed();
    if (window) {
        std::vector<char> last = Picture(display, window);
        double lastChange = elapsed();
        while (Clock::now() - start < std::chrono::seconds(30)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            std::vector<char> now = Picture(display, window);
            if (now != last) {
                last.swap(now);
                lastChange = elapsed();
            } else if (elapsed() - lastChange >= 0.1) {
                times.drawn = lastChange;
                break;
            }
        }
    }
    StopProgram(run);
    return times;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s path/to/shellyard [runs] [sites]\n", argv[0]);
        return 2;
    }
    int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    int sites = argc > 3 ? std::atoi(argv[3]) : 32767;
    std::string program = fs::absolute(argv[1]).string();
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "no X display (run under tests/support/with-xvfb.sh)\n");
        return 2;
    }
    const std::string base = fs::temp_directory_path() / ("shellyard-treebench-" + std::to_string(getpid()));
    const std::string databases[2] = {base + "-flat.db", base + "-folders.db"};
    for (int layout = 0; layout < 2; ++layout) {
        fs::remove(databases[layout]);
        MakeSiteDatabase(databases[layout], sites, layout == 1);
    }

    RunOnce(display, program, databases[0]);  // warm the file cache
    RunOnce(display, program, databases[1]);
    std::vector<double> shown[2], drawn[2];
    for (int i = 0; i < runs; ++i) {
        for (int layout = 0; layout < 2; ++layout) {
            Times t = RunOnce(display, program, databases[layout]);
            shown[layout].push_back(t.shown);
            drawn[layout].push_back(t.drawn);
        }
    }
    bool allShown = true;
    for (int layout = 0; layout < 2; ++layout) {
        std::printf("%d stored sites, %s\n", sites, layout == 0 ? "all at the top level" : "in 300 folders");
        ReportTimes("start to main window shown with the tree filled", shown[layout]);
        ReportTimes("start to window drawn and settled", drawn[layout]);
        allShown = allShown && *std::min_element(shown[layout].begin(), shown[layout].end()) > 0;
        fs::remove(databases[layout]);
    }
    XCloseDisplay(display);
    return allShown ? 0 : 1;
}
