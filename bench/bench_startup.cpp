// Start-up time: from starting the program to its main window being shown (mapped and viewable),
// measured against the X server the program draws on. Run under Xvfb:
//   tests/support/with-xvfb.sh build/bench/bench_startup build/src/shellyard [runs]
// Each run uses a fresh program directory and working directory. Two situations are measured:
//   - a program directory holding an empty site database (every start after the first);
//   - an empty program directory (the very first start), until the first window appears, which
//     is the notice that a new database is being created.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <spawn.h>
#include <sqlite3.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {
long WindowPid(Display* display, Window window)
{
    static Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after,
                           &data) == Success &&
        data && count == 1)
        pid = static_cast<long>(*reinterpret_cast<unsigned long*>(data));
    if (data)
        XFree(data);
    return pid;
}

// A viewable top-level window of process pid, optionally with this exact title.
bool ShownWindow(Display* display, pid_t pid, const char* title)
{
    Window root = DefaultRootWindow(display), parent, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, root, &root, &parent, &children, &count))
        return false;
    bool found = false;
    for (unsigned int i = 0; i < count && !found; ++i) {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display, children[i], &attributes) || attributes.map_state != IsViewable)
            continue;
        if (WindowPid(display, children[i]) != pid)
            continue;
        if (!title) {
            found = true;
            continue;
        }
        char* name = nullptr;
        if (XFetchName(display, children[i], &name) && name) {
            found = std::string(name) == title && attributes.width > 1000;
            XFree(name);
        }
    }
    if (children)
        XFree(children);
    return found;
}

double RunOnce(Display* display, const std::string& program, bool withDatabase, bool mainWindow)
{
    std::string root = fs::temp_directory_path() / ("shellyard-bench-" + std::to_string(getpid()));
    fs::remove_all(root);
    fs::create_directories(root + "/data/shellyard");
    fs::create_directories(root + "/work");
    if (withDatabase) {
        sqlite3* db = nullptr;
        sqlite3_open((root + "/data/shellyard/Shellyard.db").c_str(), &db);
        sqlite3_exec(db,
                     "create table tbl_hostsite(hostpasswd text, hostuser text, hosttype text, hostip text, "
                     "hostname text, hostport text, hostpostcommand text, hostcomments text);",
                     nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
    std::string previous = fs::current_path();
    fs::current_path(root + "/work");

    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    pid_t pid = 0;
    auto start = Clock::now();
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) {
        perror("posix_spawn");
        std::exit(1);
    }
    double seconds = -1;
    while (Clock::now() - start < std::chrono::seconds(20)) {
        if (ShownWindow(display, pid, mainWindow ? "Shellyard" : nullptr)) {
            seconds = std::chrono::duration<double>(Clock::now() - start).count();
            break;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    fs::current_path(previous);
    fs::remove_all(root);
    return seconds;
}

void Report(const char* what, std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    std::printf("%-58s median %.3f s  min %.3f s  max %.3f s  (%zu runs)\n", what, times[times.size() / 2],
                times.front(), times.back(), times.size());
}
}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s path/to/shellyard [runs]\n", argv[0]);
        return 2;
    }
    int runs = argc > 2 ? std::atoi(argv[2]) : 10;
    std::string program = fs::absolute(argv[1]).string();
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "no X display (run under tests/support/with-xvfb.sh)\n");
        return 2;
    }
    RunOnce(display, program, true, true);  // warm the file cache
    std::vector<double> normal, first;
    for (int i = 0; i < runs; ++i) {
        normal.push_back(RunOnce(display, program, true, true));
        first.push_back(RunOnce(display, program, false, false));
    }
    Report("start to main window shown (empty site database)", normal);
    Report("first start (empty program directory) to first window", first);
    XCloseDisplay(display);
    bool ok = *std::max_element(normal.begin(), normal.end()) > 0;
    return ok ? 0 : 1;
}
