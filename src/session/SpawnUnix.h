#pragma once
// How every program of ours starts on a POSIX system: from an argument vector (the program looked up
// on PATH when it names no directory), without copying this large process first (vfork-style
// spawn), with the default signal handling and none of our files but those named here. Used by the
// Unix implementations of ChildProcess and TerminalProcess only.
#include <string>
#include <sys/types.h>
#include <vector>

struct SpawnUnix {
    std::vector<std::string> arguments;
    bool x11Backend = false;  // GDK_BACKEND=x11 in an otherwise unchanged environment
    bool ownGroup = false;    // a process group of its own: ending it ends what it started
    bool ownSession = false;  // a session of its own: nothing sent to ours reaches it
    int output = -1;          // given as standard output and error, with the null device as
    int errors = -1;          // standard input; else it shares our standard streams
    std::vector<int> secretEnds;  // given as descriptors 3, 4, ... (passwords' pipes)

    // The new process's id; 0 when it could not be started, with *error saying why.
    pid_t Run(std::string* error) const;
};
