#pragma once
// What the start-up benchmarks share: starting the program in fresh program and working
// directories, finding its windows on the X server, ending it, and printing timings.
#include <X11/Xlib.h>

#include <chrono>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

using BenchClock = std::chrono::steady_clock;

struct ProgramRun {
    pid_t pid = 0;
    BenchClock::time_point start;
    std::string root;         // holds data/ ($XDG_DATA_HOME) and work/ (working directory)
    std::string previousDir;

    double Elapsed() const { return std::chrono::duration<double>(BenchClock::now() - start).count(); }
};

// Makes fresh directories, lets prepare(programDirectory) put files there, then starts program
// (an absolute path) with XDG_DATA_HOME and the working directory pointing into them.
ProgramRun StartProgram(const std::string& program, const std::function<void(const std::string&)>& prepare);
// Ends the program, waits for it and removes its directories.
void StopProgram(ProgramRun& run);

// A viewable top-level window of process pid: any (title null) or one with this exact title and at
// least minWidth pixels wide. 0 when there is none.
Window ShownWindow(Display* display, pid_t pid, const char* title = nullptr, int minWidth = 0);
// Waits (polling every half millisecond, at most timeoutSeconds) for ShownWindow; 0 on time-out.
Window WaitForShownWindow(Display* display, const ProgramRun& run, const char* title, int minWidth,
                          double timeoutSeconds);

void ReportTimes(const char* what, std::vector<double> seconds);
