#include "ProgramLaunch.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;
namespace fs = std::filesystem;

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
}  // namespace

ProgramRun StartProgram(const std::string& program, const std::function<void(const std::string&)>& prepare)
{
    static int counter = 0;
    ProgramRun run;
    run.root = fs::temp_directory_path() /
               ("shellyard-bench-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
    fs::remove_all(run.root);
    fs::create_directories(run.root + "/data/shellyard");
    fs::create_directories(run.root + "/work");
    if (prepare)
        prepare(run.root + "/data/shellyard");
    setenv("XDG_DATA_HOME", (run.root + "/data").c_str(), 1);
    run.previousDir = fs::current_path();
    fs::current_path(run.root + "/work");

    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    run.start = BenchClock::now();
    if (posix_spawn(&run.pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) {
        std::perror("posix_spawn");
        std::exit(1);
    }
    return run;
}

void StopProgram(ProgramRun& run)
{
    if (run.pid > 0) {
        kill(run.pid, SIGTERM);
        waitpid(run.pid, nullptr, 0);
        run.pid = 0;
    }
    fs::current_path(run.previousDir);
    fs::remove_all(run.root);
}

Window ShownWindow(Display* display, pid_t pid, const char* title, int minWidth)
{
    Window root = DefaultRootWindow(display), parent, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, root, &root, &parent, &children, &count))
        return 0;
    Window found = 0;
    for (unsigned int i = 0; i < count && !found; ++i) {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display, children[i], &attributes) || attributes.map_state != IsViewable)
            continue;
        if (WindowPid(display, children[i]) != pid || attributes.width < minWidth)
            continue;
        if (!title) {
            found = children[i];
            continue;
        }
        char* name = nullptr;
        if (XFetchName(display, children[i], &name) && name) {
            if (std::string(name) == title)
                found = children[i];
            XFree(name);
        }
    }
    if (children)
        XFree(children);
    return found;
}

Window WaitForShownWindow(Display* display, const ProgramRun& run, const char* title, int minWidth,
                          double timeoutSeconds)
{
    while (run.Elapsed() < timeoutSeconds) {
        if (Window window = ShownWindow(display, run.pid, title, minWidth))
            return window;
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    return 0;
}

void ReportTimes(const char* what, std::vector<double> seconds)
{
    std::sort(seconds.begin(), seconds.end());
    std::printf("%-58s median %.3f s  min %.3f s  max %.3f s  (%zu runs)\n", what, seconds[seconds.size() / 2],
                seconds.front(), seconds.back(), seconds.size());
}
