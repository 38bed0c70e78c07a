// Start-up with a large site database: from starting the program to its main window being shown
// with the site tree filled, measured against the X server the program draws on. Run under Xvfb:
//   tests/support/with-xvfb.sh build/bench/bench_tree_startup build/src/shellyard [runs] [sites]
// The database holds 32,767 sites by default. The tree is filled before the window is shown, so
// "shown" already means "filled"; the second figure waits until the window's picture has stopped
// changing, i.e. the tree has been laid out and drawn.
#include "ProgramLaunch.h"

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

void MakeDatabase(const std::string& path, int sites)
{
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_exec(db,
                 "create table tbl_hostsite(hostpasswd text, hostuser text, hosttype text, hostip text, "
                 "hostname text, hostport text, hostpostcommand text, hostcomments text);",
                 nullptr, nullptr, nullptr);
    sqlite3_exec(db, "begin;", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "insert into tbl_hostsite values (?,?,?,?,?,?,'','');", -1, &insert, nullptr);
    for (int i = 0; i < sites; ++i) {
        std::string host = "10." + std::to_string(i / 65536) + "." + std::to_string(i / 256 % 256) + "." +
                           std::to_string(i % 256);
        std::string name = "server-" + std::to_string(i);
        sqlite3_bind_text(insert, 1, i % 2 ? "secret" : "", -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, i % 2 ? "admin" : "", -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 3, i % 5 ? "ssh" : "telnet", -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 4, host.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 5, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 6, i % 5 ? "22" : "23", -1, SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "commit;", nullptr, nullptr, nullptr);
    sqlite3_close(db);
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
    std::string database = fs::temp_directory_path() / ("shellyard-treebench-" + std::to_string(getpid()) + ".db");
    fs::remove(database);
    MakeDatabase(database, sites);

    RunOnce(display, program, database);  // warm the file cache
    std::vector<double> shown, drawn;
    for (int i = 0; i < runs; ++i) {
        Times t = RunOnce(display, program, database);
        shown.push_back(t.shown);
        drawn.push_back(t.drawn);
    }
    std::printf("%d stored sites\n", sites);
    ReportTimes("start to main window shown with the tree filled", shown);
    ReportTimes("start to window drawn and settled", drawn);
    fs::remove(database);
    XCloseDisplay(display);
    return *std::min_element(shown.begin(), shown.end()) > 0 ? 0 : 1;
}
