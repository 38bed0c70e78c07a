// Start-up with a large site database: from starting the program to its main window being shown
// with the site tree filled, measured against the X server the program draws on. Run under Xvfb:
//   tests/support/with-xvfb.sh build/bench/bench_tree_startup build/src/shellyard [runs] [sites]
// The database holds 32,767 sites by default. The tree is filled before the window is shown, so
// "shown" already means "filled"; the second figure waits until the window's picture has stopped
// changing, i.e. the tree has been laid out and drawn.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
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

// The viewable main window ("Shellyard", full size) of process pid, or 0.
Window MainWindow(Display* display, pid_t pid)
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
        if (WindowPid(display, children[i]) != pid)
            continue;
        char* name = nullptr;
        if (XFetchName(display, children[i], &name) && name) {
            if (std::string(name) == "Shellyard" && attributes.width > 1000)
                found = children[i];
            XFree(name);
        }
    }
    if (children)
        XFree(children);
    return found;
}

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
    std::string root = fs::temp_directory_path() / ("shellyard-treebench-" + std::to_string(getpid()));
    fs::remove_all(root);
    fs::create_directories(root + "/data/shellyard");
    fs::create_directories(root + "/work");
    fs::copy_file(database, root + "/data/shellyard/Shellyard.db");
    setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
    std::string previous = fs::current_path();
    fs::current_path(root + "/work");

    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    pid_t pid = 0;
    Times times;
    auto start = Clock::now();
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) {
        perror("posix_spawn");
        std::exit(1);
    }
    auto elapsed = [&] { return std::chrono::duration<double>(Clock::now() - start).count(); };
    Window window = 0;
    while (Clock::now() - start < std::chrono::seconds(30)) {
        if ((window = MainWindow(display, pid))) {
            times.shown = elapsed();
            break;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
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
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    fs::current_path(previous);
    fs::remove_all(root);
    return times;
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
    Report("start to main window shown with the tree filled", shown);
    Report("start to window drawn and settled", drawn);
    fs::remove(database);
    XCloseDisplay(display);
    return *std::min_element(shown.begin(), shown.end()) > 0 ? 0 : 1;
}
