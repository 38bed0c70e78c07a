// Start-up time: from starting the program to its main window being shown (mapped and viewable),
// measured against the X server the program draws on. Run under Xvfb:
//   tests/support/with-xvfb.sh build/bench/bench_startup build/src/shellyard [runs]
// Each run uses a fresh program directory and working directory. Two situations are measured:
//   - a program directory holding an empty site database (every start after the first);
//   - an empty program directory (the very first start), until the first window appears, which
//     is the notice that a new database is being created.
#include "ProgramLaunch.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sqlite3.h>

namespace {
void EmptySiteDatabase(const std::string& programDirectory)
{
    sqlite3* db = nullptr;
    sqlite3_open((programDirectory + "/Shellyard.db").c_str(), &db);
    sqlite3_exec(db,
                 "create table tbl_hostsite(hostpasswd text, hostuser text, hosttype text, hostip text, "
                 "hostname text, hostport text, hostpostcommand text, hostcomments text);",
                 nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

double RunOnce(Display* display, const std::string& program, bool withDatabase)
{
    ProgramRun run = StartProgram(program, withDatabase ? EmptySiteDatabase : nullptr);
    // The main window is "Shellyard" at full width; on a first start the notice comes first.
    Window window = withDatabase ? WaitForShownWindow(display, run, "Shellyard", 1000, 20)
                                 : WaitForShownWindow(display, run, nullptr, 0, 20);
    double seconds = window ? run.Elapsed() : -1;
    StopProgram(run);
    return seconds;
}
}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s path/to/shellyard [runs]\n", argv[0]);
        return 2;
    }
    int runs = argc > 2 ? std::atoi(argv[2]) : 10;
    std::string program = std::filesystem::absolute(argv[1]).string();
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "no X display (run under tests/support/with-xvfb.sh)\n");
        return 2;
    }
    RunOnce(display, program, true);  // warm the file cache
    std::vector<double> normal, first;
    for (int i = 0; i < runs; ++i) {
        normal.push_back(RunOnce(display, program, true));
        first.push_back(RunOnce(display, program, false));
    }
    ReportTimes("start to main window shown (empty site database)", normal);
    ReportTimes("first start (empty program directory) to first window", first);
    XCloseDisplay(display);
    return *std::min_element(normal.begin(), normal.end()) > 0 ? 0 : 1;
}
