#pragma once
// The machine's process table as the tests see it: what this test process started and has not
// reaped yet (zombies included), and whether a process still exists.
#include <cstdio>
#include <filesystem>
#include <signal.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "support/TempDirs.h"

// Processes whose parent is this test process, zombies included: whatever the program started and
// did not end and reap shows up here.
inline std::vector<long> ChildProcesses()
{
    std::vector<long> children;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::string stat = ReadFile(entry.path().string() + "/stat");
        size_t close = stat.rfind(')');
        if (close == std::string::npos)
            continue;
        char state;
        long parent = 0;
        if (sscanf(stat.c_str() + close + 1, " %c %ld", &state, &parent) == 2 && parent == getpid())
            children.push_back(std::stol(name));
    }
    return children;
}

// True while the process exists, as a zombie too.
inline bool ProcessExists(long pid)
{
    return pid > 0 && kill(pid, 0) == 0;
}

inline std::string CommandLineOf(long pid)
{
    return ReadFile("/proc/" + std::to_string(pid) + "/cmdline");
}

// Every process on the machine whose argument list holds text (what `ps` shows any local user).
inline std::vector<long> ProcessesWhoseArgumentsHold(const std::string& text)
{
    std::vector<long> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        if (ReadFile(entry.path().string() + "/cmdline").find(text) != std::string::npos)
            found.push_back(std::stol(name));
    }
    return found;
}

// How many files this process has open.
inline size_t OpenDescriptors()
{
    size_t count = 0;
    std::error_code error;
    for (auto it = std::filesystem::directory_iterator("/proc/self/fd", error);
         it != std::filesystem::directory_iterator(); ++it)
        ++count;
    return count;
}
